#pragma once
// ExtrairEncomendasFornecedorBDC with the caller's article lookups, so a caller can choose
// whether answers are reused (the benchmark compares both) or share them with another report.
//
//   ConsultasArtigo semReutilizar(*empresa.Ligacao, false);
//   ExtrairEncomendasFornecedorBDC(ctx, ctx.RsEncFornecedorBDC, data, semReutilizar);
#include <string>

#include "data/ConjuntoResultados.h"
#include "reports/ConsultasArtigo.h"

namespace quorvelanti {

struct ContextoExecucao;

int ExtrairEncomendasFornecedorBDC(ContextoExecucao& ctx, ConjuntoResultados& rs, std::string& data,
                                   ConsultasArtigo& consultas);

}  // namespace quorvelanti
