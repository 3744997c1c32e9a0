#include "ClienteOAuth.h"

#include <curl/curl.h>

#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "AssinaturaJwt.h"
#include "CorreioDefinicoes.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Relogio.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

using json = nlohmann::json;
using Forma = DefinicoesOAuth::Forma;

constexpr const char* kTipoAssercao = "urn:ietf:params:oauth:client-assertion-type:jwt-bearer";
constexpr const char* kConcessaoJwt = "urn:ietf:params:oauth:grant-type:jwt-bearer";
constexpr long kValidadeAssercaoCertificado = 600;  // Microsoft takes at most 10 minutes
constexpr long kValidadeAssercaoConta = 3600;       // Google takes at most an hour
constexpr std::size_t kRespostaCitada = 300;

struct LibertarCurl {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

std::size_t juntar(char* dados, std::size_t tamanho, std::size_t n, void* destino)
{
    static_cast<std::string*>(destino)->append(dados, tamanho * n);
    return tamanho * n;
}

int progresso(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) { return Interrupcao::Sinal() != 0 ? 1 : 0; }

std::string codificado(CURL* c, const std::string& valor)
{
    std::unique_ptr<char, decltype(&curl_free)> texto(curl_easy_escape(c, valor.data(), static_cast<int>(valor.size())),
                                                      &curl_free);
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

// One line of the endpoint's own words: Microsoft's descriptions carry trace lines.
std::string umaLinha(std::string texto)
{
    for (char& c : texto)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return texto;
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

}  // namespace

struct ClienteOAuth::Pedido {
    std::string url;
    std::vector<std::pair<std::string, std::string>> campos;
};

ClienteOAuth::ClienteOAuth(const ServicoCorreio::Definicoes& definicoes, const Relogio& relogio)
    : definicoes_(std::make_unique<ServicoCorreio::Definicoes>(definicoes)), relogio_(relogio)
{
}

ClienteOAuth::~ClienteOAuth() = default;

ClienteOAuth::Pedido ClienteOAuth::pedido() const
{
    const DefinicoesOAuth& o = definicoes_->oauth;
    const long agora = segundosUnix(relogio_);
    Pedido p{o.urlToken, {}};
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
        break;
    }
    }
    return p;
}

TokenAcesso ClienteOAuth::PedirToken() const
{
    Interrupcao::Verificar();
    const Pedido p = pedido();
    const std::string falha = "Não foi possível obter o token de acesso ao correio em " + p.url;
    std::unique_ptr<CURL, LibertarCurl> curl(curl_easy_init());
    if (!curl) throw Erro(erros::CorreioFalhou, falha, "libcurl não inicializou");
    CURL* c = curl.get();
    std::string corpo;
    for (const auto& [nome, valor] : p.campos) corpo += (corpo.empty() ? "" : "&") + nome + "=" + codificado(c, valor);
    std::unique_ptr<curl_slist, LibertarCurl> cabecalhos(curl_slist_append(nullptr, "Accept: application/json"));
    std::string resposta;
    char erroCurl[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(c, CURLOPT_URL, p.url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, definicoes_->timeout);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, definicoes_->timeout);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, erroCurl);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, cabecalhos.get());
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, corpo.c_str());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(corpo.size()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, juntar);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &resposta);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, progresso);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    if (!definicoes_->certificadoCA.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, definicoes_->certificadoCA.c_str());
    const CURLcode codigo = curl_easy_perform(c);
    Interrupcao::Verificar();
    if (codigo != CURLE_OK)
        throw Erro(erros::CorreioFalhou, falha,
                   std::string(curl_easy_strerror(codigo)) + (*erroCurl ? " (" + std::string(erroCurl) + ")" : ""));
    long estadoHttp = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &estadoHttp);

    const json j = json::parse(resposta, nullptr, false);
    const std::string token = j.is_object() ? textoDe(j, "access_token") : "";
    if (estadoHttp == 200 && !token.empty()) return {token, validade(j)};
    const std::string http = "HTTP " + std::to_string(estadoHttp);
    if (!j.is_object() || textoDe(j, "error").empty())
        throw Erro(erros::CorreioFalhou, falha + ": resposta inesperada (" + http + ")",
                   umaLinha(resposta.substr(0, kRespostaCitada)));
    std::string palavras = textoDe(j, "error");
    if (!textoDe(j, "error_description").empty()) palavras += ": " + umaLinha(textoDe(j, "error_description"));
    const std::string chaves = palavras.rfind("invalid_scope", 0) == 0 ? std::string("[SMTP] OAuthAmbito")
                                                                       : definicoes_->oauth.ChavesCredencial();
    throw Erro(erros::TokenRecusado,
               "O serviço de autenticação " + p.url + " recusou o pedido de token: " + palavras + " (verifique " +
                   chaves + ")",
               http);
}

}  // namespace quorvelanti
