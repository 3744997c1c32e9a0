#include "FicheiroMemoria.h"

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
    if (const int erro = descritor_.LerTudo(bytes))
        throw Erro(erros::FicheiroNaoGravado, "Não foi possível ler o ficheiro em memória", std::strerror(erro));
    return bytes;
}

}  // namespace quorvelanti
