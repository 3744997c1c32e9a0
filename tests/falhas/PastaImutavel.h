#pragma once
// A folder made immutable for as long as the object lives (the ext4 "i" attribute): nobody, root
// included, can create, rename or remove a name in it, while files already there can still be
// written. Permission bits do not stop root, which runs these tests; this does. Given a file,
// nobody can write that file.
//
//   falhas::PastaImutavel imutavel(pastaLog);
//   if (!imutavel.Activa()) GTEST_SKIP() << imutavel.Motivo();
#include <string>

namespace falhas {

class PastaImutavel {
public:
    explicit PastaImutavel(const std::string& pasta);
    ~PastaImutavel();
    PastaImutavel(const PastaImutavel&) = delete;
    PastaImutavel& operator=(const PastaImutavel&) = delete;

    bool Activa() const { return descritor_ >= 0; }
    // Why it could not be made immutable (file system or capability).
    const std::string& Motivo() const { return motivo_; }

private:
    int descritor_ = -1;
    std::string motivo_;
};

}  // namespace falhas
