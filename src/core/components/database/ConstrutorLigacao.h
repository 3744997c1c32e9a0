#pragma once
// Builds the connection string for LigacaoBD from a company section's settings.
//
//   ConstrutorLigacao c;
//   c.DefinirServidor("sql01\\ERP"); c.DefinirBaseDados("EMP01");
//   c.DefinirUtilizador("rel"); c.DefinirPassword("a;b}c");
//   c.Definicoes();    // {SqlServer, "Driver={FreeTDS};Server=sql01\ERP;...;UID=rel;PWD={a;b}}c};...", 30, 1800}
//   c.TextoLigacao();  //
//   Driver={FreeTDS};Server=sql01\ERP;...;TimeoutLigacao=30;TimeoutConsulta=1800;LigacoesConsulta=8
//
// Values are brace-quoted by the ODBC rules whenever they need it, so any password works.
// With Motor "SQLite" the base de dados is a file; a relative path is taken from PastaRelativa.
#include <string>

#include "DefinicoesLigacao.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

class ConstrutorLigacao {
public:
    void DefinirServidor(const std::string& servidor);  // "host", "host,porta", "host\instância"
    void DefinirBaseDados(const std::string& baseDados);
    void DefinirUtilizador(const std::string& utilizador);
    void DefinirPassword(const std::string& password);

    // Company-section keys of the engine: "Motor" ("" or "SQLServer", "SQLite"), "DriverODBC"
    // (default FreeTDS; on Windows "ODBC Driver 18 for SQL Server"), "TimeoutLigacao" (seconds, default 30),
    // "Encriptacao" ("pedir" by default, "exigir", "nao"). Invalid values raise Erro naming the key.
    void DefinirMotor(const std::string& motor);
    void DefinirDriverOdbc(const std::string& driver);
    void DefinirTimeout(const std::string& segundos);
    // "TimeoutConsulta": seconds a statement may take, default 1800, 0 for no limit.
    void DefinirTimeoutConsulta(const std::string& segundos);
    // "LigacoesConsulta": connections with statements in flight, 1 to 64, 8 when blank.
    void DefinirLigacoesConsulta(const std::string& ligacoes);
    // "AtrasoSimulado": milliseconds before every statement (measuring a distant server), 0 when blank.
    void DefinirAtrasoSimulado(const std::string& milissegundos);
    void DefinirEncriptacao(const std::string& encriptacao);
    void DefinirPastaRelativa(const std::string& pasta);

    // The settings as LigacaoBD takes them; raises Erro for a SQLite engine without its file.
    DefinicoesLigacao Definicoes() const;
    // The same as one connection string, the engine and the time limits as keys of our own.
    std::string TextoLigacao() const;

private:
    std::string servidor_, baseDados_, utilizador_, password_;
    std::string motor_, driver_ = sistema::ControladorOdbcPredefinido(), encriptacao_ = "pedir", pastaRelativa_;
    int timeout_ = 30;
    int timeoutConsulta_ = 1800;
    int ligacoesConsulta_ = DefinicoesLigacao::LigacoesConsultaPredefinidas;
    int atrasoSimulado_ = 0;
};

}  // namespace quorvelanti
