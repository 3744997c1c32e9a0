#pragma once
// The company's pending client orders (every qualifying order line since 1 June 2020, whatever
// the run date): per salesperson, per order document, and per order line.
//
//   ExtrairEncomendasPendentesResumo(ctx, ctx.RsEncPendentesResumo);
//   ExtrairEncomendasPendentesDetalhe(ctx, ctx.RsEncPendentesDetalhe, ctx.RsEncPendentesLinhas);
//
// Each result set is replaced by the opened query. Failures raise Erro; when the document
// statement fails the line statement is not run and its result set keeps what it held.
#include <string>

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

void ExtrairEncomendasPendentesResumo(ContextoExecucao& ctx, ConjuntoResultados& rs);
void ExtrairEncomendasPendentesDetalhe(ContextoExecucao& ctx, ConjuntoResultados& rs, ConjuntoResultados& rsLinhas);

// The statements, as sent to the database.
std::string SqlEncPendentesResumo(const ContextoExecucao& ctx);
std::string SqlEncPendentesDetalhe(const ContextoExecucao& ctx);
std::string SqlEncPendentesLinhas(const ContextoExecucao& ctx);

}  // namespace quorvelanti
