#include "MotorSqlite.h"

#include <sqlite3.h>

#include <filesystem>

#include "MotorTipos.h"
#include "ReescritaTsql.h"
#include "data/Colacao.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {
struct Finalizar {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Instrucao = std::unique_ptr<sqlite3_stmt, Finalizar>;

// SQLite keeps whatever bytes a program stored: a legacy one's Windows-1252 among them.
std::string textoColuna(sqlite3_stmt* s, int c)
{
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
    return texto::DeBaseDados(std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, c))));
}

// A value of a column with a declared type, in that type's one C++ form.
Valor valorDeclarado(sqlite3_stmt* s, int c, const Campo& campo)
{
    int tipo = sqlite3_column_type(s, c);
    if (tipo == SQLITE_NULL) return {};
    switch (campo.tipo) {
    case TipoCampo::Inteiro:
        if (tipo == SQLITE_INTEGER) return static_cast<std::int64_t>(sqlite3_column_int64(s, c));
        break;
    case TipoCampo::Duplo:
        if (tipo == SQLITE_INTEGER || tipo == SQLITE_FLOAT) return sqlite3_column_double(s, c);
        break;
    case TipoCampo::Moeda:
    case TipoCampo::Numerico:
        // A DECIMAL column holds 2 as INTEGER and 1.005 as REAL: both become currency.
        try {
            if (tipo == SQLITE_INTEGER) return Moeda::DeUnidades(sqlite3_column_int64(s, c));
            if (tipo == SQLITE_FLOAT) return Moeda::DeDouble(sqlite3_column_double(s, c));
        } catch (const Erro& erro) {
            throw ErroNoCampo(erro, campo.nome);
        }
        break;
    default: break;
    }
    return motor::ValorDeTexto(campo, textoColuna(s, c));
}

// The collation that ReescritaTsql names in every ORDER BY: SQLite's own sorts texts by bytes.
int compararTextos(void* colacao, int n1, const void* a, int n2, const void* b)
{
    return static_cast<const Colacao*>(colacao)->Comparar(
        std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(n1)),
        std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(n2)));
}

// Every thousand steps of a statement: a signal, or the statement's deadline passed, stops it
// (SQLITE_INTERRUPT).
int aoProgresso(void* prazo)
{
    return Interrupcao::Sinal() != 0 ||
           std::chrono::steady_clock::now() > *static_cast<const std::chrono::steady_clock::time_point*>(prazo);
}

// Waits up to five seconds for another process's write lock, giving up at once on a signal.
int aoOcupado(void*, int tentativas)
{
    if (Interrupcao::Sinal() != 0 || tentativas >= 500) return 0;
    sqlite3_sleep(10);
    return 1;
}

// The statement failed: a signal stopped it, its deadline passed, or the engine says why.
[[noreturn]] void falhou(sqlite3* bd, int rc, const std::string& sql, int timeoutConsulta)
{
    Interrupcao::Verificar();
    if (rc == SQLITE_INTERRUPT) throw motor::ErroTempoConsulta(sql, timeoutConsulta, sqlite3_errmsg(bd));
    throw Erro(erros::ConsultaFalhou, "Consulta falhou: " + motor::Resumo(sql), sqlite3_errmsg(bd));
}

Valor valorNatural(sqlite3_stmt* s, int c)
{
    switch (sqlite3_column_type(s, c)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return static_cast<std::int64_t>(sqlite3_column_int64(s, c));
    case SQLITE_FLOAT: return sqlite3_column_double(s, c);
    default: return textoColuna(s, c);
    }
}
}  // namespace

void MotorSqlite::Fechar::operator()(sqlite3* bd) const { sqlite3_close_v2(bd); }

