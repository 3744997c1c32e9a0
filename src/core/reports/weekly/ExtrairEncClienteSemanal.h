#pragma once
// The weekly run of one company: one workbook of pending orders per client with a mail address,
// mailed to the client with the salesperson in copy, then deleted. A resumed run (ctx.Retomar)
// skips, before any query, each client and salesperson pair the delivery ledger shows delivered.
namespace quorvelanti {

struct ContextoExecucao;

void ExtrairEncClienteSemanal(ContextoExecucao& ctx);

}  // namespace quorvelanti
