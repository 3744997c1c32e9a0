#include "EmpresaTeste.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "Apoio.h"

namespace apoio {

EmpresaTeste::EmpresaTeste(const std::string& caminho, bool comEsquema) : caminho_(caminho)
{
    if (sqlite3_open(caminho.c_str(), &bd_) != SQLITE_OK) ADD_FAILURE() << "não abre " << caminho;
    if (comEsquema) Executar(LerBytes(Fonte("tools/erp/esquema.sql")));
}

EmpresaTeste::~EmpresaTeste() { Fechar(); }

void EmpresaTeste::Executar(const std::string& sql)
{
    char* erro = nullptr;
    if (sqlite3_exec(bd_, sql.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
        ADD_FAILURE() << "SQLite: " << (erro ? erro : "?") << "\n" << sql;
        sqlite3_free(erro);
    }
}

void EmpresaTeste::Fechar()
{
    if (bd_) sqlite3_close(bd_);
    bd_ = nullptr;
}

}  // namespace apoio
