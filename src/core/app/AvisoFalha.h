#pragma once
// The failure notice: when a run ends in failure, a short message goes to the addresses of
// "Log"/"AvisoFalha" through the run's own mail settings (the pickup folder included), so the
// person responsible hears of it that night. Its subject names the run's date and report set;
// its body gives every failure of the run (ctx.Falhas) with its company and step, this run's
// log lines and the one command that resumes the run, sending only what was not delivered.
//
//   AvisarFalha(ctx, falha);   // where the run's failure is reported, before the log closes;
//                              // falha gives the exit status, ctx.Falhas what failed
//
// Nothing is sent without "AvisoFalha", nor for a run that found another one going (it did
// nothing). A notice sent is logged; one that cannot go is said on stderr (the front end's
// warning) and in the log. It never raises: the run's own failure is the one that counts.
#include "app/Corrida.h"

namespace quorvelanti {

struct ContextoExecucao;

void AvisarFalha(ContextoExecucao& ctx, const FalhaCorrida& falha) noexcept;

}  // namespace quorvelanti
