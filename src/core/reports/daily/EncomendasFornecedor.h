#pragma once
// The purchasing desk's report: every client-order line since the start date with the
// availability of its article (stock, then open supplier orders, in date order) and an
// estimated date.
//
//   std::string data = ctx.relogio.Agora().MenosUmAno().Formatar("dd-mm-yyyy hh:mm:ss");
//   ExtrairEncomendasFornecedorBDC(ctx, ctx.RsEncFornecedorBDC, data);  // data -> "yyyy-mm-dd"
#include <string>

#include "data/ConjuntoResultados.h"

namespace quorvelanti {

struct ContextoExecucao;

// Returns 0; failures raise Erro.
int ExtrairEncomendasFornecedorBDC(ContextoExecucao& ctx, ConjuntoResultados& rs, std::string& data);
// A new, empty table with the report's nine fields.
ConjuntoResultados CriaRsEncFornecedor();

}  // namespace quorvelanti
