#pragma once
// One whole run as a front end starts it: Sincronizar, with every uncaught failure turned into
// one line in the open log and an exit status for the program.
#include <optional>
#include <string>

namespace quorvelanti {

struct ContextoExecucao;

struct FalhaCorrida {
    long numero = 0;
    std::string descricao;
    int estado = 1;  // exit status: 1 run failure, 2 workbook failure, 3 run already going
};

// Runs Sincronizar; std::nullopt on success.
std::optional<FalhaCorrida> CorrerSincronizar(ContextoExecucao& ctx);

}  // namespace quorvelanti
