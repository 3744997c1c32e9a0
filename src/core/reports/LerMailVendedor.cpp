#include "LerMailVendedor.h"

#include "data/Texto.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

void LerMailVendedor(const ContextoExecucao& ctx, std::string& email, const std::string& CodVnd)
{
    email = EmailVendedor(ParesVendedor(ctx.EmpresaEmCurso().Definicoes.DestinoVnd), CodVnd);
}

std::string EmailVendedor(const ParesVendedores& pares, const std::string& CodVnd)
{
    for (const auto& [codigo, endereco] : pares)
        if (codigo == CodVnd) return endereco;
    return "";
}

ParesVendedores ParesVendedor(const std::string& DestinoVnd)
{
    const auto entradas = texto::Dividir(DestinoVnd, ',');
    ParesVendedores pares;
    // A final code without an address after it is never compared.
    for (std::size_t i = 0; i + 1 < entradas.size(); i += 2) pares.emplace_back(entradas[i], entradas[i + 1]);
    return pares;
}

}  // namespace quorvelanti
