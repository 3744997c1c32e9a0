#pragma once
// The company's pending client orders (every qualifying order line since 1 June 2020, whatever
// the run date): per salesperson, per order document, and per order line.
//
//   mapas.RsEncPendentesResumo = ExtrairEncomendasPendentesResumo(ctx);
//   ExtrairEncomendasPendentesDetalhe(ctx, mapas.RsEncPendentesDetalhe, mapas.RsEncPendentesLinhas);
//
// The detail's two result sets are replaced by the opened queries. Failures raise Erro; when the document
// statement fails the line statement is not run and its result set keeps what it held.
#include <string>

#include "data/ConjuntoResultados.h"

namespace quorvelanti {

struct ContextoExecucao;

ConjuntoResultados ExtrairEncomendasPendentesResumo(ContextoExecucao& ctx);
void ExtrairEncomendasPendentesDetalhe(ContextoExecucao& ctx, ConjuntoResultados& rs, ConjuntoResultados& rsLinhas);

// The statements, as sent to the database.
std::string SqlEncPendentesResumo(const ContextoExecucao& ctx);
std::string SqlEncPendentesDetalhe(const ContextoExecucao& ctx);
std::string SqlEncPendentesLinhas(const ContextoExecucao& ctx);

}  // namespace quorvelanti
