#pragma once
// A file or socket descriptor owned by one object: closed when the object goes, so no early
// return or exception leaks it.
//
//   Descritor fd(sistema::Abrir(caminho, {.escrever = true, .acrescentar = true}));
//   if (!fd.Valido()) throw ...;
//   if (int erro = fd.EscreverTudo(linha)) throw ...;   // errno of the failed write
//   if (int erro = fd.Fechar()) throw ...;              // errno of close, which can fail too
//   membro = Descritor(open(...));                      // an owner held in another object
#include <string>

namespace quorvelanti {

class Descritor {
public:
    explicit Descritor(int fd) noexcept : fd_(fd) {}
    ~Descritor();
    Descritor(const Descritor&) = delete;
    Descritor& operator=(const Descritor&) = delete;
    // Moved, the descriptor changes owner; the one it replaces is closed.
    Descritor(Descritor&& outro) noexcept : fd_(outro.fd_) { outro.fd_ = -1; }
    Descritor& operator=(Descritor&& outro) noexcept;

    int Fd() const noexcept { return fd_; }
    bool Valido() const noexcept { return fd_ >= 0; }
    // Writes every byte from the current offset, going on after a write cut short or a signal;
    // 0, or the errno of the write that failed.
    int EscreverTudo(const std::string& bytes) const noexcept;
    // Appends every byte of the file, from its start, to 'bytes', going on after a signal; 0, or
    // the errno of the read that failed. The descriptor's own offset does not move.
    int LerTudo(std::string& bytes) const;
    // Closes now, for the error close may report: 0 or errno.
    int Fechar() noexcept;

private:
    int fd_;
};

}  // namespace quorvelanti
