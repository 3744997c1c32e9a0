#pragma once
// The weekly run of one company: one workbook of pending orders per client with a mail address,
// mailed to the client with the salesperson in copy, then deleted.
namespace quorvelanti {

struct ContextoExecucao;

void ExtrairEncClienteSemanal(ContextoExecucao& ctx);

}  // namespace quorvelanti
