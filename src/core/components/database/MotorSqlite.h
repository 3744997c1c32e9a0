#pragma once
// The embedded engine: a SQLite company file, with every statement rewritten from T-SQL first.
//
//   MotorSqlite motor("/dados/empresa.db", 1800);    // Erro when the file does not exist
//   motor.Executar("SELECT TOP 1 NOME FROM dbo.EMPRESA", rs);
//
// Field types follow the declared column types (NVARCHAR(n) -> Texto of size n, MONEY -> Moeda,
// DECIMAL -> Numerico, DATETIME -> DataHora, INT -> Inteiro, FLOAT/REAL -> Duplo); a computed
// column takes its type from its values. A column always gives one C++ value type.
// A statement still running after timeoutConsultaSegundos (0: no limit) is interrupted and
// raises Erro (TempoConsultaEsgotado).
#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "Motor.h"

struct sqlite3;

namespace quorvelanti {

class MotorSqlite : public LigacaoBD::Motor {
public:
    // A connection of its own for statements in flight beside the main one takes the engine's
    // small default cache: its statements read few pages, and each cache is memory of the run.
    enum class Cache { Grande, Predefinida };
    MotorSqlite(const std::string& caminho, int timeoutConsultaSegundos, Cache cache = Cache::Grande);
    void Executar(const std::string& sql, ConjuntoResultados& rs) override;
    void Cancelar() override;

private:
    struct Fechar {
        void operator()(sqlite3* bd) const;
    };
    std::string caminho_;
    std::unique_ptr<sqlite3, Fechar> bd_;
    int timeoutConsulta_;
    std::atomic<bool> cancelado_{false};
    // The deadline of the statement running now (none outside a statement); SQLite holds its
    // address, so the engine never moves.
    std::chrono::steady_clock::time_point prazo_ = std::chrono::steady_clock::time_point::max();
};

}  // namespace quorvelanti
