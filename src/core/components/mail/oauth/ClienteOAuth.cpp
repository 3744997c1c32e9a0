#include "ClienteOAuth.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "AssinaturaJwt.h"
#include "components/mail/ComumCurl.h"
#include "components/mail/CorreioDefinicoes.h"
#include "components/mail/api/ClienteHttps.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

using json = nlohmann::json;
using Forma = DefinicoesOAuth::Forma;

constexpr const char* kTipoAssercao = "urn:ietf:params:oauth:client-assertion-type:jwt-bearer";
constexpr const char* kConcessaoJwt = "urn:ietf:params:oauth:grant-type:jwt-bearer";
constexpr long kValidadeAssercaoCertificado = 600;  // Microsoft takes at most 10 minutes
constexpr long kValidadeAssercaoConta = 3600;       // Google takes at most an hour
constexpr const char* kCamposToken[] = {"access_token", "refresh_token", "id_token"};

// A form value as application/x-www-form-urlencoded writes it (libcurl needs no handle for it).
std::string codificado(const std::string& valor)
{
    std::unique_ptr<char, decltype(&curl_free)> texto(
        curl_easy_escape(nullptr, valor.data(), static_cast<int>(valor.size())), &curl_free);
    return texto ? texto.get() : "";
}

long segundosUnix(const Relogio& relogio)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(relogio.AgoraReal().time_since_epoch()).count());
}

// 128 random bits: an assertion's "jti", which the endpoint uses to refuse a replay.
std::string identificadorUnico()
{
    std::string hex;
    for (int n = 0; n < 2; ++n) {
        char parte[17];
        std::snprintf(parte, sizeof parte, "%016llx", static_cast<unsigned long long>(sistema::Aleatorio()));
        hex += parte;
    }
    return hex;
}

std::string textoDe(const json& j, const char* campo)
{
    auto p = j.find(campo);
    return p != j.end() && p->is_string() ? p->get<std::string>() : "";
}

// "expires_in" is a number, or a number in a string for some endpoints; an hour when absent.
std::chrono::seconds validade(const json& resposta)
{
    auto p = resposta.find("expires_in");
    long segundos = 3600;
    if (p != resposta.end() && p->is_number_integer()) segundos = p->get<long>();
    if (p != resposta.end() && p->is_string()) segundos = std::strtol(p->get<std::string>().c_str(), nullptr, 10);
    return std::chrono::seconds(segundos > 0 ? segundos : 3600);
}

struct ContaServico {
    std::string email, chavePrivada, urlToken, idChave;
};

ContaServico lerContaServico(const std::string& texto)
{
    const json j = json::parse(texto, nullptr, false);
    ContaServico c;
    if (j.is_object())
        c = {textoDe(j, "client_email"), textoDe(j, "private_key"), textoDe(j, "token_uri"),
             textoDe(j, "private_key_id")};
    if (c.email.empty() || c.chavePrivada.empty() || c.urlToken.empty())
        throw Erro(erros::CorreioConfiguracao,
                   "A chave [SMTP] OAuthContaServico não aponta para a chave JSON de uma conta de serviço "
                   "(com client_email, private_key e token_uri)");
    return c;
}

// Too many requests, or a gateway or the service itself busy: it passes, and a 429 asks to slow down.
bool ocupado(long estadoHttp) { return estadoHttp == 429 || (estadoHttp >= 502 && estadoHttp <= 504); }

// A token in a reply that did not deliver it (an HTTP 201, a 500 that went wrong after issuing
// one) is as good as a delivered one to whoever reads it: such a reply is never quoted.
bool temToken(const json& j, const std::string& corpo)
{
    if (!j.is_object()) return texto::MinusculasAscii(corpo).find("access_token") != std::string::npos;
    return std::any_of(std::begin(kCamposToken), std::end(kCamposToken),
                       [&](const char* campo) { return j.contains(campo); });
}

