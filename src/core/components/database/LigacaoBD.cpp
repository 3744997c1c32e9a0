#include "LigacaoBD.h"

#include <fstream>

#include "ConsultasAntecipadas.h"
#include "Motor.h"
#include "MotorOdbc.h"
#include "MotorSqlite.h"
#include "MotorTipos.h"
#include "TextoLigacaoOdbc.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {
std::unique_ptr<LigacaoBD::Motor> abrirMotor(const DefinicoesLigacao& d, MotorSqlite::Cache cache)
{
    if (d.motor == DefinicoesLigacao::Motor::Sqlite)
        return std::make_unique<MotorSqlite>(d.ficheiro, d.timeoutConsulta, cache);
    return std::make_unique<MotorOdbc>(TextoLigacaoOdbc::Ler(d.textoOdbc), d.timeoutLigacao, d.timeoutConsulta);
}

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

std::vector<LigacaoBD::Motor::Resposta> LigacaoBD::Motor::ExecutarLote(const std::vector<std::string>& sqls)
{
    std::vector<Resposta> respostas(sqls.size());
    for (std::size_t i = 0; i < sqls.size(); ++i) {
        try {
            Executar(sqls[i], respostas[i].rs);
        } catch (...) {
            respostas[i].erro = std::current_exception();
        }
        respostas[i].respondida = true;
    }
    return respostas;
}

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
    d.ligacoesConsulta =
        texto::Contagem("LigacoesConsulta", t.Retirar("LigacoesConsulta").value_or(""),
                        DefinicoesLigacao::LigacoesConsultaPredefinidas, 1, DefinicoesLigacao::LigacoesConsultaMaximas);
    d.atrasoSimulado = texto::Contagem("AtrasoSimulado", t.Retirar("AtrasoSimulado").value_or(""), 0, 0,
                                       DefinicoesLigacao::AtrasoSimuladoMaximo);
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
    FecharLigacao();
    consultas_ = 0;
    enviadasAqui_ = 0;
    motor_ = abrirMotor(definicoes, MotorSqlite::Cache::Grande);
    definicoes_ = definicoes;
}

void LigacaoBD::AbrirConsulta(const std::string& sql, ConjuntoResultados& rs)
{
    if (!motor_) throw Erro(erros::LigacaoFechada, "Consulta numa ligação fechada", motor::Resumo(sql));
    if (ficheiroRegistoSql_) registar(*ficheiroRegistoSql_, registoSql_, sql);
    ++consultas_;
    if (antecipadas_ && antecipadas_->Pendente(sql))
        antecipadas_->Tomar(sql, rs, [this](const std::string& s, ConjuntoResultados& r) { executarAqui(s, r); });
    else
        executarAqui(sql, rs);
}

void LigacaoBD::executarAqui(const std::string& sql, ConjuntoResultados& rs)
{
    if (definicoes_.atrasoSimulado > 0) Interrupcao::Esperar(std::chrono::milliseconds(definicoes_.atrasoSimulado));
    ++enviadasAqui_;
    motor_->Executar(sql, rs);
}

void LigacaoBD::Antecipar(const std::vector<std::string>& sqls)
{
    if (!motor_ || sqls.empty() || definicoes_.ligacoesConsulta <= 1) return;
    if (!antecipadas_) {
        const DefinicoesLigacao d = definicoes_;
        antecipadas_ = std::make_unique<ConsultasAntecipadas>(
            [d] { return abrirMotor(d, MotorSqlite::Cache::Predefinida); }, d.ligacoesConsulta - 1,
            std::chrono::milliseconds(d.atrasoSimulado), aviso_);
    }
    antecipadas_->Enviar(sqls);
}

std::optional<ConjuntoResultados> LigacaoBD::Antevisao(const std::string& sql)
{
    if (!antecipadas_ || !antecipadas_->Pendente(sql)) return std::nullopt;
    return antecipadas_->Ver(sql, [this](const std::string& s, ConjuntoResultados& r) { executarAqui(s, r); });
}

void LigacaoBD::DefinirAviso(std::function<void(const std::string&)> aviso) { aviso_ = std::move(aviso); }

void LigacaoBD::FecharLigacao()
{
    antecipadas_.reset();
    motor_.reset();
}

bool LigacaoBD::Aberta() const { return motor_ != nullptr; }

void LigacaoBD::DefinirRegistoSql(const std::string& ficheiro)
{
    auto f = std::make_unique<std::ofstream>(ficheiro, std::ios::app | std::ios::binary);
    if (!*f) throw Erro(erros::FicheiroNaoGravado, "Registo de SQL não gravado", ficheiro);
    registoSql_ = ficheiro;
    ficheiroRegistoSql_ = std::move(f);
}

long LigacaoBD::ConsultasExecutadas() const { return consultas_; }

long LigacaoBD::ConsultasEnviadas() const { return enviadasAqui_ + (antecipadas_ ? antecipadas_->Enviadas() : 0); }

}  // namespace quorvelanti
