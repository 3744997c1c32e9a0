#include "LerMailVendedor.h"

#include "data/Texto.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

void LerMailVendedor(const ContextoExecucao& ctx, std::string& email, const std::string& CodVnd)
{
    email.clear();
    const auto entradas = texto::Dividir(ctx.DestinoVnd, ',');
    // A final code without an address after it is never compared.
    for (std::size_t i = 0; i + 1 < entradas.size(); i += 2) {
        if (entradas[i] == CodVnd) {
            email = entradas[i + 1];
            return;
        }
    }
}

}  // namespace quorvelanti
