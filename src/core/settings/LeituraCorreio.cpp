#include "LeituraCorreio.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "components/files/LeitorIni.h"
#include "components/files/LeituraFicheiro.h"
#include "components/files/PastaConfigurada.h"
#include "components/files/ReferenciaSegredo.h"
#include "components/mail/CorreioDefinicoes.h"
#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

constexpr const char* kSeccao = "SMTP";
constexpr const char* kCaracteresNomeCliente = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-[]:";

// The [SMTP] keys as read: the file's, each replaced by a value given for it.
class Chaves {
public:
    Chaves(const LeitorIni& ini, const ValoresCorreio& valores) : ini_(ini), valores_(valores) {}
    std::string Valor(const std::string& chave) const
    {
        for (const auto& [nome, valor] : valores_)
            if (nome == chave) return valor;
        return ini_.LerValor(kSeccao, chave);
    }

private:
    const LeitorIni& ini_;
    const ValoresCorreio& valores_;
};

Erro valorInvalido(const std::string& chave, const std::string& valor, const std::string& esperado)
{
    return Erro(erros::CorreioConfiguracao,
                "Valor inválido na chave [SMTP] " + chave + ": \"" + valor + "\" (" + esperado + ")");
}

// A whole number within [minimo, maximo], or the default when the key is absent.
long inteiro(const Chaves& chaves, const std::string& chave, long predefinido, long minimo, long maximo)
{
    std::string valor = chaves.Valor(chave);
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

// The folder as PastaConfigurada checks it, with its final separator; "" when none is set.
std::string pastaConfigurada(const std::string& valor)
{
    return texto::Aparar(valor).empty() ? "" : PastaConfigurada(valor, "PastaSaida", kSeccao);
}

// "" when no pickup folder is set; else the folder without its final separator.
std::string pastaDeSaida(const Chaves& chaves)
{
    std::string pasta = pastaConfigurada(chaves.Valor("PastaSaida"));
    if (pasta.size() > 1) pasta.pop_back();
    return pasta;
}

DefinicoesApi::Transporte lerTransporte(const std::string& valor)
{
    using T = DefinicoesApi::Transporte;
    const std::string v = texto::MinusculasAscii(texto::Aparar(valor));
    if (v.empty() || v == "smtp") return T::Smtp;
    if (v == "graph") return T::Graph;
    if (v == "gmail") return T::Gmail;
    throw Erro(erros::CorreioConfiguracao,
               "Valor inválido na chave [SMTP] Transporte: \"" + valor + "\" (smtp, graph ou gmail)");
}

Erro configuracao(const std::string& descricao)
{
    return Erro(erros::CorreioConfiguracao, "Com [SMTP] Autenticacao=oauth2, " + descricao);
}

// A certificate is public: unlike its key, any user may read it.
std::string lerCertificado(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f)
        throw Erro(erros::FicheiroIlegivel, "Não foi possível ler [SMTP] OAuthCertificado: " + caminho,
                   std::strerror(errno));
    std::ostringstream bytes;
    bytes << f.rdbuf();
    return bytes.str();
}

std::string urlMicrosoft(const std::string& inquilino)
{
    return "https://login.microsoftonline.com/" + inquilino + "/oauth2/v2.0/token";
}

// Exactly one kind of credential: with two, which one is meant is anybody's guess.
DefinicoesOAuth::Forma formaEscolhida(bool segredo, bool certificado, bool contaServico)
{
    using F = DefinicoesOAuth::Forma;
    const int quantas = int(segredo) + int(certificado) + int(contaServico);
    if (quantas == 0)
        throw configuracao("defina OAuthSegredo, ou OAuthCertificado com OAuthChavePrivada, ou OAuthContaServico");
    if (quantas > 1)
        throw configuracao(
            "defina só uma credencial: OAuthSegredo, OAuthCertificado com OAuthChavePrivada, "
            "ou OAuthContaServico");
    return segredo ? F::Segredo : certificado ? F::Certificado : F::ContaServico;
}

DefinicoesOAuth lerOAuth(const Chaves& chaves)
{
    auto valor = [&](const char* chave) { return texto::Aparar(chaves.Valor(chave)); };
    DefinicoesOAuth o;
    const std::string segredo = chaves.Valor("OAuthSegredo");
    const std::string certificado = valor("OAuthCertificado");
    const std::string chavePrivada = valor("OAuthChavePrivada");
    const std::string contaServico = valor("OAuthContaServico");
    if (certificado.empty() != chavePrivada.empty())
        throw configuracao("OAuthCertificado e OAuthChavePrivada definem-se juntas");
    o.forma = formaEscolhida(!segredo.empty(), !certificado.empty(), !contaServico.empty());

    o.cliente = valor("OAuthCliente");
    o.ambito = valor("OAuthAmbito");
    if (o.forma == DefinicoesOAuth::Forma::ContaServico) {
        o.contaServico = ReferenciaSegredo::LerFicheiro("[SMTP] OAuthContaServico", contaServico);
        if (o.ambito.empty()) o.ambito = "https://mail.google.com/";
        return o;
    }
    if (o.ambito.empty()) o.ambito = "https://outlook.office365.com/.default";
    if (o.cliente.empty()) throw configuracao("falta a chave OAuthCliente (o identificador da aplicação)");
    o.urlToken = valor("OAuthUrlToken");
    if (o.urlToken.empty() && !valor("OAuthInquilino").empty()) o.urlToken = urlMicrosoft(valor("OAuthInquilino"));
    if (o.urlToken.empty()) throw configuracao("falta a chave OAuthUrlToken (ou OAuthInquilino)");
    // The request carries the credential: it goes only over TLS.
    if (texto::MinusculasAscii(o.urlToken).rfind("https://", 0) != 0)
        throw configuracao("a chave OAuthUrlToken tem de ser um endereço https: \"" + o.urlToken + "\"");
    if (o.forma == DefinicoesOAuth::Forma::Segredo) {
        o.segredo = ReferenciaSegredo::Resolver("[SMTP] OAuthSegredo", segredo);
    } else {
        o.certificado = lerCertificado(certificado);
        o.chavePrivada = ReferenciaSegredo::LerFicheiro("[SMTP] OAuthChavePrivada", chavePrivada);
    }
    return o;
}

