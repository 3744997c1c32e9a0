#include "LivroEnviado.h"

#include <filesystem>
#include <system_error>

#include "data/Erro.h"

namespace quorvelanti {

std::string ParteNomeFicheiro(std::string parte)
{
    for (char& c : parte)
        if (c == '/' || c == '\\') c = '_';
    return parte;
}

void ApagarLivroEnviado(const std::string& ficheiro)
{
    std::error_code erro;
    if (!std::filesystem::remove(ficheiro, erro))
        throw Erro(erros::FicheiroNaoApagado, "Não foi possível apagar o livro enviado: " + ficheiro,
                   erro ? erro.message() : "o ficheiro não existe");
}

}  // namespace quorvelanti