// A token, or the failure to raise and whether it may pass.
struct Resposta {
    TokenAcesso token{};
    long numero = erros::CorreioFalhou;
    std::string descricao{}, detalhe{};
    bool transitoria = false, limiteExcedido = false;
};

// The signed assertion (header.claims.signature) and each part: a server may quote one of them.
std::vector<std::string> comPartes(const std::string& assercao)
{
    std::vector<std::string> partes = texto::Dividir(assercao, '.');
    partes.push_back(assercao);
    return partes;
}

// One POST of the form to the endpoint, its reply kept up to the limit.
RespostaHttps trocar(ClienteHttps& http, const std::string& url,
                     const std::vector<std::pair<std::string, std::string>>& campos)
{
    std::string corpo;
    for (const auto& [nome, valor] : campos) corpo += (corpo.empty() ? "" : "&") + nome + "=" + codificado(valor);
    return http.Executar({.metodo = "POST",
                          .url = url,
                          .tipo = "application/x-www-form-urlencoded",
                          .corpo = corpo,
                          .respostaMaxima = ClienteOAuth::kRespostaMaxima});
}

// What the exchange means: a token, a refusal in the endpoint's words, or a failure.
Resposta ler(const std::string& url, const RespostaHttps& t, const MascaraCredenciais& mascara,
             const DefinicoesOAuth& o)
{
    const std::string falha = "Não foi possível obter o token de acesso ao correio em " + url;
    const std::string http = "HTTP " + std::to_string(t.estado);
    if (t.excedida)
        return {.descricao = falha + ": a resposta passa de " + std::to_string(ClienteOAuth::kRespostaMaxima / 1024) +
                             " KB e foi recusada sem ser lida até ao fim"};
    if (t.semLigacao || t.semResposta) {
        std::string detalhe = t.falha;
        if (!t.detalhe.empty()) detalhe += " (" + mascara.Citar(t.detalhe) + ")";
        return {.descricao = falha, .detalhe = detalhe, .transitoria = t.passageira};
    }
    const json j = json::parse(t.corpo, nullptr, false);
    const std::string token = j.is_object() ? textoDe(j, "access_token") : "";
    if (t.estado == 200 && !token.empty()) return {.token = {token, validade(j)}};
    if (temToken(j, t.corpo))
        return {.descricao = falha + ": resposta inesperada (" + http + ") com um token de acesso, que não se cita",
                .transitoria = ocupado(t.estado),
                .limiteExcedido = t.estado == 429};
    if (ocupado(t.estado))
        return {.descricao = falha + ": o serviço está ocupado (" + http + ")",
                .detalhe = http + ": " + mascara.Citar(t.corpo),
                .transitoria = true,
                .limiteExcedido = t.estado == 429};
    if (!j.is_object() || textoDe(j, "error").empty())
        return {.descricao = falha + ": resposta inesperada (" + http + ")", .detalhe = mascara.Citar(t.corpo)};
    std::string palavras = textoDe(j, "error");
    if (!textoDe(j, "error_description").empty()) palavras += ": " + textoDe(j, "error_description");
    const std::string chaves =
        textoDe(j, "error").rfind("invalid_scope", 0) == 0 ? std::string("[SMTP] OAuthAmbito") : o.ChavesCredencial();
    return {.numero = erros::TokenRecusado,
            .descricao = "O serviço de autenticação " + url + " recusou o pedido de token: " + mascara.Citar(palavras) +
                         " (verifique " + chaves + ")",
            .detalhe = http};
}

}  // namespace

struct ClienteOAuth::Pedido {
    std::string url{};
    std::vector<std::pair<std::string, std::string>> campos{};
    std::vector<std::string> assercao{};  // the signed assertion and its three parts, when there is one
};

ClienteOAuth::ClienteOAuth(const ServicoCorreio::Definicoes& definicoes, const Relogio& relogio,
                           RegraTentativas::Relato relato)
    : definicoes_(std::make_unique<ServicoCorreio::Definicoes>(definicoes)),
      relogio_(relogio),
      relato_(std::move(relato)),
      mascara_({definicoes.oauth.segredo})
{
}

