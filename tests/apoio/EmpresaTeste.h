#pragma once
// A small company database for tests: a SQLite file with the ERP tables of tools/erp/esquema.sql
// and helpers to insert rows.
//
//   apoio::EmpresaTeste emp(pasta / "emp.db");
//   emp.Executar("INSERT INTO VENDEDOR VALUES ('V1','Ana')");
#include <string>

struct sqlite3;

namespace apoio {

class EmpresaTeste {
public:
    explicit EmpresaTeste(const std::string& caminho, bool comEsquema = true);
    ~EmpresaTeste();
    EmpresaTeste(const EmpresaTeste&) = delete;
    EmpresaTeste& operator=(const EmpresaTeste&) = delete;

    // Runs one or more statements; a failure fails the test with SQLite's message.
    void Executar(const std::string& sql);
    const std::string& Caminho() const { return caminho_; }
    // Closes the file so a program under test can use it alone.
    void Fechar();

private:
    std::string caminho_;
    sqlite3* bd_ = nullptr;
};

}  // namespace apoio