DefinicoesApi lerApi(const Chaves& chaves)
{
    DefinicoesApi api;
    api.transporte = lerTransporte(chaves.Valor("Transporte"));
    if (api.transporte == DefinicoesApi::Transporte::Smtp) return api;
    api.url = texto::Aparar(chaves.Valor("UrlApi"));
    if (api.url.empty())
        api.url = api.transporte == DefinicoesApi::Transporte::Graph ? "https://graph.microsoft.com/v1.0"
                                                                     : "https://gmail.googleapis.com";
    if (texto::MinusculasAscii(api.url).rfind("https://", 0) != 0)
        throw Erro(erros::CorreioConfiguracao,
                   "A chave [SMTP] UrlApi tem de ser um endereço https: \"" + api.url +
                       "\" (o token de acesso segue em cada pedido; corrija [SMTP] UrlApi)");
    while (api.url.size() > 8 && api.url.back() == '/') api.url.pop_back();
    return api;
}

}  // namespace

std::string PastaSaidaCorreio(const LeitorIni& ini) { return pastaConfigurada(ini.LerValor(kSeccao, "PastaSaida")); }

DefinicoesApi LerDefinicoesApi(const LeitorIni& ini) { return lerApi(Chaves(ini, {})); }

ServicoCorreio::Definicoes LerDefinicoesCorreio(const std::string& ficheiroParametros, LeitorIni::Cache* cache,
                                                const ValoresCorreio& valores)
{
    using Definicoes = ServicoCorreio::Definicoes;
    using Autenticacao = Definicoes::Autenticacao;
    if (valores.empty() && !std::filesystem::exists(ficheiroParametros))
        throw Erro(erros::CorreioConfiguracao, "Ficheiro de parâmetros não existe: " + ficheiroParametros);
    LeitorIni ini(cache);
    ini.DefinirFicheiro(ficheiroParametros);
    const Chaves chaves(ini, valores);

    Definicoes d;
    std::string textoSeguranca = chaves.Valor("Seguranca");
    d.seguranca = lerSeguranca(textoSeguranca);
    d.segurancaExplicita = !textoSeguranca.empty();
    d.porta = static_cast<int>(inteiro(chaves, "Porta", portaPredefinida(d.seguranca), 1, 65535));
    d.timeout = inteiro(chaves, "Timeout", 60, 1, 86400);
    d.tentativas = static_cast<int>(inteiro(chaves, "Tentativas", 1, 1, 20));
    d.mensagensPorLigacao = static_cast<int>(inteiro(chaves, "MensagensPorLigacao", 100, 1, 100000));
    d.mensagensPorMinuto = static_cast<int>(inteiro(chaves, "MensagensPorMinuto", 0, 0, 100000));
    d.servidor = chaves.Valor("Servidor");
    d.certificadoCA = chaves.Valor("CertificadoCA");
    d.utilizador = chaves.Valor("Utilizador");
    d.pastaSaida = pastaDeSaida(chaves);
    d.nomeCliente = chaves.Valor("NomeCliente");
    d.api = lerApi(chaves);
    // The APIs take only a token: their sign-in is OAuth 2.0 whatever Autenticacao says.
    d.autenticacao = d.PorApi() ? Autenticacao::OAuth2 : lerAutenticacao(chaves.Valor("Autenticacao"));
    // A pickup folder logs in nowhere: its secrets are neither needed nor read.
    if (d.pastaSaida.empty() && d.autenticacao == Autenticacao::PalavraPasse)
        d.password = ReferenciaSegredo::Resolver("[SMTP] Password", chaves.Valor("Password"));
    if (d.pastaSaida.empty() && d.autenticacao == Autenticacao::OAuth2) {
        if (d.utilizador.empty())
            throw Erro(erros::CorreioConfiguracao,
                       "Com [SMTP] Autenticacao=oauth2 (ou Transporte=graph ou gmail), a chave Utilizador tem de ser a "
                       "caixa de correio que envia");
        d.oauth = lerOAuth(chaves);
        if (d.PorApi() && texto::Aparar(chaves.Valor("OAuthAmbito")).empty())
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
