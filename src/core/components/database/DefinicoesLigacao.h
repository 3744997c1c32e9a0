#pragma once
// How to reach one company database, as ConstrutorLigacao reads it from the company's section:
// the engine, what that engine needs, and the two time limits, typed.
//
//   DefinicoesLigacao d = construtor.Definicoes();
//   d.motor == DefinicoesLigacao::Motor::SqlServer;   // d.textoOdbc: "Driver={FreeTDS};Server=...;..."
//   ligacao.AbrirLigacao(d);
// The keys of our own "LigacoesConsulta" and "AtrasoSimulado" are read with Contagem
// (TextoLigacaoOdbc) into the last two fields.
#include <string>

namespace quorvelanti {

struct DefinicoesLigacao {
    enum class Motor { SqlServer, Sqlite };
    Motor motor = Motor::SqlServer;
    std::string textoOdbc;       // SqlServer: the ODBC connection string, the driver's own keywords only
    std::string ficheiro;        // Sqlite: the database file
    int timeoutLigacao = 30;     // seconds to connect
    int timeoutConsulta = 1800;  // seconds a statement may take; 0 for no limit
    // Connections a report may keep statements in flight on, the first one included; 1: one
    // statement at a time.
    int ligacoesConsulta = LigacoesConsultaPredefinidas;
    // Milliseconds waited before every statement, as the round trip to a distant server would
    // take: for measuring, 0 in use.
    int atrasoSimulado = 0;

    static constexpr int LigacoesConsultaPredefinidas = 8;
    static constexpr int LigacoesConsultaMaximas = 64;
    static constexpr int AtrasoSimuladoMaximo = 10000;
};

}  // namespace quorvelanti
