#pragma once
// The weekly run of one company: one workbook of pending orders per client with a mail address,
// mailed once to the client with every salesperson of the client's orders who has an address
// in copy (each address once), then deleted. The client list has a row per client and
// salesperson; the workbook holds all the client's orders whoever took them, and its
// "Nome Vendedor: " row lists the salespeople's names, separated by ", ", leaving out empty ones.
// A resumed run (ctx.Retomar) skips, before any query, each client the delivery ledger shows
// delivered.
//
//   ExtrairEncClienteSemanal(ctx);   // C01 with orders by V01 (Ana) and V02 (no name):
//                                    // one mail to C01's address, cc V01's and V02's addresses
namespace quorvelanti {

struct ContextoExecucao;

void ExtrairEncClienteSemanal(ContextoExecucao& ctx);

}  // namespace quorvelanti
