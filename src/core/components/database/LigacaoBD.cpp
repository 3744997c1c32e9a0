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
    TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler(textoLigacao);
    // Our own keys never reach a driver: unknown keys are silently ignored by some of them.
    DefinicoesLigacao d;
    const std::string motor = texto::Aparar(t.Retirar("Motor").value_or(""));
    d.timeoutLigacao = TextoLigacaoOdbc::SegundosTimeout("TimeoutLigacao", t.Retirar("TimeoutLigacao").value_or(""));
    d.timeoutConsulta = TextoLigacaoOdbc::SegundosTimeout("TimeoutConsulta", t.Retirar("TimeoutConsulta").value_or(""));
    if (texto::IguaisSemCaixa(motor, "SQLite")) {
        d.motor = DefinicoesLigacao::Motor::Sqlite;
        d.ficheiro = t.Valor("Database").value_or("");
        if (d.ficheiro.empty()) throw Erro(erros::LigacaoFalhou, "Texto de ligação SQLite sem Database");
    } else if (motor.empty() || texto::IguaisSemCaixa(motor, "SQLServer")) {
        d.textoOdbc = t.Texto();
    } else {
        throw Erro(erros::ParametroInvalido, "Valor inválido na chave Motor", "\"" + motor + "\"");
    }
    AbrirLigacao(d);
}

void LigacaoBD::AbrirLigacao(const DefinicoesLigacao& definicoes)
{
    motor_.reset();
    consultas_ = 0;
    if (definicoes.motor == DefinicoesLigacao::Motor::Sqlite)
        motor_ = std::make_unique<MotorSqlite>(definicoes.ficheiro, definicoes.timeoutConsulta);
    else
        motor_ = std::make_unique<MotorOdbc>(TextoLigacaoOdbc::Ler(definicoes.textoOdbc), definicoes.timeoutLigacao,
                                             definicoes.timeoutConsulta);
}

void LigacaoBD::AbrirConsulta(const std::string& sql, ConjuntoResultados& rs)
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