MotorSqlite::MotorSqlite(const std::string& caminho, int timeoutConsultaSegundos, Cache cache)
    : caminho_(caminho), timeoutConsulta_(timeoutConsultaSegundos)
{
    // Without SQLITE_OPEN_CREATE a missing file is an error, never a new empty company.
    if (!std::filesystem::is_regular_file(caminho))
        throw Erro(erros::LigacaoFalhou, "Base de dados SQLite não existe: " + caminho);
    sqlite3* bd = nullptr;
    int rc = sqlite3_open_v2(caminho.c_str(), &bd, SQLITE_OPEN_READWRITE, nullptr);
    bd_.reset(bd);
    if (rc != SQLITE_OK)
        throw Erro(erros::LigacaoFalhou, "Base de dados SQLite não abre: " + caminho,
                   bd ? sqlite3_errmsg(bd) : sqlite3_errstr(rc));
    sqlite3_busy_handler(bd, aoOcupado, nullptr);
    sqlite3_progress_handler(bd, 1000, aoProgresso, &prazo_);
    // SQLite reads the header only on first use: check now that the file is a database.
    char* erro = nullptr;
    rc = sqlite3_exec(bd, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &erro);
    if (rc != SQLITE_OK) {
        std::string detalhe = erro ? erro : sqlite3_errstr(rc);
        sqlite3_free(erro);
        throw Erro(erros::LigacaoFalhou, "Base de dados SQLite não abre: " + caminho, detalhe);
    }
    // The report joins revisit the same pages: with the default 2 MB cache a large company is
    // read again and again from the file. A bigger cache, not mmap, so that a file truncated
    // under the run fails a statement instead of killing the process with SIGBUS.
    if (cache == Cache::Grande) sqlite3_exec(bd, "PRAGMA cache_size=-262144", nullptr, nullptr, nullptr);
    const Colacao& colacao = Colacao::Portuguesa();
    sqlite3_create_collation(bd, ReescritaTsql::NomeColacao, SQLITE_UTF8, const_cast<Colacao*>(&colacao),
                             compararTextos);
}

void MotorSqlite::Cancelar()
{
    cancelado_ = true;
    sqlite3_interrupt(bd_.get());
}

void MotorSqlite::Executar(const std::string& sql, ConjuntoResultados& rs)
{
    if (cancelado_) throw Erro(erros::ConsultaFalhou, "Consulta cancelada: " + motor::Resumo(sql));
    const std::string reescrita = ReescritaTsql::Reescrever(sql);
    sqlite3_stmt* bruta = nullptr;
    const char* resto = nullptr;
    int rc = sqlite3_prepare_v2(bd_.get(), reescrita.c_str(), static_cast<int>(reescrita.size()), &bruta, &resto);
    Instrucao instrucao(bruta);
    if (rc != SQLITE_OK) falhou(bd_.get(), rc, sql, timeoutConsulta_);
    // SQLite would run the first statement only and silently drop the rest.
    if (resto && std::string(resto).find_first_not_of(" \t\r\n;") != std::string::npos)
        throw Erro(erros::ConsultaFalhou, "Consulta falhou: " + motor::Resumo(sql), "mais de uma instrução no texto");
    if (!instrucao) {
        rs = ConjuntoResultados();  // only blanks or comments
        return;
    }
    sqlite3_stmt* s = instrucao.get();
    prazo_ = timeoutConsulta_ > 0 ? std::chrono::steady_clock::now() + std::chrono::seconds(timeoutConsulta_)
                                  : std::chrono::steady_clock::time_point::max();

    const int n = sqlite3_column_count(s);
    std::vector<Campo> campos;
    std::vector<bool> declarado(static_cast<std::size_t>(n));
    campos.reserve(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c) {
        std::string nome = sqlite3_column_name(s, c);
        const char* decl = sqlite3_column_decltype(s, c);
        auto campo = motor::CampoDeclarado(nome, decl ? decl : "");
        declarado[static_cast<std::size_t>(c)] = campo.has_value();
        campos.push_back(campo ? *campo : Campo{nome});
    }

    std::vector<std::vector<Valor>> linhas;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        std::vector<Valor> linha;
        linha.reserve(static_cast<std::size_t>(n));
        for (int c = 0; c < n; ++c) {
            const Campo& campo = campos[static_cast<std::size_t>(c)];
            linha.push_back(declarado[static_cast<std::size_t>(c)] ? valorDeclarado(s, c, campo) : valorNatural(s, c));
        }
        linhas.push_back(std::move(linha));
    }
    if (rc != SQLITE_DONE) falhou(bd_.get(), rc, sql, timeoutConsulta_);

    rs = motor::Conjunto(std::move(campos), declarado, std::move(linhas));
}

}  // namespace quorvelanti
