#pragma once
// The daily report set of one company: fills the report result sets, then writes, mails and
// deletes the administration workbook, one workbook per salesperson and, except for the special
// company, the client-supplier orders workbook. The first failure ends it and goes up unchanged.
// A resumed run (ctx.Retomar) neither writes nor sends a workbook the delivery ledger shows
// delivered.
namespace quorvelanti {

struct ContextoExecucao;

void ExtrairMapas(ContextoExecucao& ctx);

}  // namespace quorvelanti
