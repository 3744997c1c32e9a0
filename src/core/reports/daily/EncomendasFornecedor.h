#pragma once
// The purchasing desk's report: every client-order line since the start date with the
// availability of its article (stock, then open supplier orders, in date order) and an
// estimated date.
//
//   mapas.RsEncFornecedorBDC =
//       ExtrairEncomendasFornecedorBDC(ctx, ctx.relogio.Agora().MenosUmAno().Formatar("dd-mm-yyyy hh:mm:ss"));
#include <string>

#include "data/ConjuntoResultados.h"

namespace quorvelanti {

struct ContextoExecucao;

// The start date in any form DataHora::Ler knows; failures raise Erro.
ConjuntoResultados ExtrairEncomendasFornecedorBDC(ContextoExecucao& ctx, std::string data);
// A new, empty table with the report's nine fields.
ConjuntoResultados CriaRsEncFornecedor();

}  // namespace quorvelanti
