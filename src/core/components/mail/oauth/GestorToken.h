#pragma once
// The access token of a run's mail login: asked for once, reused by every connection of the
// run, asked for again shortly before it expires and whenever the mail server refused it.
//
//   GestorToken tokens(definicoes, relogio);
//   curl.Login(definicoes.utilizador, tokens.Valido());
//   ... the server answered 535 to that token:
//   curl.Login(definicoes.utilizador, tokens.Renovar());
//
// Failures of the token request raise ClienteOAuth's Erro; its retries are told to the relato.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "components/mail/RegraTentativas.h"
#include "components/mail/ServicoCorreio.h"

namespace quorvelanti {

class ClienteOAuth;
class Relogio;

class GestorToken {
public:
    GestorToken(const ServicoCorreio::Definicoes& definicoes, const Relogio& relogio,
                RegraTentativas::Relato relato = {});
    ~GestorToken();

    // True when these settings sign in as this object's do (same mailbox, same credentials).
    bool Serve(const ServicoCorreio::Definicoes& definicoes) const;
    // The current token; a new one when there is none yet or it is about to expire.
    const std::string& Valido();
    // A new token, whatever the time left on the current one.
    const std::string& Renovar();
    // Every token this object got, oldest first: none of them may be quoted.
    const std::vector<std::string>& Emitidos() const { return emitidos_; }

private:
    std::unique_ptr<ClienteOAuth> cliente_;
    const Relogio& relogio_;
    std::string token_;
    std::vector<std::string> emitidos_;
    std::chrono::steady_clock::time_point renovarEm_;
};

}  // namespace quorvelanti
