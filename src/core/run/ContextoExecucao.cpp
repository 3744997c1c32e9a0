#include "ContextoExecucao.h"

namespace quorvelanti {

void ContextoExecucao::Progresso(const std::string& texto)
{
    progresso.AddLista(texto);
    Log->Escrever(texto);
}

}  // namespace quorvelanti
