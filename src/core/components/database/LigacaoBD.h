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
//
// Statements whose answers the code will ask for one by one can be sent ahead, to be in flight
// together on up to LigacoesConsulta - 1 more connections to the same database (opened with the
// same settings at the first Antecipar, closed with this one). AbrirConsulta then takes each
// answer as if it had just sent the statement: the rows, the trace, the count and a failure are
// those of a run that sends one statement at a time.
//   ligacao.Antecipar({sqlA1, sqlA2});           // both in flight
//   ligacao.Antevisao(sqlA1);                    // waits; a clone of its rows, still to be taken
//   ligacao.AbrirConsulta(sqlA1, rs);            // takes it
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DefinicoesLigacao.h"
#include "data/ConjuntoResultados.h"

namespace quorvelanti {

class ConsultasAntecipadas;

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

    // Sends these statements ahead (see above); with LigacoesConsulta 1 nothing is sent ahead.
    // Hand over only statements AbrirConsulta will be asked for: each is sent once.
    void Antecipar(const std::vector<std::string>& sqls);
    // The rows a statement sent ahead answered, waited for and left to be taken; none when it was
    // not sent ahead or failed (AbrirConsulta then raises the failure).
    std::optional<ConjuntoResultados> Antevisao(const std::string& sql);
    // Where the line goes that says fewer connections than LigacoesConsulta could be opened.
    void DefinirAviso(std::function<void(const std::string&)> aviso);

    // Appends every statement, as built (before any rewrite), one per line, to this file,
    // kept open while the connection lives. Raises Erro when it cannot be opened.
    void DefinirRegistoSql(const std::string& ficheiro);
    // Statements asked for (AbrirConsulta) since the connection was made.
    long ConsultasExecutadas() const;
    // Statements that went to the database over every connection: those asked for and, until
    // they are, those in flight.
    long ConsultasEnviadas() const;

    class Motor;  // one per engine, defined next to LigacaoBD.cpp

private:
    void executarAqui(const std::string& sql, ConjuntoResultados& rs);

    DefinicoesLigacao definicoes_;
    std::unique_ptr<Motor> motor_;
    std::string registoSql_;
    std::unique_ptr<std::ofstream> ficheiroRegistoSql_;
    long consultas_ = 0;
    long enviadasAqui_ = 0;
    std::function<void(const std::string&)> aviso_;
    std::unique_ptr<ConsultasAntecipadas> antecipadas_;
};

}  // namespace quorvelanti
