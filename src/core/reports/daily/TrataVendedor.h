#pragma once
// Per-salesperson copies of the company-wide result sets, and the salesperson's mail address.
//
//   TrataVendedorPendente(ctx, ctx.RsVendedorPendente, "V01");   // V01's rows of RsEncDiaDetalhe
//   std::string email;
//   LerMailVendedor(ctx, email, "V01");                           // from ctx.DestinoVnd
#include <string>

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

void TrataVendedorPendente(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorVenda(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorEncPendentes(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorAcumulado(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorCliente(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);

// DestinoVnd is "code,address,code,address,..."; entries are compared exactly (blanks count)
// and only codes (even entries) are compared. email becomes "" when no code matches.
void LerMailVendedor(const ContextoExecucao& ctx, std::string& email, const std::string& CodVnd);

}  // namespace quorvelanti
