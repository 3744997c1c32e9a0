#include "PedidosApi.h"

#include <nlohmann/json.hpp>

#include "components/mail/CorreioDefinicoes.h"
#include "components/mail/MascaraCredenciais.h"
#include "components/mail/RegraTentativas.h"
#include "components/mail/oauth/GestorToken.h"
#include "data/Relogio.h"

namespace quorvelanti {

namespace {

bool sucesso(const RespostaHttps& r) { return r.estado >= 200 && r.estado < 300; }

}  // namespace

std::string CampoJson(const std::string& corpo, const std::string& ponteiro)
{
    const auto j = nlohmann::json::parse(corpo, nullptr, false);
    if (j.is_discarded()) return "";
    const nlohmann::json::json_pointer p(ponteiro);
    return j.contains(p) && j.at(p).is_string() ? j.at(p).get<std::string>() : "";
}

PedidosApi::PedidosApi(const ServicoCorreio::Definicoes& definicoes, GestorToken& tokens, const Relogio& relogio,
                       TransporteCorreio::Relato relato, LerErro lerErro)
    : definicoes_(definicoes),
      tokens_(tokens),
      relogio_(relogio),
      relato_(std::move(relato)),
      lerErro_(std::move(lerErro)),
      http_(definicoes.certificadoCA, definicoes.timeout)
{
}

PedidosApi::Resultado PedidosApi::Pedir(PedidoHttps pedido, Passo passo, const std::string& oQue, bool autenticado)
{
    bool tokenRenovado = false;
    RegraTentativas regra(definicoes_.tentativas, relogio_, relato_);
    for (;;) {
        pedido.token = autenticado ? tokens_.Valido() : "";
        Resultado r{http_.Executar(pedido), std::nullopt};
        const RespostaHttps& resposta = r.resposta;
        const LeituraErroApi leitura =
            resposta.estado && !sucesso(resposta) ? lida(resposta, pedido) : LeituraErroApi{};
        switch (julgar(resposta, leitura, passo, autenticado && !tokenRenovado)) {
        case Juizo::Aceite: return r;
        case Juizo::Renovar:
            relato_(oQue + ": o serviço recusou o token de acesso (HTTP 401); o pedido segue com um token novo");
            tokens_.Renovar();
            tokenRenovado = true;
            continue;
        case Juizo::Incerta:
            r.falha = {DesfechoEnvio::Estado::Incerta, oQue + ": " + palavras(resposta, leitura)};
            return r;
        case Juizo::Repetir:
            // A service that throttles says how long to wait, or wants a backoff from a second.
            if (regra.EsperarPelaSeguinte(oQue, {.palavras = palavras(resposta, leitura), .pedida = resposta.esperar}))
                continue;
            r.falha = {DesfechoEnvio::Estado::Recusada, oQue + ": " + palavras(resposta, leitura) + regra.Resumo()};
            return r;
        case Juizo::Final:
            r.falha = {DesfechoEnvio::Estado::Recusada, oQue + ": " + palavras(resposta, leitura)};
            return r;
        }
    }
}

// On the request that sends, a reply that never came or a server error may hide a message the
// service took; anywhere else they only cost a try.
PedidosApi::Juizo PedidosApi::julgar(const RespostaHttps& r, const LeituraErroApi& leitura, Passo passo,
                                     bool podeRenovar)
{
    if (sucesso(r)) return Juizo::Aceite;
    // A revoked token, or one that ended sooner than it said: nothing was taken.
    if (r.estado == 401 && podeRenovar) return Juizo::Renovar;
    const bool limite = leitura.limite || r.estado == 429 || r.estado == 503;
    if (limite || r.semLigacao) return Juizo::Repetir;
    if (r.semResposta || r.estado >= 500) return passo == Passo::Envio ? Juizo::Incerta : Juizo::Repetir;
    return Juizo::Final;
}

// The service's words as they may be quoted: a reply can echo what the request carried, its
// token or the upload URL that is a credential of its own.
LeituraErroApi PedidosApi::lida(const RespostaHttps& r, const PedidoHttps& pedido) const
{
    LeituraErroApi leitura = lerErro_(r);
    leitura.palavras =
        MascaraCredenciais({pedido.token, pedido.token.empty() ? pedido.url : ""}).Citar(leitura.palavras);
    return leitura;
}

RespostaHttps PedidosApi::Tentar(PedidoHttps pedido)
{
    pedido.token = tokens_.Valido();
    return http_.Executar(pedido);
}

std::string PedidosApi::palavras(const RespostaHttps& r, const LeituraErroApi& leitura) const
{
    if (r.semResposta) return "sem resposta em " + std::to_string(definicoes_.timeout) + " s (" + r.falha + ")";
    if (!r.estado) return r.falha;
    std::string texto = "HTTP " + std::to_string(r.estado) + (leitura.palavras.empty() ? "" : " " + leitura.palavras);
    if (!leitura.corrigir.empty()) texto += " (verifique " + leitura.corrigir + ")";
    return texto;
}

}  // namespace quorvelanti
