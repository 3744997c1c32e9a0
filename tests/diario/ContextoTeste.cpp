#include "ContextoTeste.h"

namespace diario {

void ContextoTeste::Ligar(const std::string& ficheiroBd)
{
    empresa.Ligacao = std::make_unique<quorvelanti::LigacaoBD>();
    empresa.Ligacao->AbrirLigacao("Motor=SQLite;Database={" + ficheiroBd + "}");
}

}  // namespace diario
