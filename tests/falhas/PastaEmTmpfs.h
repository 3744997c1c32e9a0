#pragma once
// A folder that, for as long as the object lives, is the mount point of a small tmpfs: a file
// system that is full once its few bytes are taken, as a log folder or a memory folder runs out
// of room. Root, which runs these tests, may mount; a container without that right may not.
//
//   falhas::PastaEmTmpfs pequena(pastaLog, "2m");
//   if (!pequena.Activa()) GTEST_SKIP() << pequena.Motivo();
#include <string>

namespace falhas {

class PastaEmTmpfs {
public:
    PastaEmTmpfs(const std::string& pasta, const std::string& tamanho);
    ~PastaEmTmpfs();
    PastaEmTmpfs(const PastaEmTmpfs&) = delete;
    PastaEmTmpfs& operator=(const PastaEmTmpfs&) = delete;

    bool Activa() const { return motivo_.empty(); }
    // Why the tmpfs could not be mounted.
    const std::string& Motivo() const { return motivo_; }

private:
    std::string pasta_;
    std::string motivo_;
};

}  // namespace falhas
