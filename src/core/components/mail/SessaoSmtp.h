#pragma once
// The SMTP connection of a whole run, below the mail services that come and go with each mail:
// one connection (with its TLS session and login) carries message after message while the
// settings stay equal, and ends with QUIT after "MensagensPorLigacao" messages, when the
// settings change, after a failed message, at Fechar and when the object goes.
// "MensagensPorMinuto" = n keeps every transaction at least 60/n seconds after the previous one
// ended, so no minute, fixed or sliding, holds more than n.
//
//   SessaoSmtp sessao(relogio);                      // the run context holds one
//   sessao.DefinirRelato([&](const std::string& linha) { log.Escrever(linha); });
//   ServicoCorreio correio(relogio, sessao);         // a new service for each mail
//   correio.Configurar(ficheiroParametros);
//   correio.Enviar(...);                             // on the run's connection
//   sessao.Fechar();                                 // the run ended: QUIT
//
// When the server closed the connection or answered 421 before it took a message, that message
// goes once more on a new connection; what the server took is never sent again. Waits, retries
// and reconnections are told to the relato, one line each.
// With Autenticacao=oauth2 the run's access token lives here too (GestorToken): every connection
// logs in with it, a renewed token ends the connection that used the old one, and a token the
// server refuses is replaced once before the message goes once more.
// A run that writes to a pickup folder, or sends through a mail API (Transporte graph or gmail),
// keeps that transport here (TransporteCorreio), an API with the same token and the same pace.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ServicoCorreio.h"

namespace quorvelanti {

class CorreioCurl;
class GestorToken;
class TransporteCorreio;
struct DesfechoEnvio;
struct MensagemComposta;
class Relogio;
struct ResultadoEnvio;

class SessaoSmtp {
public:
    using Relato = std::function<void(const std::string&)>;

    explicit SessaoSmtp(const Relogio& relogio);
    ~SessaoSmtp();
    SessaoSmtp(const SessaoSmtp&) = delete;
    SessaoSmtp& operator=(const SessaoSmtp&) = delete;

    // One message to the server of those settings, on the open connection when they are the
    // settings it was opened with; waits first for its turn under MensagensPorMinuto.
    ResultadoEnvio Enviar(const ServicoCorreio::Definicoes& definicoes, const std::string& remetente,
                          const std::vector<std::string>& destinatarios, const std::string& mensagem);
    // One message through the transport of those settings other than SMTP (TransporteCorreio::Criar);
    // through a mail API after its turn under MensagensPorMinuto.
    DesfechoEnvio Entregar(const ServicoCorreio::Definicoes& definicoes, const MensagemComposta& mensagem);
    // Ends the open connection with QUIT; the next message opens a new one.
    void Fechar() noexcept;

    // Where the lines about waits and retries go (the run's log); none by default.
    void DefinirRelato(Relato relato) { relato_ = std::move(relato); }
    void Relatar(const std::string& linha) const;

private:
    ResultadoEnvio transaccao(const ServicoCorreio::Definicoes& definicoes, const std::string& remetente,
                              const std::vector<std::string>& destinatarios, const std::string& mensagem);
    void esperarVez(int mensagensPorMinuto);
    // The token the next login uses; "" for a password login.
    std::string tokenPara(const ServicoCorreio::Definicoes& definicoes);
    // The run's token manager, made anew (with whatever used it) for other credentials.
    GestorToken& tokensPara(const ServicoCorreio::Definicoes& definicoes);

    const Relogio& relogio_;
    std::unique_ptr<CorreioCurl> ligacao_;
    std::unique_ptr<GestorToken> tokens_;
    std::unique_ptr<TransporteCorreio> transporte_;  // an API's uses tokens_, so it goes first
    int mensagensNaLigacao_ = 0;
    std::optional<std::chrono::steady_clock::time_point> fimUltima_;  // when the last transaction ended
    Relato relato_;
};

}  // namespace quorvelanti