ClienteOAuth::~ClienteOAuth() = default;

ClienteOAuth::Pedido ClienteOAuth::pedido() const
{
    const DefinicoesOAuth& o = definicoes_->oauth;
    const long agora = segundosUnix(relogio_);
    Pedido p{.url = o.urlToken};
    switch (o.forma) {
    case Forma::Segredo:
        p.campos = {{"grant_type", "client_credentials"},
                    {"client_id", o.cliente},
                    {"client_secret", o.segredo},
                    {"scope", o.ambito}};
        break;
    case Forma::Certificado: {
        AssinaturaJwt assinatura(o.chavePrivada, "[SMTP] OAuthChavePrivada");
        const auto impressoes = assinatura.Certificado(o.certificado, "[SMTP] OAuthCertificado");
        const json cabecalho = {
            {"alg", "RS256"}, {"typ", "JWT"}, {"x5t#S256", impressoes.sha256}, {"x5t", impressoes.sha1}};
        const json reivindicacoes = {{"aud", o.urlToken},
                                     {"iss", o.cliente},
                                     {"sub", o.cliente},
                                     {"jti", identificadorUnico()},
                                     {"iat", agora},
                                     {"nbf", agora},
                                     {"exp", agora + kValidadeAssercaoCertificado}};
        p.campos = {{"grant_type", "client_credentials"},
                    {"client_id", o.cliente},
                    {"scope", o.ambito},
                    {"client_assertion_type", kTipoAssercao},
                    {"client_assertion", assinatura.Assinar(cabecalho.dump(), reivindicacoes.dump())}};
        p.assercao = comPartes(p.campos.back().second);
        break;
    }
    case Forma::ContaServico: {
        const ContaServico conta = lerContaServico(o.contaServico);
        AssinaturaJwt assinatura(conta.chavePrivada, "[SMTP] OAuthContaServico");
        json cabecalho = {{"alg", "RS256"}, {"typ", "JWT"}};
        if (!conta.idChave.empty()) cabecalho["kid"] = conta.idChave;
        const json reivindicacoes = {{"iss", conta.email},    {"scope", o.ambito},
                                     {"aud", conta.urlToken}, {"sub", definicoes_->utilizador},
                                     {"iat", agora},          {"exp", agora + kValidadeAssercaoConta}};
        p.url = conta.urlToken;
        p.campos = {{"grant_type", kConcessaoJwt},
                    {"assertion", assinatura.Assinar(cabecalho.dump(), reivindicacoes.dump())}};
        p.assercao = comPartes(p.campos.back().second);
        break;
    }
    }
    return p;
}

// Each try signs a new assertion: an endpoint refuses one whose "jti" it has already seen.
TokenAcesso ClienteOAuth::PedirToken()
{
    RegraTentativas regra(definicoes_->tentativas, relogio_, relato_);
    ClienteHttps http(definicoes_->certificadoCA, definicoes_->timeout);
    for (;;) {
        Interrupcao::Verificar();
        const Pedido p = pedido();
        for (const auto& parte : p.assercao) mascara_.Acrescentar(parte);
        const RespostaHttps troca = trocar(http, p.url, p.campos);
        const Resposta r = ler(p.url, troca, mascara_, definicoes_->oauth);
        if (!r.token.valor.empty()) {
            mascara_.Acrescentar(r.token.valor);
            return r.token;
        }
        if (!r.transitoria ||
            !regra.EsperarPelaSeguinte("Pedido de token a " + p.url,
                                       {r.detalhe.empty() ? r.descricao : r.detalhe, r.limiteExcedido, troca.esperar}))
            throw Erro(r.numero, r.descricao, r.detalhe + regra.Resumo());
    }
}

}  // namespace quorvelanti
