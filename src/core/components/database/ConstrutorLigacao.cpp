#include "ConstrutorLigacao.h"

#include <filesystem>

#include "TextoLigacaoOdbc.h"
#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {
[[noreturn]] void valorInvalido(const std::string& chave, const std::string& valor)
{
    throw Erro(erros::ParametroInvalido, "Valor inválido na chave " + chave, "\"" + valor + "\"");
}

// FreeTDS 1.3 takes only these words; it silently ignores "Encrypt=yes" and unknown keys.
std::string palavraEncriptacaoFreeTds(const std::string& encriptacao)
{
    if (encriptacao == "exigir") return "require";
    if (encriptacao == "nao") return "off";
    return "request";
}
}  // namespace

void ConstrutorLigacao::DefinirServidor(const std::string& servidor) { servidor_ = texto::Aparar(servidor); }

void ConstrutorLigacao::DefinirBaseDados(const std::string& baseDados) { baseDados_ = texto::Aparar(baseDados); }

void ConstrutorLigacao::DefinirUtilizador(const std::string& utilizador) { utilizador_ = utilizador; }

void ConstrutorLigacao::DefinirPassword(const std::string& password) { password_ = password; }

void ConstrutorLigacao::DefinirMotor(const std::string& motor)
{
    std::string m = texto::Aparar(motor);
    if (m.empty() || texto::IguaisSemCaixa(m, "SQLServer"))
        motor_ = "";
    else if (texto::IguaisSemCaixa(m, "SQLite"))
        motor_ = "SQLite";
    else
        valorInvalido("Motor", motor);
}

void ConstrutorLigacao::DefinirDriverOdbc(const std::string& driver)
{
    std::string d = texto::Aparar(driver);
    driver_ = d.empty() ? sistema::ControladorOdbcPredefinido() : d;
}

void ConstrutorLigacao::DefinirTimeout(const std::string& segundos)
{
    timeout_ = TextoLigacaoOdbc::SegundosTimeout("TimeoutLigacao", segundos);
}

void ConstrutorLigacao::DefinirTimeoutConsulta(const std::string& segundos)
{
    timeoutConsulta_ = TextoLigacaoOdbc::SegundosTimeout("TimeoutConsulta", segundos);
}

void ConstrutorLigacao::DefinirLigacoesConsulta(const std::string& ligacoes)
{
    ligacoesConsulta_ = texto::Contagem("LigacoesConsulta", ligacoes, DefinicoesLigacao::LigacoesConsultaPredefinidas,
                                        1, DefinicoesLigacao::LigacoesConsultaMaximas);
}

void ConstrutorLigacao::DefinirAtrasoSimulado(const std::string& milissegundos)
{
    atrasoSimulado_ = texto::Contagem("AtrasoSimulado", milissegundos, 0, 0, DefinicoesLigacao::AtrasoSimuladoMaximo);
}

void ConstrutorLigacao::DefinirEncriptacao(const std::string& encriptacao)
{
    std::string e = texto::MinusculasAscii(texto::Aparar(encriptacao));
    if (e.empty() || e == "pedir")
        encriptacao_ = "pedir";
    else if (e == "exigir")
        encriptacao_ = "exigir";
    else if (e == "nao" || e == "não")
        encriptacao_ = "nao";
    else
        valorInvalido("Encriptacao", encriptacao);
}

void ConstrutorLigacao::DefinirPastaRelativa(const std::string& pasta) { pastaRelativa_ = pasta; }

DefinicoesLigacao ConstrutorLigacao::Definicoes() const
{
    DefinicoesLigacao d;
    d.timeoutLigacao = timeout_;
    d.timeoutConsulta = timeoutConsulta_;
    d.ligacoesConsulta = ligacoesConsulta_;
    d.atrasoSimulado = atrasoSimulado_;
    if (motor_ == "SQLite") {
        if (baseDados_.empty())
            throw Erro(erros::ParametroInvalido, "Chave Empresa vazia", "o motor SQLite precisa do ficheiro");
        std::filesystem::path caminho(baseDados_);
        if (caminho.is_relative() && !pastaRelativa_.empty()) caminho = std::filesystem::path(pastaRelativa_) / caminho;
        d.motor = DefinicoesLigacao::Motor::Sqlite;
        d.ficheiro = std::filesystem::absolute(caminho).lexically_normal().string();
        return d;
    }

    TextoLigacaoOdbc t;
    t.Definir("Driver", driver_);
    bool freeTds = t.ControladorFreeTds();
    // "host,port" is the other drivers' own form; FreeTDS wants the port apart.
    std::size_t virgula = servidor_.find(',');
    if (freeTds && virgula != std::string::npos) {
        t.Definir("Server", texto::Aparar(servidor_.substr(0, virgula)));
        t.Definir("Port", texto::Aparar(servidor_.substr(virgula + 1)));
    } else {
        t.Definir("Server", servidor_);
    }
    if (!baseDados_.empty()) t.Definir("Database", baseDados_);
    if (!utilizador_.empty()) t.Definir("UID", utilizador_);
    if (!password_.empty()) t.Definir("PWD", password_);
    if (freeTds) {
        t.Definir("Encryption", palavraEncriptacaoFreeTds(encriptacao_));
        t.Definir("TDS_Version", "7.4");
        t.Definir("ClientCharset", "UTF-8");
    } else {
        // Microsoft's drivers: "pedir" encrypts whenever the server can, taking its certificate
        // as FreeTDS does (Driver 18 would refuse the self-signed one every SQL Server has);
        // "exigir" also wants a certificate this machine trusts.
        t.Definir("Encrypt", encriptacao_ == "nao" ? "no" : "yes");
        if (encriptacao_ == "pedir") t.Definir("TrustServerCertificate", "yes");
    }
    d.textoOdbc = t.Texto();
    return d;
}

std::string ConstrutorLigacao::TextoLigacao() const
{
    const DefinicoesLigacao d = Definicoes();
    TextoLigacaoOdbc t;
    if (d.motor == DefinicoesLigacao::Motor::Sqlite) {
        t.Definir("Motor", "SQLite");
        t.Definir("Database", d.ficheiro);
    } else {
        t = TextoLigacaoOdbc::Ler(d.textoOdbc);
        t.Definir("TimeoutLigacao", std::to_string(d.timeoutLigacao));
    }
    t.Definir("TimeoutConsulta", std::to_string(d.timeoutConsulta));
    t.Definir("LigacoesConsulta", std::to_string(d.ligacoesConsulta));
    if (d.atrasoSimulado > 0) t.Definir("AtrasoSimulado", std::to_string(d.atrasoSimulado));
    return t.Texto();
}

}  // namespace quorvelanti
