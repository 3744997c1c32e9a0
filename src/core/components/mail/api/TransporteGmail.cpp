#include "TransporteGmail.h"

#include "components/mail/CadenciaEnvio.h"
#include "components/mail/CorreioDefinicoes.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

constexpr std::size_t kLimiteMensagem = 35 * 1024 * 1024;

// The Bcc header the text lacks; the service reads it and takes it out.
std::string cabecalhoOcultos(const MensagemComposta& m)
{
    std::string lista;
    for (const auto& endereco : Ocultos(m)) lista += (lista.empty() ? "" : ", ") + endereco;
    return lista.empty() ? "" : "Bcc: " + lista + "\r\n";
}

}  // namespace

TransporteGmail::TransporteGmail(const ServicoCorreio::Definicoes& definicoes, const MeiosTransporte& meios)
    : definicoes_(std::make_unique<ServicoCorreio::Definicoes>(definicoes)),
      cadencia_(meios.cadencia),
      pedidos_(*definicoes_, meios.tokens(), meios.relogio, meios.relato, &TransporteGmail::LerErro)
{
}

TransporteGmail::~TransporteGmail() = default;

bool TransporteGmail::Serve(const ServicoCorreio::Definicoes& definicoes) const { return definicoes == *definicoes_; }

DesfechoEnvio TransporteGmail::Entregar(const MensagemComposta& m)
{
    const std::string texto = cabecalhoOcultos(m) + m.texto;
    if (texto.size() > kLimiteMensagem)
        return {DesfechoEnvio::Estado::Recusada, "Gmail: a mensagem tem " + std::to_string(texto.size()) +
                                                     " bytes, acima dos " + std::to_string(kLimiteMensagem) +
                                                     " (35 MB) que a API do Gmail aceita; não foi enviada"};
    const CadenciaEnvio::Vez vez(cadencia_, definicoes_->mensagensPorMinuto);
    const std::string url = definicoes_->api.url + "/upload/gmail/v1/users/" +
                            ClienteHttps::Segmento(definicoes_->utilizador) + "/messages/send?uploadType=media";
    auto r = pedidos_.Pedir({.metodo = "POST", .url = url, .tipo = "message/rfc822", .corpo = texto},
                            PedidosApi::Passo::Envio, "Gmail messages.send");
    if (r.falha) return *r.falha;
    // 200 without an id is no acceptance we can show: the message may or may not be there.
    if (CampoJson(r.resposta.corpo, "/id").empty())
        return {DesfechoEnvio::Estado::Incerta, "Gmail messages.send: a resposta não traz o \"id\" da mensagem"};
    return {};
}

LeituraErroApi TransporteGmail::LerErro(const RespostaHttps& resposta)
{
    const std::string razao = CampoJson(resposta.corpo, "/error/errors/0/reason");
    LeituraErroApi leitura;
    leitura.palavras = (razao.empty() ? CampoJson(resposta.corpo, "/error/status") : razao) + ": " +
                       texto::Aparar(CampoJson(resposta.corpo, "/error/message"));
    if (leitura.palavras == ": ") leitura.palavras.clear();
    leitura.limite = razao == "rateLimitExceeded" || razao == "userRateLimitExceeded";
    if (resposta.estado == 403 && !leitura.limite)
        leitura.corrigir =
            "[SMTP] OAuthContaServico e a delegação de domínio da conta de serviço com o âmbito gmail.send";
    if (resposta.estado == 404 || razao == "failedPrecondition")
        leitura.corrigir = "[SMTP] Utilizador (a caixa de correio que envia)";
    return leitura;
}

}  // namespace quorvelanti
