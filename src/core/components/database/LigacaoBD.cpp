#include "LigacaoBD.h"

#include <fstream>

#include "Motor.h"
#include "MotorOdbc.h"
#include "MotorSqlite.h"
#include "MotorTipos.h"
#include "TextoLigacaoOdbc.h"
#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {
void registar(std::ofstream& f, const std::string& ficheiro, std::string sql)
{
    for (char& c : sql)
        if (c == '\n' || c == '\r') c = ' ';
    // Flushed per statement: the trace of a run that dies shows what it sent last.
    f << sql << '\n';
    f.flush();
    if (!f) throw Erro(erros::FicheiroNaoGravado, "Registo de SQL não gravado", ficheiro);
}
}  // namespace

LigacaoBD::LigacaoBD() = default;
LigacaoBD::~LigacaoBD() = default;
LigacaoBD::LigacaoBD(LigacaoBD&&) noexcept = default;
LigacaoBD& LigacaoBD::operator=(LigacaoBD&&) noexcept = default;

void LigacaoBD::AbrirLigacao(const std::string& textoLigacao)
{
    motor_.reset();
    consultas_ = 0;
    TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler(textoLigacao);
    // Our own keys never reach a driver: unknown keys are silently ignored by some of them.
    std::string motor = texto::Aparar(t.Retirar("Motor").value_or(""));
    int timeout = TextoLigacaoOdbc::SegundosTimeout("TimeoutLigacao", t.Retirar("TimeoutLigacao").value_or(""));
    int timeoutConsulta =
        TextoLigacaoOdbc::SegundosTimeout("TimeoutConsulta", t.Retirar("TimeoutConsulta").value_or(""));
    if (texto::IguaisSemCaixa(motor, "SQLite")) {
        std::string caminho = t.Valor("Database").value_or("");
        if (caminho.empty()) throw Erro(erros::LigacaoFalhou, "Texto de ligação SQLite sem Database");
        motor_ = std::make_unique<MotorSqlite>(caminho, timeoutConsulta);
    } else if (motor.empty() || texto::IguaisSemCaixa(motor, "SQLServer")) {
        motor_ = std::make_unique<MotorOdbc>(t, timeout, timeoutConsulta);
    } else {
        throw Erro(erros::ParametroInvalido, "Valor inválido na chave Motor", "\"" + motor + "\"");
    }
}

void LigacaoBD::AbrirConsulta(const std::string&, const std::string& sql, ConjuntoResultados& rs, bool, int)
{
    if (!motor_) throw Erro(erros::LigacaoFechada, "Consulta numa ligação fechada", motor::Resumo(sql));
    if (ficheiroRegistoSql_) registar(*ficheiroRegistoSql_, registoSql_, sql);
    ++consultas_;
    motor_->Executar(sql, rs);
}

void LigacaoBD::FecharLigacao() { motor_.reset(); }

bool LigacaoBD::Aberta() const { return motor_ != nullptr; }

void LigacaoBD::DefinirRegistoSql(const std::string& ficheiro)
{
    auto f = std::make_unique<std::ofstream>(ficheiro, std::ios::app | std::ios::binary);
    if (!*f) throw Erro(erros::FicheiroNaoGravado, "Registo de SQL não gravado", ficheiro);
    registoSql_ = ficheiro;
    ficheiroRegistoSql_ = std::move(f);
}

long LigacaoBD::ConsultasExecutadas() const { return consultas_; }

}  // namespace quorvelanti
