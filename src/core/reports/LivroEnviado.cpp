#include "LivroEnviado.h"

#include "data/Erro.h"
#include "output/LivroAnexo.h"

namespace quorvelanti {

std::string ParteNomeFicheiro(std::string parte)
{
    for (char& c : parte)
        if (c == '/' || c == '\\') c = '_';
    return parte;
}

void EnviarLivro(LivroAnexo& livro, const std::function<void()>& enviar)
{
    try {
        enviar();
    } catch (const Erro& falha) {
        try {
            livro.Guardar();
        } catch (const Erro& naoGuardado) {
            // The mail's failure keeps its number: a signal must still end the run as a signal.
            throw Erro(falha.Numero(), falha.Descricao(),
                       falha.Detalhe() + (falha.Detalhe().empty() ? "" : "; ") + naoGuardado.DescricaoCompleta());
        }
        throw;
    }
}

}  // namespace quorvelanti
