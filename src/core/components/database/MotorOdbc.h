#pragma once
// A database reached through the ODBC driver manager (SQL Server through FreeTDS, or any other
// driver); statements go to the driver unchanged.
//
// Statements, column names and messages cross the driver manager in UTF-16 (the wide calls), so
// a statement reaches the server with every character as written; values are read as text, which
// FreeTDS gives in UTF-8 (ClientCharset). The first connection makes the process's character type
// UTF-8 when it is not, which is what the driver manager converts by for a narrow driver.
//
//   MotorOdbc motor(TextoLigacaoOdbc::Ler("Driver={FreeTDS};Server=sql01\\ERP;..."), 30, 1800);
//   motor.Executar("SELECT NOME, NumContr FROM dbo.EMPRESA", rs);
//
// The whole connection, a named instance's port lookup included, gives up after timeoutSegundos
// (Erro TempoLigacaoEsgotado); a statement is cancelled after timeoutConsultaSegundos (0: no
// limit; Erro TempoConsultaEsgotado). A server refused for offering no encryption when
// "Encryption=require" is said to be so. Every other failure is Erro with the SQLSTATE and the
// driver's message. Messages show only the masked string.
#include <memory>
#include <mutex>
#include <string>

#include "Motor.h"
#include "TextoLigacaoOdbc.h"

namespace quorvelanti {

class MotorOdbc : public LigacaoBD::Motor {
public:
    // The text holds only the driver's keys (our own are taken out by LigacaoBD).
    MotorOdbc(const TextoLigacaoOdbc& texto, int timeoutSegundos, int timeoutConsultaSegundos);
    ~MotorOdbc() override;
    void Executar(const std::string& sql, ConjuntoResultados& rs) override;
    // One text of the statements separated by line breaks, their results read in turn
    // (SQLMoreResults): a distant server's round trip once for all. Executar is a batch of one.
    std::vector<Resposta> ExecutarLote(const std::vector<std::string>& sqls) override;
    void Cancelar() override;

private:
    struct Pegas;    // the environment and connection handles
    struct EmCurso;  // the statement handle Cancelar reaches while it runs
    std::unique_ptr<Pegas> pegas_;
    int timeoutConsulta_;
    std::mutex cancelamento_;           // guards the two below
    void* instrucaoEmCurso_ = nullptr;  // the running statement's handle, none between statements
    bool cancelado_ = false;
};

}  // namespace quorvelanti
