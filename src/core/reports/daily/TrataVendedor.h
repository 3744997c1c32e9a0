#pragma once
// Per-salesperson copies of the company-wide result sets.
//
//   TrataVendedorPendente(ctx, ctx.RsVendedorPendente, "V01");   // V01's rows of RsEncDiaDetalhe
#include <string>

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

void TrataVendedorPendente(const ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorVenda(const ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorEncPendentes(const ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorAcumulado(const ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorCliente(const ContextoExecucao& ctx, ConjuntoResultados& rsf, const std::string& sVendedor);

}  // namespace quorvelanti
