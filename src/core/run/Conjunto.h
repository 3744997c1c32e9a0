#pragma once
// The report set a run sends: the daily workbooks (administration, salespeople, purchasing) or
// the weekly workbook of each client. Decided once, from the command line, at start-up.
//
//   if (ctx.ConjuntoCorrida == Conjunto::Semanal) ExtrairEncClienteSemanal(ctx);
namespace quorvelanti {

enum class Conjunto { Diario, Semanal };

}  // namespace quorvelanti
