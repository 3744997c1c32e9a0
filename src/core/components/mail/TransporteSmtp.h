#pragma once
// SMTP as a way out (libcurl, CorreioCurl): one connection, with its TLS session and login,
// carries message after message of the same settings and ends with QUIT after
// "MensagensPorLigacao" messages, after a failed message and when the transport goes. Each
// transaction takes its turn under MensagensPorMinuto (CadenciaEnvio).
//
//   TransporteSmtp smtp(definicoes, meios);
//   DesfechoEnvio d = smtp.Entregar({.conteudo = c, .texto = texto, .destinatarios = todos, .idMensagem = id});
//   d.recusados;   // delivered to the others
//
// A recipient refused among others costs only itself; one told to wait (452 too many
// recipients) goes in a further transaction of the same message. A passing failure is tried
// again under Tentativas (RegraTentativas). When the server closed the connection or answered 421
// before it took a message, that message goes once more on a new connection; with
// Autenticacao=oauth2 a token the server refuses is replaced once. What the server took is never
// sent again, and a message that went whole unanswered is uncertain.
#include <memory>
#include <string>
#include <vector>

#include "TransporteCorreio.h"

namespace quorvelanti {

class CorreioCurl;
struct ResultadoEnvio;

class TransporteSmtp : public TransporteCorreio {
public:
    TransporteSmtp(const ServicoCorreio::Definicoes& definicoes, const MeiosTransporte& meios);
    ~TransporteSmtp() override;

    DesfechoEnvio Entregar(const MensagemComposta& mensagem) override;
    bool Serve(const ServicoCorreio::Definicoes& definicoes) const override;

private:
    // One message to those recipients, once more on a new connection or with a new token when
    // the first try showed nothing was sent for a reason of the connection's own.
    ResultadoEnvio enviar(const std::string& remetente, const std::vector<std::string>& destinatarios,
                          const std::string& texto);
    ResultadoEnvio transaccao(const std::string& remetente, const std::vector<std::string>& destinatarios,
                              const std::string& texto);
    void fechar() noexcept;

    std::unique_ptr<ServicoCorreio::Definicoes> definicoes_;
    GestorToken* tokens_;  // null for a password login
    const Relogio& relogio_;
    CadenciaEnvio& cadencia_;
    Relato relato_;
    std::unique_ptr<CorreioCurl> ligacao_;
    int mensagensNaLigacao_ = 0;
};

}  // namespace quorvelanti
