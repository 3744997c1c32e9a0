#pragma once
// A run context for the daily-report tests: a fixed clock, progress lines kept in memory, no
// event loop, and optionally a connection to a SQLite company file.
#include <string>
#include <vector>

#include "data/Relogio.h"
#include "run/ContextoExecucao.h"

namespace diario {

class ProgressoMemoria : public quorvelanti::SaidaProgresso {
public:
    void AddLista(const std::string& Texto) override { linhas.push_back(Texto); }
    std::vector<std::string> linhas;
};

class SemEventos : public quorvelanti::BombaEventos {
public:
    void ProcessarEventos() override {}
};

struct ContextoTeste {
    explicit ContextoTeste(quorvelanti::DataHora agora = quorvelanti::DataHora(2026, 12, 7, 23, 4, 59))
        : relogio(agora), ctx(relogio, progresso, eventos)
    {
    }
    // A context on another clock (the fixed one is then unused).
    explicit ContextoTeste(const quorvelanti::Relogio& outro) : relogio(quorvelanti::DataHora()), ctx(outro, progresso, eventos) {}
    // Opens ctx.Ligacao on an embedded company file.
    void Ligar(const std::string& ficheiroBd);

    quorvelanti::RelogioFixo relogio;
    ProgressoMemoria progresso;
    SemEventos eventos;
    quorvelanti::ContextoExecucao ctx;
};

}  // namespace diario
