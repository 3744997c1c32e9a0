#include "FrenteTeste.h"

namespace apoio {

FrenteTeste::FrenteTeste(quorvelanti::DataHora agora) : relogio(agora) {}

void FrenteTeste::AddLista(const std::string& texto) { linhas.push_back(texto); }

// Counts first, so the hook can read which pass it is.
void FrenteTeste::ProcessarEventos()
{
    ++passagens;
    if (aCadaPassagem) aCadaPassagem();
}

}  // namespace apoio
