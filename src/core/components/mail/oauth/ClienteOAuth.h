#pragma once
// Asks an OAuth 2.0 token endpoint for the access token of the mail login (client-credentials
// grant), over HTTPS with libcurl, the endpoint's certificate verified like the mail server's
// (CertificadoCA included). The three credentials of DefinicoesOAuth make three requests:
//   a secret        client_id, client_secret, scope
//   a certificate   client_id, scope and a client assertion: a JWT signed RS256 with the key,
//                   naming the certificate's thumbprints, valid for 10 minutes
//   a service account   an assertion (RFC 7523) signed with its key, for the mailbox Utilizador
//
//   ClienteOAuth cliente(definicoes, relogio);
//   TokenAcesso t = cliente.PedirToken();   // t.valor for the XOAUTH2 login, t.validade
//
// A refusal raises Erro(erros::TokenRecusado) quoting the endpoint's "error" and
// "error_description" and naming the keys to check; an endpoint that cannot be reached, or
// answers no JSON, raises Erro(erros::CorreioFalhou). No connection, a timeout and a busy
// endpoint (HTTP 429, 502, 503, 504) are tried again under [SMTP] Tentativas (RegraTentativas).
// A reply past kRespostaMaxima is refused as soon as it passes it, unread beyond; a reply that
// holds an access token where none was expected is not quoted at all. What is quoted is masked
// for the secret, the assertions and the tokens of this client (MascaraCredenciais).
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "components/mail/MascaraCredenciais.h"
#include "components/mail/RegraTentativas.h"
#include "components/mail/ServicoCorreio.h"

namespace quorvelanti {

class Relogio;

struct TokenAcesso {
    std::string valor;
    std::chrono::seconds validade{0};  // "expires_in" of the reply
};

class ClienteOAuth {
public:
    static constexpr std::size_t kRespostaMaxima = 64 * 1024;

    // Settings with Autenticacao=oauth2; a copy is kept. The relato hears of each retry.
    ClienteOAuth(const ServicoCorreio::Definicoes& definicoes, const Relogio& relogio,
                 RegraTentativas::Relato relato = {});
    ~ClienteOAuth();

    TokenAcesso PedirToken();
    const ServicoCorreio::Definicoes& Definicoes() const { return *definicoes_; }

private:
    struct Pedido;
    Pedido pedido() const;

    std::unique_ptr<ServicoCorreio::Definicoes> definicoes_;
    const Relogio& relogio_;
    RegraTentativas::Relato relato_;
    MascaraCredenciais mascara_;
};

}  // namespace quorvelanti
