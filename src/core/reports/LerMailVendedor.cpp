#include "LerMailVendedor.h"

#include "data/Texto.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

void LerMailVendedor(const ContextoExecucao& ctx, std::string& email, const std::string& CodVnd)
{
    email.clear();
    for (auto& [codigo, endereco] : ParesVendedor(ctx.DestinoVnd)) {
        if (codigo == CodVnd) {
            email = std::move(endereco);
            return;
        }
    }
}

std::vector<std::pair<std::string, std::string>> ParesVendedor(const std::string& DestinoVnd)
{
    const auto entradas = texto::Dividir(DestinoVnd, ',');
    std::vector<std::pair<std::string, std::string>> pares;
    // A final code without an address after it is never compared.
    for (std::size_t i = 0; i + 1 < entradas.size(); i += 2) pares.emplace_back(entradas[i], entradas[i + 1]);
    return pares;
}

}  // namespace quorvelanti
