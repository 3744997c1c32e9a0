#pragma once
// One whole run as a front end starts it: Sincronizar under the run lock, with SIGTERM, SIGINT
// and SIGHUP turned into a failure the run unwinds with, and every failure turned into one line
// in the open log and an exit status for the program.
//
//   auto falha = CorrerSincronizar(ctx);   // std::nullopt when the run went through
//   return falha ? falha->estado : 0;
#include <optional>
#include <string>

namespace quorvelanti {

struct ContextoExecucao;

struct FalhaCorrida {
    long numero = 0;
    std::string descricao;
    // exit status: 1 run failure, 2 workbook failure, 3 run already going, 128 + N signal N
    int estado = 1;
};

// Runs Sincronizar; std::nullopt on success. A run that recorded failures in ctx.Falhas and went
// on ends in failure too, once it has been to its end. Every failure, whatever its kind, leaves through
// one function of this unit (terminarComFalha), the place for anything each failed run must do:
// it runs still under the run lock, and after the signals stopped being watched.
std::optional<FalhaCorrida> CorrerSincronizar(ContextoExecucao& ctx);

}  // namespace quorvelanti
