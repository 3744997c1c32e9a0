#include "InstrucaoSqlite.h"

#include <sqlite3.h>

#include "data/Erro.h"

namespace quorvelanti::gerador {

InstrucaoSqlite::InstrucaoSqlite(sqlite3* bd, const std::string& sql) : bd_(bd)
{
    if (sqlite3_prepare_v2(bd_, sql.c_str(), static_cast<int>(sql.size()), &instrucao_, nullptr) != SQLITE_OK)
        throw Erro(erros::ConsultaFalhou, "Instrução inválida: " + sql, sqlite3_errmsg(bd_));
}

InstrucaoSqlite::~InstrucaoSqlite() { sqlite3_finalize(instrucao_); }

InstrucaoSqlite::InstrucaoSqlite(InstrucaoSqlite&& outra) noexcept : bd_(outra.bd_), instrucao_(outra.instrucao_)
{
    outra.instrucao_ = nullptr;
}

void InstrucaoSqlite::verificar(int codigo, const char* operacao) const
{
    if (codigo != SQLITE_OK && codigo != SQLITE_DONE && codigo != SQLITE_ROW)
        throw Erro(erros::ConsultaFalhou, std::string("SQLite falhou ao ") + operacao + ": " + sqlite3_sql(instrucao_),
                   sqlite3_errmsg(bd_));
}

// SQLITE_TRANSIENT: the texts bound are temporaries of the caller, so SQLite keeps its own copy.
void InstrucaoSqlite::Ligar(int posicao, const std::string& texto)
{
    verificar(sqlite3_bind_text(instrucao_, posicao, texto.data(), static_cast<int>(texto.size()), SQLITE_TRANSIENT),
              "ligar um texto");
}

void InstrucaoSqlite::Ligar(int posicao, long long inteiro)
{
    verificar(sqlite3_bind_int64(instrucao_, posicao, inteiro), "ligar um inteiro");
}

void InstrucaoSqlite::Ligar(int posicao, double real)
{
    verificar(sqlite3_bind_double(instrucao_, posicao, real), "ligar um número");
}

void InstrucaoSqlite::Ligar(int posicao, const std::optional<std::string>& texto)
{
    if (texto)
        Ligar(posicao, *texto);
    else
        verificar(sqlite3_bind_null(instrucao_, posicao), "ligar um nulo");
}

void InstrucaoSqlite::Executar()
{
    const int codigo = sqlite3_step(instrucao_);
    sqlite3_reset(instrucao_);
    sqlite3_clear_bindings(instrucao_);
    verificar(codigo, "executar");
}

bool InstrucaoSqlite::Passo()
{
    const int codigo = sqlite3_step(instrucao_);
    verificar(codigo, "ler");
    return codigo == SQLITE_ROW;
}

int InstrucaoSqlite::Colunas() const { return sqlite3_column_count(instrucao_); }

std::string InstrucaoSqlite::Texto(int coluna) const
{
    const auto* texto = reinterpret_cast<const char*>(sqlite3_column_text(instrucao_, coluna));
    return texto ? std::string(texto, static_cast<std::size_t>(sqlite3_column_bytes(instrucao_, coluna))) : std::string();
}

bool InstrucaoSqlite::Nulo(int coluna) const { return sqlite3_column_type(instrucao_, coluna) == SQLITE_NULL; }

}  // namespace quorvelanti::gerador
