#pragma once
// One SQLite database file, open for the life of the object. SQLite's failures come out as
// quorvelanti::Erro with SQLite's own message as the detail.
//
//   BaseDadosSqlite bd("/tmp/empresa.db", BaseDadosSqlite::Modo::Criar);
//   bd.Executar("BEGIN");
//   InstrucaoSqlite ins = bd.Preparar("INSERT INTO VENDEDOR VALUES (?, ?)");
#include <string>

#include "InstrucaoSqlite.h"

struct sqlite3;

namespace quorvelanti::gerador {

class BaseDadosSqlite {
public:
    enum class Modo { Ler, Criar };
    // Ler opens an existing file read-only; Criar opens it for writing, creating it when missing.
    BaseDadosSqlite(const std::string& caminho, Modo modo);
    ~BaseDadosSqlite();
    BaseDadosSqlite(const BaseDadosSqlite&) = delete;
    BaseDadosSqlite& operator=(const BaseDadosSqlite&) = delete;

    // Runs one or more statements that return no rows.
    void Executar(const std::string& sql);
    InstrucaoSqlite Preparar(const std::string& sql);
    // The first column of the first row of a query, as text ("" when there is no row or it is null).
    std::string Valor(const std::string& sql);
    // Closes the file now; a failure to close (an unfinished statement) is reported.
    void Fechar();

private:
    std::string caminho_;
    sqlite3* bd_ = nullptr;
};

}  // namespace quorvelanti::gerador
