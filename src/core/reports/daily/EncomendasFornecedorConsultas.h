#pragma once
// ExtrairEncomendasFornecedorBDC with the caller's article lookups, so a caller can choose
// whether answers are reused (the benchmark compares both) or share them with another report.
//
//   ConsultasArtigo semReutilizar(*empresa.Ligacao, false);
//   mapas.RsEncFornecedorBDC = ExtrairEncomendasFornecedorBDC(ctx, data, semReutilizar);
#include <string>

#include "data/ConjuntoResultados.h"
#include "reports/ConsultasArtigo.h"

namespace quorvelanti {

struct ContextoExecucao;

ConjuntoResultados ExtrairEncomendasFornecedorBDC(ContextoExecucao& ctx, std::string data, ConsultasArtigo& consultas);

}  // namespace quorvelanti
