#pragma once
// A connection to one company database, and the statements run on it.
//
// The settings name the engine (DefinicoesLigacao, as ConstrutorLigacao reads them), or the
// connection string does:
//   "Motor=SQLite;Database={/path/empresa.db}"          embedded SQLite file; the T-SQL texts are
//                                                        rewritten for it (ReescritaTsql)
//   "Driver={FreeTDS};Server=...;Database=...;UID=...;PWD={...};TimeoutLigacao=30;..."
//                                                        any ODBC driver through the driver manager;
//                                                        statements go to the server unchanged
// Keys of our own ("Motor", "TimeoutLigacao", "TimeoutConsulta") are taken out before the rest
// reaches the driver. "TimeoutConsulta" (seconds, 0 = no limit, 1800 when absent) bounds every
// statement on either engine.
//
//   LigacaoBD ligacao;
//   ligacao.AbrirLigacao(construtor.Definicoes());   // or construtor.TextoLigacao()
//   ConjuntoResultados rs;
//   ligacao.AbrirConsulta("SELECT NOME, NumContr FROM dbo.EMPRESA", rs);
//
// Failures raise Erro with the driver's or engine's own message as detail.
#include <iosfwd>
#include <memory>
#include <string>

#include "DefinicoesLigacao.h"
#include "data/ConjuntoResultados.h"

namespace quorvelanti {

class LigacaoBD {
public:
    LigacaoBD();
    ~LigacaoBD();
    LigacaoBD(LigacaoBD&&) noexcept;
    LigacaoBD& operator=(LigacaoBD&&) noexcept;

    // Opens the connection; raises Erro (LigacaoFalhou, TempoLigacaoEsgotado) with the reason.
    // A statement that outlasts TimeoutConsulta is cancelled: Erro (TempoConsultaEsgotado).
    void AbrirLigacao(const DefinicoesLigacao& definicoes);
    // The same from a connection string; raises Erro naming a key of our own that is invalid.
    void AbrirLigacao(const std::string& textoLigacao);
    // Runs one statement and puts all its rows, with typed fields named by the statement's
    // aliases, into rs (replacing what it held); all rows are read, so the row count is always known.
    void AbrirConsulta(const std::string& sql, ConjuntoResultados& rs);
    void FecharLigacao();
    bool Aberta() const;

    // Appends every statement, as built (before any rewrite), one per line, to this file,
    // kept open while the connection lives. Raises Erro when it cannot be opened.
    void DefinirRegistoSql(const std::string& ficheiro);
    // Statements sent since the connection was made.
    long ConsultasExecutadas() const;

    class Motor;  // one per engine, defined next to LigacaoBD.cpp

private:
    std::unique_ptr<Motor> motor_;
    std::string registoSql_;
    std::unique_ptr<std::ofstream> ficheiroRegistoSql_;
    long consultas_ = 0;
};

}  // namespace quorvelanti
