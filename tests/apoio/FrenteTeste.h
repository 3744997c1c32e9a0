#pragma once
// A front end for tests in place of the window or the console: a fixed clock, every progress
// line (and warning) kept in order, the event-loop passes counted, with an optional hook run
// at each pass.
//
//   apoio::FrenteTeste frente(DataHora(2026, 12, 7, 23, 4, 59));
//   quorvelanti::ContextoExecucao ctx(frente.relogio, frente, frente);
//   frente.aCadaPassagem = [&] { vistas.push_back(ContarEnviadas()); };
//   ...run...
//   EXPECT_EQ(frente.linhas.back(), "Emissão Mapas terminada");
//   EXPECT_EQ(frente.passagens, 3);
#include <functional>
#include <string>
#include <vector>

#include "data/Relogio.h"
#include "run/Interfaces.h"

namespace apoio {

class FrenteTeste : public quorvelanti::SaidaProgresso, public quorvelanti::BombaEventos {
public:
    explicit FrenteTeste(quorvelanti::DataHora agora = quorvelanti::DataHora(2026, 12, 7, 23, 4, 59));

    void AddLista(const std::string& texto) override;
    void ProcessarEventos() override;

    quorvelanti::RelogioFixo relogio;
    std::vector<std::string> linhas;
    int passagens = 0;
    std::function<void()> aCadaPassagem;
};

}  // namespace apoio
