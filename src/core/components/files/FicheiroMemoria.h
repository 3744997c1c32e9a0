#pragma once
// A file held in memory, for bytes that are written, read back and dropped: it costs no disk,
// has no name in any folder, and leaves nothing behind whatever becomes of the process. Other
// code, a C library among it, reaches it by Caminho() while the object lives.
//
//   if (auto f = FicheiroMemoria::Criar()) {   // nullptr where the system has none
//       escrever(f->Caminho());                 // through any file handle
//       const std::string bytes = f->Ler();
//   }
#include <memory>
#include <string>

#include "data/Descritor.h"

namespace quorvelanti {

class FicheiroMemoria {
public:
    // An empty file, or nullptr when the system cannot hold one (no such file on Windows, no
    // /proc in a bare chroot, no memory).
    static std::unique_ptr<FicheiroMemoria> Criar();

    const std::string& Caminho() const { return caminho_; }
    // Every byte written so far, by any handle; Erro(erros::FicheiroNaoGravado) when the read fails.
    std::string Ler() const;

private:
    FicheiroMemoria(Descritor descritor, std::string caminho)
        : descritor_(std::move(descritor)), caminho_(std::move(caminho))
    {
    }

    Descritor descritor_;
    std::string caminho_;
};

}  // namespace quorvelanti
