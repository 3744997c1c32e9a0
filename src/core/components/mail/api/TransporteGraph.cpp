#include "TransporteGraph.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "components/mail/CadenciaEnvio.h"
#include "components/mail/CorreioDefinicoes.h"
#include "components/mail/mime/MensagemCodificacao.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

using json = nlohmann::json;
using Passo = PedidosApi::Passo;
using E = DesfechoEnvio::Estado;

constexpr std::size_t kLimiteSendMail = 4'000'000;      // base64 bytes of one sendMail request
constexpr std::size_t kLimiteAnexoDirecto = 3'000'000;  // an attachment posted inline on a draft
constexpr std::size_t kBlocoCarregamento = 4 * 1024 * 1024;
constexpr const char* kTipoLivro = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr const char* kPermissoes =
    "as permissões de aplicação Mail.Send e Mail.ReadWrite da aplicação OAuthCliente e o âmbito RBAC que "
    "a limita à caixa [SMTP] Utilizador";

std::size_t tamanhoBase64(std::size_t bytes) { return (bytes + 2) / 3 * 4; }

json destinatarios(const std::vector<mensagem::Endereco>& enderecos)
{
    json lista = json::array();
    for (const auto& e : enderecos) {
        json endereco = {{"address", e.endereco}};
        if (!e.nome.empty()) endereco["name"] = e.nome;
        lista.push_back({{"emailAddress", endereco}});
    }
    return lista;
}

std::vector<mensagem::Endereco> enderecos(const std::vector<std::string>& nus)
{
    std::vector<mensagem::Endereco> lista;
    for (const auto& e : nus) lista.push_back({"", e});
    return lista;
}

json rascunho(const MensagemComposta& m)
{
    const auto& c = m.conteudo;
    // The texts as the MIME message carries them: a JSON text must be UTF-8 throughout.
    return {{"subject", texto::Saneado(c.assunto)},
            {"body", c.html.empty() ? json{{"contentType", "Text"}, {"content", texto::Saneado(c.corpo)}}
                                    : json{{"contentType", "HTML"}, {"content", texto::Saneado(c.html)}}},
            {"from", {{"emailAddress", {{"address", c.remetente.endereco}}}}},
            {"toRecipients", destinatarios(c.para)},
            {"ccRecipients", destinatarios(c.copia)},
            {"bccRecipients", destinatarios(enderecos(Ocultos(m)))},
            {"importance", c.prioridade > 0   ? "high"
                           : c.prioridade < 0 ? "low"
                                              : "normal"},
            {"internetMessageId", m.idMensagem}};
}

// The outcome of a 2xx reply that lacks the field the next step needs.
DesfechoEnvio semCampo(const std::string& oQue, const char* campo)
{
    return {E::Recusada, oQue + ": a resposta do serviço não traz \"" + campo + "\""};
}

}  // namespace

TransporteGraph::TransporteGraph(const ServicoCorreio::Definicoes& definicoes, const MeiosTransporte& meios)
    : definicoes_(std::make_unique<ServicoCorreio::Definicoes>(definicoes)),
      cadencia_(meios.cadencia),
      pedidos_(*definicoes_, meios.tokens(), meios.relogio, meios.relato, &TransporteGraph::LerErro)
{
}

TransporteGraph::~TransporteGraph() = default;

bool TransporteGraph::Serve(const ServicoCorreio::Definicoes& definicoes) const { return definicoes == *definicoes_; }

std::string TransporteGraph::urlCaixa() const
{
    return definicoes_->api.url + "/users/" + ClienteHttps::Segmento(definicoes_->utilizador);
}

DesfechoEnvio TransporteGraph::Entregar(const MensagemComposta& m)
{
    const CadenciaEnvio::Vez vez(cadencia_, definicoes_->mensagensPorMinuto);
    if (tamanhoBase64(m.texto.size()) <= kLimiteSendMail && Ocultos(m).empty()) {
        auto r = pedidos_.Pedir({.metodo = "POST",
                                 .url = urlCaixa() + "/sendMail",
                                 .tipo = "text/plain",
                                 .corpo = mensagem::Base64(m.texto, false)},
                                Passo::Envio, "Graph sendMail");
        return r.falha ? *r.falha : DesfechoEnvio{};
    }
    auto criado = pedidos_.Pedir(
        {.metodo = "POST", .url = urlCaixa() + "/messages", .tipo = "application/json", .corpo = rascunho(m).dump()},
        Passo::Preparacao, "Graph rascunho");
    if (criado.falha) return *criado.falha;
    const std::string id = CampoJson(criado.resposta.corpo, "/id");
    if (id.empty()) return semCampo("Graph rascunho", "id");
    const std::string urlRascunho = urlCaixa() + "/messages/" + ClienteHttps::Segmento(id);
    DesfechoEnvio d;
    try {
        d = completarRascunho(m, urlRascunho);
    } catch (...) {
        apagarRascunho(urlRascunho);
        throw;
    }
    // An uncertain send may have moved the draft to Sent Items: only a refused one is deleted.
    if (d.estado == E::Recusada) apagarRascunho(urlRascunho);
    return d;
}

