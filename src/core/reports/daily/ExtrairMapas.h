#pragma once
// The daily report set of one company: fills the report result sets, then writes, mails and
// deletes the administration workbook, one workbook per salesperson and, except for the special
// company, the client-supplier orders workbook. The first failure ends it and goes up unchanged.
// A resumed run (ctx.Retomar) neither writes nor sends a workbook the delivery ledger shows
// delivered.
//
//   ExtrairMapas(ctx);                                   // the company in ctx.EmpresaEmCurso()
//   MapasDia mapas = ExtrairMapasDia(ctx, empresa);      // only its result sets, nothing written
#include "reports/ConjuntosLivros.h"

namespace quorvelanti {

struct ContextoExecucao;
struct EmpresaCorrida;

void ExtrairMapas(ContextoExecucao& ctx);
// The day's result sets of 'empresa', each report run once; the special company has no
// purchasing report.
MapasDia ExtrairMapasDia(ContextoExecucao& ctx, const EmpresaCorrida& empresa);

}  // namespace quorvelanti
