#include "ContextoTeste.h"

namespace diario {

void ContextoTeste::Ligar(const std::string& ficheiroBd)
{
    ctx.Ligacao = std::make_unique<quorvelanti::LigacaoBD>();
    ctx.Ligacao->AbrirLigacao("Motor=SQLite;Database={" + ficheiroBd + "}");
}

}  // namespace diario