// Best effort, once: the failure it follows is what the run reports.
void TransporteGraph::apagarRascunho(const std::string& urlRascunho) noexcept
{
    try {
        pedidos_.Tentar({.metodo = "DELETE", .url = urlRascunho});
    } catch (...) {
    }
}

DesfechoEnvio TransporteGraph::completarRascunho(const MensagemComposta& m, const std::string& urlRascunho)
{
    if (!m.conteudo.nomeAnexo.empty())
        if (DesfechoEnvio d = carregarAnexo(m, urlRascunho); d.estado != E::Entregue) return d;
    auto r = pedidos_.Pedir({.metodo = "POST", .url = urlRascunho + "/send"}, Passo::Envio, "Graph envio do rascunho");
    return r.falha ? *r.falha : DesfechoEnvio{};
}

DesfechoEnvio TransporteGraph::carregarAnexo(const MensagemComposta& m, const std::string& urlRascunho)
{
    const std::string& bytes = m.conteudo.bytesAnexo;
    if (bytes.size() < kLimiteAnexoDirecto) {
        const json anexo = {{"@odata.type", "#microsoft.graph.fileAttachment"},
                            {"name", m.conteudo.nomeAnexo},
                            {"contentType", kTipoLivro},
                            {"contentBytes", mensagem::Base64(bytes, false)}};
        auto r = pedidos_.Pedir(
            {.metodo = "POST", .url = urlRascunho + "/attachments", .tipo = "application/json", .corpo = anexo.dump()},
            Passo::Preparacao, "Graph anexo");
        return r.falha ? *r.falha : DesfechoEnvio{};
    }
    const json sessao = {{"AttachmentItem",
                          {{"attachmentType", "file"},
                           {"name", m.conteudo.nomeAnexo},
                           {"size", bytes.size()},
                           {"contentType", kTipoLivro}}}};
    auto aberta = pedidos_.Pedir({.metodo = "POST",
                                  .url = urlRascunho + "/attachments/createUploadSession",
                                  .tipo = "application/json",
                                  .corpo = sessao.dump()},
                                 Passo::Preparacao, "Graph sessão de carregamento");
    if (aberta.falha) return *aberta.falha;
    const std::string url = CampoJson(aberta.resposta.corpo, "/uploadUrl");
    if (texto::MinusculasAscii(url).rfind("https://", 0) != 0)
        return semCampo("Graph sessão de carregamento", "uploadUrl");
    // The upload URL is its own credential: the token does not go with it, and it is never logged.
    for (std::size_t inicio = 0; inicio < bytes.size(); inicio += kBlocoCarregamento) {
        const std::size_t n = std::min(kBlocoCarregamento, bytes.size() - inicio);
        const std::string intervalo = "Content-Range: bytes " + std::to_string(inicio) + "-" +
                                      std::to_string(inicio + n - 1) + "/" + std::to_string(bytes.size());
        auto r = pedidos_.Pedir({.metodo = "PUT",
                                 .url = url,
                                 .tipo = "application/octet-stream",
                                 .corpo = bytes.substr(inicio, n),
                                 .cabecalhos = {intervalo}},
                                Passo::Preparacao, "Graph carregamento do anexo", false);
        if (r.falha) return *r.falha;
    }
    return {};
}

LeituraErroApi TransporteGraph::LerErro(const RespostaHttps& resposta)
{
    const std::string codigo = CampoJson(resposta.corpo, "/error/code");
    LeituraErroApi leitura;
    leitura.palavras =
        codigo + (codigo.empty() ? "" : ": ") + texto::Aparar(CampoJson(resposta.corpo, "/error/message"));
    if (resposta.estado == 403 || codigo == "ErrorAccessDenied") leitura.corrigir = kPermissoes;
    if (resposta.estado == 404 || codigo == "ErrorInvalidUser" || codigo == "MailboxNotEnabledForRESTAPI")
        leitura.corrigir = "[SMTP] Utilizador (a caixa de correio que envia)";
    return leitura;
}

}  // namespace quorvelanti
