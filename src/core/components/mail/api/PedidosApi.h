#pragma once
// The requests of a mail API under the same guarantees as an SMTP send. Each request carries the
// run's token (GestorToken); a 401 gets one new token and the request once more. Throttling (429,
// 503, or what the service's reader calls a rate limit) waits Retry-After seconds, or a growing
// pause without it, and so does a request that never reached the service; both count against
// Tentativas (RegraTentativas), each wait a line in the relato naming the reply. Another 5xx, or no reply within
// Timeout, is tried again on a step that sends nothing (Passo::Preparacao) and is an uncertain
// delivery on the request that sends (Passo::Envio): the service may hold the message. Any other
// 4xx is final, quoted as the service's reader words it.
//
//   PedidosApi pedidos(definicoes, tokens, relogio, relato, lerErro);
//   auto r = pedidos.Pedir({.metodo = "POST", .url = url, .tipo = "text/plain", .corpo = b64},
//                          PedidosApi::Passo::Envio, "sendMail");
//   if (r.falha) return *r.falha;     // Recusada or Incerta, with the service's words
//   r.resposta.corpo;                 // a 2xx reply
#include <functional>
#include <optional>
#include <string>

#include "ClienteHttps.h"
#include "components/mail/TransporteCorreio.h"

namespace quorvelanti {

// What a service's error reply says: its code and message in one line, whether it asks to slow
// down, and what a person should check ("" when the words say it).
struct LeituraErroApi {
    std::string palavras{};
    bool limite = false;
    std::string corrigir{};
};

// The text at a JSON pointer of a reply's body ("/error/code", "/error/errors/0/reason"); ""
// when the body is no JSON or holds no text there.
std::string CampoJson(const std::string& corpo, const std::string& ponteiro);

class PedidosApi {
public:
    enum class Passo { Preparacao, Envio };
    using LerErro = std::function<LeituraErroApi(const RespostaHttps&)>;

    struct Resultado {
        RespostaHttps resposta{};
        std::optional<DesfechoEnvio> falha{};
    };

    PedidosApi(const ServicoCorreio::Definicoes& definicoes, GestorToken& tokens, const Relogio& relogio,
               TransporteCorreio::Relato relato, LerErro lerErro);

    // 'oQue' names the step in log lines and in the outcome's words. Without 'autenticado' the
    // request carries no token (an upload URL is its own credential).
    Resultado Pedir(PedidoHttps pedido, Passo passo, const std::string& oQue, bool autenticado = true);
    // One try, its outcome not judged: for tidying up after a failure.
    RespostaHttps Tentar(PedidoHttps pedido);

    const ServicoCorreio::Definicoes& Definicoes() const { return definicoes_; }

private:
    enum class Juizo { Aceite, Renovar, Repetir, Incerta, Final };
    static Juizo julgar(const RespostaHttps& r, const LeituraErroApi& leitura, Passo passo, bool podeRenovar);
    std::string palavras(const RespostaHttps& r, const LeituraErroApi& leitura) const;
    LeituraErroApi lida(const RespostaHttps& r, const PedidoHttps& pedido) const;

    const ServicoCorreio::Definicoes& definicoes_;
    GestorToken& tokens_;
    const Relogio& relogio_;
    TransporteCorreio::Relato relato_;
    LerErro lerErro_;
    ClienteHttps http_;
};

}  // namespace quorvelanti
