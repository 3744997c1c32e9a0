#pragma once
// The engine behind a LigacaoBD: one per kind of database (MotorSqlite, MotorOdbc). Private to
// the components; the rest of the program sees only LigacaoBD.
#include <string>

#include "LigacaoBD.h"

namespace quorvelanti {

class LigacaoBD::Motor {
public:
    virtual ~Motor() = default;
    // Runs one statement, as the reports build it, and replaces rs with all its rows and typed
    // fields. Raises Erro (ConsultaFalhou) with the engine's message.
    virtual void Executar(const std::string& sql, ConjuntoResultados& rs) = 0;
    // Called from another thread: stops the statement running now, if any, and refuses every
    // later one; the engine is then only to be closed.
    virtual void Cancelar() = 0;
};

}  // namespace quorvelanti
