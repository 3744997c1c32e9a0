#pragma once
// The mail of a whole run, below the mail services that come and go with each mail: it keeps the
// transport of the run's settings (TransporteCorreio) from message to message, and with it the
// SMTP connection (TLS session and login) or a mail API's HTTPS connection, the access token
// (GestorToken, when the login takes one) and the pace of MensagensPorMinuto (CadenciaEnvio).
// Settings that change end the transport and whatever it held.
//
//   SessaoSmtp sessao(relogio);                      // the run context holds one
//   sessao.DefinirRelato([&](const std::string& linha) { log.Escrever(linha); });
//   ServicoCorreio correio(relogio, sessao);         // a new service for each mail
//   correio.Configurar(ficheiroParametros);
//   correio.Enviar(...);                             // on the run's connection
//   sessao.Fechar();                                 // the run ended: QUIT
//
// Waits, retries and reconnections are told to the relato, one line each.
#include <functional>
#include <memory>
#include <string>

#include "CadenciaEnvio.h"
#include "ServicoCorreio.h"

namespace quorvelanti {

class GestorToken;
class TransporteCorreio;
struct DesfechoEnvio;
struct MensagemComposta;
class Relogio;

class SessaoSmtp {
public:
    using Relato = std::function<void(const std::string&)>;

    explicit SessaoSmtp(const Relogio& relogio);
    ~SessaoSmtp();
    SessaoSmtp(const SessaoSmtp&) = delete;
    SessaoSmtp& operator=(const SessaoSmtp&) = delete;

    // One message through the transport of those settings (TransporteCorreio::Criar), the open
    // one when they are the settings it was made for.
    DesfechoEnvio Entregar(const ServicoCorreio::Definicoes& definicoes, const MensagemComposta& mensagem);
    // Ends the open connection (SMTP with QUIT); the next message opens a new one.
    void Fechar() noexcept;

    // Where the lines about waits and retries go (the run's log); none by default.
    void DefinirRelato(Relato relato) { relato_ = std::move(relato); }
    void Relatar(const std::string& linha) const;

private:
    // The run's token manager, made anew (ending the transport that used it) for other credentials.
    GestorToken& tokensPara(const ServicoCorreio::Definicoes& definicoes);

    const Relogio& relogio_;
    CadenciaEnvio cadencia_;
    std::unique_ptr<GestorToken> tokens_;
    std::unique_ptr<TransporteCorreio> transporte_;  // it may use tokens_ and cadencia_, so it goes first
    Relato relato_;
};

}  // namespace quorvelanti
