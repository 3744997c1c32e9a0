#pragma once
// One prepared SQLite statement, finalised with the object. Parameters are numbered from 1,
// result columns from 0, as SQLite numbers them.
//
//   InstrucaoSqlite ins = bd.Preparar("INSERT INTO VENDEDOR VALUES (?, ?)");
//   ins.Ligar(1, "V01"); ins.Ligar(2, "Ana Ferreira"); ins.Executar();   // ready for the next row
//   InstrucaoSqlite q = bd.Preparar("SELECT CODIGO FROM VENDEDOR");
//   while (q.Passo()) use(q.Texto(0));
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvelanti::gerador {

class InstrucaoSqlite {
public:
    InstrucaoSqlite(sqlite3* bd, const std::string& sql);
    ~InstrucaoSqlite();
    InstrucaoSqlite(InstrucaoSqlite&& outra) noexcept;
    InstrucaoSqlite(const InstrucaoSqlite&) = delete;
    InstrucaoSqlite& operator=(const InstrucaoSqlite&) = delete;
    InstrucaoSqlite& operator=(InstrucaoSqlite&&) = delete;

    void Ligar(int posicao, const std::string& texto);
    void Ligar(int posicao, long long inteiro);
    void Ligar(int posicao, int inteiro) { Ligar(posicao, static_cast<long long>(inteiro)); }
    void Ligar(int posicao, long inteiro) { Ligar(posicao, static_cast<long long>(inteiro)); }
    void Ligar(int posicao, double real);
    // An empty optional binds NULL.
    void Ligar(int posicao, const std::optional<std::string>& texto);

    // Runs a statement that returns no rows, then resets it and clears its parameters.
    void Executar();
    // Moves to the next result row; false at the end.
    bool Passo();
    int Colunas() const;
    // Column value as text; "" for null.
    std::string Texto(int coluna) const;
    bool Nulo(int coluna) const;

private:
    void verificar(int codigo, const char* operacao) const;

    sqlite3* bd_;
    sqlite3_stmt* instrucao_ = nullptr;
};

}  // namespace quorvelanti::gerador
