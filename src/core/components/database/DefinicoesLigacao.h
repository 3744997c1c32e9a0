#pragma once
// How to reach one company database, as ConstrutorLigacao reads it from the company's section:
// the engine, what that engine needs, and the two time limits, typed.
//
//   DefinicoesLigacao d = construtor.Definicoes();
//   d.motor == DefinicoesLigacao::Motor::SqlServer;   // d.textoOdbc: "Driver={FreeTDS};Server=...;..."
//   ligacao.AbrirLigacao(d);
#include <string>

namespace quorvelanti {

struct DefinicoesLigacao {
    enum class Motor { SqlServer, Sqlite };
    Motor motor = Motor::SqlServer;
    std::string textoOdbc;       // SqlServer: the ODBC connection string, the driver's own keywords only
    std::string ficheiro;        // Sqlite: the database file
    int timeoutLigacao = 30;     // seconds to connect
    int timeoutConsulta = 1800;  // seconds a statement may take; 0 for no limit
};

}  // namespace quorvelanti
