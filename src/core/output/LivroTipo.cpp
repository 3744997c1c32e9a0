#include "LivroTipo.h"

#include <string>

#include "data/Erro.h"

namespace quorvelanti {

LivroTipo::LivroTipo(TipoLivro tipo) : tipo_(tipo)
{
    // A value cast from a number may name no kind at all.
    const int numero = static_cast<int>(tipo);
    if (numero < 1 || numero > 4)
        throw Erro(erros::LivroFalhou, "Tipo de livro desconhecido: " + std::to_string(numero));
}

}  // namespace quorvelanti
