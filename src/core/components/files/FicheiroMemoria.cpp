#include "FicheiroMemoria.h"

#include <cerrno>
#include <cstring>

#include "data/Erro.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

std::unique_ptr<FicheiroMemoria> FicheiroMemoria::Criar()
{
    std::string caminho;
    Descritor descritor(sistema::CriarFicheiroEmMemoria(caminho));
    if (!descritor.Valido()) return nullptr;
    return std::unique_ptr<FicheiroMemoria>(new FicheiroMemoria(std::move(descritor), std::move(caminho)));
}

std::string FicheiroMemoria::Ler() const
{
    std::string bytes;
    char bloco[65536];
    for (;;) {
        const long long lidos =
            sistema::LerEm(descritor_.Fd(), bloco, sizeof bloco, static_cast<long long>(bytes.size()));
        if (lidos < 0)
            throw Erro(erros::FicheiroNaoGravado, "Não foi possível ler o ficheiro em memória", std::strerror(errno));
        if (lidos == 0) return bytes;
        bytes.append(bloco, static_cast<std::size_t>(lidos));
    }
}

}  // namespace quorvelanti
