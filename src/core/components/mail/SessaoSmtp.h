#pragma once
// The SMTP connection of a whole run, below the mail services that come and go with each mail:
// one connection (with its TLS session and login) carries message after message while the
// settings stay equal, and ends with QUIT after "MensagensPorLigacao" messages, when the
// settings change, after a failed message, at Fechar and when the object goes.
// "MensagensPorMinuto" spaces the messages so that no sliding minute holds more than that many.
//
//   SessaoSmtp sessao(relogio);                      // the run context holds one
//   ServicoCorreio correio(relogio, sessao);         // a new service for each mail
//   correio.Configurar(ficheiroParametros);
//   correio.Enviar(...);                             // on the run's connection
//   sessao.Fechar();                                 // the run ended: QUIT
//
// When the server closed the connection or answered 421 before it took a message, that message
// goes once more on a new connection; what the server took is never sent again.
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ServicoCorreio.h"

namespace quorvelanti {

class CorreioCurl;
class Relogio;
struct ResultadoEnvio;

class SessaoSmtp {
public:
    explicit SessaoSmtp(const Relogio& relogio);
    ~SessaoSmtp();
    SessaoSmtp(const SessaoSmtp&) = delete;
    SessaoSmtp& operator=(const SessaoSmtp&) = delete;

    // One message to the server of those settings, on the open connection when they are the
    // settings it was opened with; waits first when the minute's messages are spent.
    ResultadoEnvio Enviar(const ServicoCorreio::Definicoes& definicoes, const std::string& remetente,
                          const std::vector<std::string>& destinatarios, const std::string& mensagem);
    // Ends the open connection with QUIT; the next message opens a new one.
    void Fechar() noexcept;

private:
    ResultadoEnvio transaccao(const ServicoCorreio::Definicoes& definicoes, const std::string& remetente,
                              const std::vector<std::string>& destinatarios, const std::string& mensagem);
    void esperarVez(int mensagensPorMinuto);

    const Relogio& relogio_;
    std::unique_ptr<CorreioCurl> ligacao_;
    int mensagensNaLigacao_ = 0;
    std::deque<std::chrono::steady_clock::time_point> envios_;  // transactions of the last minute
};

}  // namespace quorvelanti
