#pragma once
// The Gmail API as a way out, as the mailbox [SMTP] Utilizador (a service account with
// domain-wide delegation for gmail.send): POST {UrlApi}/upload/gmail/v1/users/{mailbox}/
// messages/send?uploadType=media with the raw RFC 5322 text (message/rfc822; 200 with an "id").
// Blind copies go as a Bcc header, which the service reads and removes. A message over 35 MiB
// is refused before it is sent, naming its size. A 403 whose reason is rateLimitExceeded or
// userRateLimitExceeded is throttling, waited out as a 429.
//
//   TransporteGmail gmail(definicoes, meios);
//   DesfechoEnvio d = gmail.Entregar({.conteudo = c, .texto = texto, .destinatarios = todos, .idMensagem = id});
#include "PedidosApi.h"
#include "components/mail/TransporteCorreio.h"

namespace quorvelanti {

class TransporteGmail : public TransporteCorreio {
public:
    TransporteGmail(const ServicoCorreio::Definicoes& definicoes, const MeiosTransporte& meios);
    ~TransporteGmail() override;

    DesfechoEnvio Entregar(const MensagemComposta& mensagem) override;
    bool Serve(const ServicoCorreio::Definicoes& definicoes) const override;

    // How the Gmail API's error replies read: {"error": {"code", "message", "errors": [{"reason"}]}}.
    static LeituraErroApi LerErro(const RespostaHttps& resposta);

private:
    std::unique_ptr<ServicoCorreio::Definicoes> definicoes_;
    CadenciaEnvio& cadencia_;
    PedidosApi pedidos_;
};

}  // namespace quorvelanti
