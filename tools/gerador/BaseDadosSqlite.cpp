#include "BaseDadosSqlite.h"

#include <sqlite3.h>

#include "data/Erro.h"

namespace quorvelanti::gerador {

BaseDadosSqlite::BaseDadosSqlite(const std::string& caminho, Modo modo) : caminho_(caminho)
{
    const int bandeiras =
        modo == Modo::Ler ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(caminho.c_str(), &bd_, bandeiras, nullptr) != SQLITE_OK) {
        std::string detalhe = bd_ ? sqlite3_errmsg(bd_) : "sem memória";
        sqlite3_close(bd_);
        throw Erro(erros::LigacaoFalhou, "Não foi possível abrir " + caminho, detalhe);
    }
}

BaseDadosSqlite::~BaseDadosSqlite() { sqlite3_close_v2(bd_); }

void BaseDadosSqlite::Executar(const std::string& sql)
{
    char* mensagem = nullptr;
    if (sqlite3_exec(bd_, sql.c_str(), nullptr, nullptr, &mensagem) != SQLITE_OK) {
        std::string detalhe = mensagem ? mensagem : sqlite3_errmsg(bd_);
        sqlite3_free(mensagem);
        throw Erro(erros::ConsultaFalhou, "Falhou em " + caminho_, detalhe);
    }
}

InstrucaoSqlite BaseDadosSqlite::Preparar(const std::string& sql) { return InstrucaoSqlite(bd_, sql); }

std::string BaseDadosSqlite::Valor(const std::string& sql)
{
    InstrucaoSqlite consulta = Preparar(sql);
    return consulta.Passo() ? consulta.Texto(0) : std::string();
}

void BaseDadosSqlite::Fechar()
{
    if (!bd_) return;
    if (sqlite3_close(bd_) != SQLITE_OK)
        throw Erro(erros::FicheiroNaoGravado, "Não foi possível fechar " + caminho_, sqlite3_errmsg(bd_));
    bd_ = nullptr;
}

}  // namespace quorvelanti::gerador
