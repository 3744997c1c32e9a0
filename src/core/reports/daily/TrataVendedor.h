#pragma once
// Per-salesperson copies of the company-wide result sets.
//
//   TrataVendedorPendente(ctx, ctx.RsVendedorPendente, "V01");   // V01's rows of RsEncDiaDetalhe
#include <string>

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

void TrataVendedorPendente(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorVenda(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorEncPendentes(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorAcumulado(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorCliente(ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);

}  // namespace quorvelanti
