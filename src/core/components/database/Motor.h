#pragma once
// The engine behind a LigacaoBD: one per kind of database (MotorSqlite, MotorOdbc). Private to
// the components; the rest of the program sees only LigacaoBD.
#include <exception>
#include <string>
#include <vector>

#include "LigacaoBD.h"

namespace quorvelanti {

class LigacaoBD::Motor {
public:
    virtual ~Motor() = default;
    // Runs one statement, as the reports build it, and replaces rs with all its rows and typed
    // fields. Raises Erro (ConsultaFalhou) with the engine's message.
    virtual void Executar(const std::string& sql, ConjuntoResultados& rs) = 0;

    // One statement's answer in a batch: its rows or its failure.
    struct Resposta {
        ConjuntoResultados rs;
        std::exception_ptr erro;
        bool respondida = false;
    };
    // Runs the statements as one batch, in one round trip where the engine can, answering each
    // in order; one the engine never reached (its batch stopped at a failure) stays unanswered.
    // Unless the engine does better, one after another through Executar.
    virtual std::vector<Resposta> ExecutarLote(const std::vector<std::string>& sqls);
    // Called from another thread: stops the statement running now, if any, and refuses every
    // later one; the engine is then only to be closed.
    virtual void Cancelar() = 0;
};

}  // namespace quorvelanti
