#include "PedidosApi.h"

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>

#include "CorreioDefinicoes.h"
#include "GestorToken.h"
#include "data/Relogio.h"

namespace quorvelanti {

namespace {

bool sucesso(const RespostaHttps& r) { return r.estado >= 200 && r.estado < 300; }

// Without Retry-After: 5 s, then 10, 20... at most two minutes, long enough for a service's
// throttling window to pass.
std::chrono::seconds pausa(const RespostaHttps& r, int tentativa)
{
    if (r.esperar) return std::chrono::seconds(*r.esperar);
    return std::chrono::seconds(std::min(5 << std::min(tentativa - 1, 5), 120));
}

DesfechoEnvio desfecho(DesfechoEnvio::Estado estado, std::string palavras) { return {estado, std::move(palavras)}; }

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
    using E = DesfechoEnvio::Estado;
    bool tokenRenovado = false;
    for (int tentativa = 1;; ++tentativa) {
        pedido.token = autenticado ? tokens_.Valido() : "";
        Resultado r{http_.Executar(pedido), std::nullopt};
        if (sucesso(r.resposta)) return r;
        const RespostaHttps& resposta = r.resposta;
        if (resposta.semResposta && passo == Passo::Envio) {
            r.falha = desfecho(E::Incerta, oQue + ": sem resposta em " + std::to_string(definicoes_.timeout) + " s (" +
                                               resposta.falha + ")");
            return r;
        }
        // A revoked token, or one that ended sooner than it said: nothing was taken.
        if (resposta.estado == 401 && autenticado && !tokenRenovado) {
            relato_(oQue + ": o serviço recusou o token de acesso (HTTP 401); o pedido segue com um token novo");
            tokens_.Renovar();
            tokenRenovado = true;
            --tentativa;
            continue;
        }
        const LeituraErroApi leitura = resposta.estado ? lerErro_(resposta) : LeituraErroApi{};
        const bool limite = leitura.limite || resposta.estado == 429 || resposta.estado == 503;
        if (resposta.estado >= 500 && !limite && passo == Passo::Envio) {
            r.falha = desfecho(E::Incerta, oQue + ": " + palavras(resposta, leitura));
            return r;
        }
        const bool passageira = limite || resposta.semLigacao || resposta.semResposta || resposta.estado >= 500;
        if (!passageira || tentativa >= definicoes_.tentativas) {
            std::string texto = oQue + ": " + palavras(resposta, leitura);
            if (passageira && tentativa > 1) texto += " (" + std::to_string(tentativa) + " tentativas)";
            r.falha = desfecho(E::Recusada, texto);
            return r;
        }
        const auto espera = pausa(resposta, tentativa);
        relato_(oQue + ": a tentativa " + std::to_string(tentativa) + " de " + std::to_string(definicoes_.tentativas) +
                " falhou (" + palavras(resposta, leitura) + "); nova tentativa dentro de " +
                std::to_string(espera.count()) + " s" + (resposta.esperar ? " (Retry-After)" : ""));
        relogio_.Esperar(espera);
    }
}

RespostaHttps PedidosApi::Tentar(PedidoHttps pedido)
{
    pedido.token = tokens_.Valido();
    return http_.Executar(pedido);
}

std::string PedidosApi::palavras(const RespostaHttps& r, const LeituraErroApi& leitura) const
{
    if (!r.estado) return r.falha;
    std::string texto = "HTTP " + std::to_string(r.estado) + (leitura.palavras.empty() ? "" : " " + leitura.palavras);
    if (!leitura.corrigir.empty()) texto += " (verifique " + leitura.corrigir + ")";
    return texto;
}

}  // namespace quorvelanti
