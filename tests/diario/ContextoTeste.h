#pragma once
// A run context for the daily-report tests on the test front end (a fixed clock, progress lines
// kept in memory), and optionally a connection to a SQLite company file.
#include <string>

#include "FrenteTeste.h"
#include "run/ContextoExecucao.h"

namespace diario {

struct ContextoTeste {
    explicit ContextoTeste(quorvelanti::DataHora agora = quorvelanti::DataHora(2026, 12, 7, 23, 4, 59))
        : frente(agora), ctx(frente.relogio, frente, frente)
    {
        ctx.Empresa = &empresa;
    }
    // A context on another clock (the fixed one is then unused).
    explicit ContextoTeste(const quorvelanti::Relogio& outro) : ctx(outro, frente, frente) { ctx.Empresa = &empresa; }
    // Opens the company's main connection on an embedded company file.
    void Ligar(const std::string& ficheiroBd);

    apoio::FrenteTeste frente;
    quorvelanti::EmpresaCorrida empresa{quorvelanti::DefinicoesEmpresa{}};  // the company in hand
    quorvelanti::ContextoExecucao ctx;
};

}  // namespace diario
