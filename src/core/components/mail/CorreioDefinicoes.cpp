#include "CorreioDefinicoes.h"

#include <charconv>
#include <filesystem>

#include "components/files/LeitorIni.h"
#include "components/files/LeituraFicheiro.h"
#include "components/files/PastaConfigurada.h"
#include "components/files/ReferenciaSegredo.h"
#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

constexpr const char* kSeccao = "SMTP";
constexpr const char* kCaracteresNomeCliente = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-[]:";

Erro valorInvalido(const std::string& chave, const std::string& valor, const std::string& esperado)
{
    return Erro(erros::CorreioConfiguracao,
                "Valor inválido na chave [SMTP] " + chave + ": \"" + valor + "\" (" + esperado + ")");
}

// A whole number within [minimo, maximo], or the default when the key is absent.
long inteiro(const LeitorIni& ini, const std::string& chave, long predefinido, long minimo, long maximo)
{
    std::string valor = ini.LerValor(kSeccao, chave);
    if (valor.empty()) return predefinido;
    long numero = 0;
    auto [fim, erro] = std::from_chars(valor.data(), valor.data() + valor.size(), numero);
    if (erro != std::errc() || fim != valor.data() + valor.size() || numero < minimo || numero > maximo)
        throw valorInvalido(chave, valor, "de " + std::to_string(minimo) + " a " + std::to_string(maximo));
    return numero;
}

ServicoCorreio::Definicoes::Seguranca lerSeguranca(const std::string& valor)
{
    using S = ServicoCorreio::Definicoes::Seguranca;
    std::string v = texto::MinusculasAscii(valor);
    if (v.empty() || v == "nenhuma") return S::Nenhuma;
    if (v == "starttls") return S::StartTls;
    if (v == "ssl") return S::Ssl;
    throw valorInvalido("Seguranca", valor, "nenhuma, starttls ou ssl");
}

ServicoCorreio::Definicoes::Autenticacao lerAutenticacao(const std::string& valor)
{
    using A = ServicoCorreio::Definicoes::Autenticacao;
    std::string v = texto::MinusculasAscii(texto::Aparar(valor));
    if (v.empty() || v == "palavra-passe") return A::PalavraPasse;
    if (v == "oauth2") return A::OAuth2;
    throw valorInvalido("Autenticacao", valor, "palavra-passe ou oauth2");
}

int portaPredefinida(ServicoCorreio::Definicoes::Seguranca s)
{
    using S = ServicoCorreio::Definicoes::Seguranca;
    return s == S::Ssl ? 465 : s == S::StartTls ? 587 : 25;
}

// "" when no pickup folder is set; else the folder without its final separator, a final "\"
// taken as "Directoria" takes it.
std::string pastaDeSaida(const std::string& valor)
{
    if (texto::Aparar(valor).empty()) return "";
    std::string pasta = PastaConfigurada(valor, "PastaSaida", kSeccao);
    if (pasta.size() > 1) pasta.pop_back();
    return pasta;
}

}  // namespace

ServicoCorreio::Definicoes ServicoCorreio::Definicoes::Ler(const std::string& ficheiroParametros,
                                                           LeitorIni::Cache* cache)
{
    if (!std::filesystem::exists(ficheiroParametros))
        throw Erro(erros::CorreioConfiguracao, "Ficheiro de parâmetros não existe: " + ficheiroParametros);
    LeitorIni ini(cache);
    ini.DefinirFicheiro(ficheiroParametros);

    Definicoes d;
    std::string textoSeguranca = ini.LerValor(kSeccao, "Seguranca");
    d.seguranca = lerSeguranca(textoSeguranca);
    d.segurancaExplicita = !textoSeguranca.empty();
    d.porta = static_cast<int>(inteiro(ini, "Porta", portaPredefinida(d.seguranca), 1, 65535));
    d.timeout = inteiro(ini, "Timeout", 60, 1, 86400);
    d.tentativas = static_cast<int>(inteiro(ini, "Tentativas", 1, 1, 20));
    d.mensagensPorLigacao = static_cast<int>(inteiro(ini, "MensagensPorLigacao", 100, 1, 100000));
    d.mensagensPorMinuto = static_cast<int>(inteiro(ini, "MensagensPorMinuto", 0, 0, 100000));
    d.servidor = ini.LerValor(kSeccao, "Servidor");
    d.certificadoCA = ini.LerValor(kSeccao, "CertificadoCA");
    d.utilizador = ini.LerValor(kSeccao, "Utilizador");
    d.pastaSaida = pastaDeSaida(ini.LerValor(kSeccao, "PastaSaida"));
    d.nomeCliente = ini.LerValor(kSeccao, "NomeCliente");
    d.api = DefinicoesApi::Ler(ini);
    // The APIs take only a token: their sign-in is OAuth 2.0 whatever Autenticacao says.
    d.autenticacao = d.PorApi() ? Autenticacao::OAuth2 : lerAutenticacao(ini.LerValor(kSeccao, "Autenticacao"));
    // A pickup folder logs in nowhere: its secrets are neither needed nor read.
    if (d.pastaSaida.empty() && d.autenticacao == Autenticacao::PalavraPasse)
        d.password = ReferenciaSegredo::Resolver("[SMTP] Password", ini.LerValor(kSeccao, "Password"));
    if (d.pastaSaida.empty() && d.autenticacao == Autenticacao::OAuth2) {
        if (d.utilizador.empty())
            throw Erro(erros::CorreioConfiguracao,
                       "Com [SMTP] Autenticacao=oauth2 (ou Transporte=graph ou gmail), a chave Utilizador tem de ser a "
                       "caixa de correio que envia");
        d.oauth = DefinicoesOAuth::Ler(ini);
        if (d.PorApi() && texto::Aparar(ini.LerValor(kSeccao, "OAuthAmbito")).empty())
            d.oauth.ambito = d.api.AmbitoPredefinido();
    }

    if (d.pastaSaida.empty() && !d.PorApi() && d.servidor.empty())
        throw Erro(erros::CorreioConfiguracao, "Falta a chave [SMTP] Servidor (ou PastaSaida)");
    if (d.servidor.find_first_of("/@?# \t") != std::string::npos)
        throw valorInvalido("Servidor", d.servidor, "nome ou endereço do servidor");
    // It travels in the EHLO command line: a host name or an address literal, nothing else.
    if (d.nomeCliente.find_first_not_of(kCaracteresNomeCliente) != std::string::npos)
        throw valorInvalido("NomeCliente", d.nomeCliente, "nome desta máquina, como relatorios.empresa.pt");
    // A password over a plain connection must be asked for, not fallen into by a missing key;
    // a pickup folder sends nothing, so it needs no such choice.
    if (d.pastaSaida.empty() && !d.PorApi() && !d.utilizador.empty() && !d.segurancaExplicita)
        throw Erro(erros::CorreioConfiguracao,
                   "Com a chave [SMTP] Utilizador, a chave Seguranca tem de ser definida "
                   "(starttls ou ssl; nenhuma envia a password sem cifra)");
    // libcurl would only say it could not set the certificates up; say which file and why.
    if (d.pastaSaida.empty() && !d.certificadoCA.empty())
        VerificarLeitura("ficheiro de autoridades [SMTP] CertificadoCA", d.certificadoCA);
    return d;
}

}  // namespace quorvelanti
