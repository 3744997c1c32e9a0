#pragma once
// Microsoft Graph as a way out, as the mailbox [SMTP] Utilizador (application permissions
// Mail.Send, and Mail.ReadWrite for drafts). A message whose MIME text, base64-encoded, fits in
// 4,000,000 bytes goes whole to POST {UrlApi}/users/{mailbox}/sendMail (text/plain, the base64 of
// the same RFC 5322 text the pickup folder would hold; 202). A larger one, or one with blind
// copies (which its text does not show), is built as a draft: the message's fields as JSON, its
// workbook attached inline under 3,000,000 bytes or else through an upload session (PUTs of at
// most 4 MiB to the returned uploadUrl, without the token), then sent; a draft that could not be
// sent is deleted.
//
//   TransporteGraph graph(definicoes, meios);
//   DesfechoEnvio d = graph.Entregar({.conteudo = c, .texto = texto, .destinatarios = todos, .idMensagem = id});
#include "PedidosApi.h"
#include "components/mail/TransporteCorreio.h"

namespace quorvelanti {

class TransporteGraph : public TransporteCorreio {
public:
    TransporteGraph(const ServicoCorreio::Definicoes& definicoes, const MeiosTransporte& meios);
    ~TransporteGraph() override;

    DesfechoEnvio Entregar(const MensagemComposta& mensagem) override;
    bool Serve(const ServicoCorreio::Definicoes& definicoes) const override;

    // How Graph's error replies read: {"error": {"code": ..., "message": ...}}, with what to fix.
    static LeituraErroApi LerErro(const RespostaHttps& resposta);

private:
    // The draft's steps after it exists; a failure leaves it for Entregar to delete.
    DesfechoEnvio completarRascunho(const MensagemComposta& mensagem, const std::string& urlRascunho);
    DesfechoEnvio carregarAnexo(const MensagemComposta& mensagem, const std::string& urlRascunho);
    void apagarRascunho(const std::string& urlRascunho) noexcept;
    std::string urlCaixa() const;

    std::unique_ptr<ServicoCorreio::Definicoes> definicoes_;
    CadenciaEnvio& cadencia_;
    PedidosApi pedidos_;
};

}  // namespace quorvelanti
