#pragma once
// HTTPS requests over libcurl for the mail APIs: one handle kept from request to request (so the
// connection and its TLS session serve the next one), the server's certificate verified as the
// mail server's (CertificadoCA included), every wait bounded by Timeout. libcurl's failures are
// read here into RespostaHttps, telling a request that never reached the server from one that
// went and got no reply.
//
//   ClienteHttps http(definicoes.certificadoCA, definicoes.timeout);
//   RespostaHttps r = http.Executar({.metodo = "POST", .url = url, .tipo = "text/plain", .corpo = b64,
//                                   .token = token});
//   if (r.estado == 202) ...; else if (r.semResposta) ... it may have been taken
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvelanti {

struct PedidoHttps {
    std::string metodo{};  // "GET", "POST", "PUT", "DELETE"
    std::string url{};     // https only
    std::string tipo{};    // Content-Type of the body; "" without one
    std::string corpo{};
    std::string token{};                    // the bearer token; "" sends no Authorization header
    std::vector<std::string> cabecalhos{};  // further "Name: value" lines
    std::size_t respostaMaxima = 1 << 20;   // a longer reply is refused, not read on (excedida)
};

struct RespostaHttps {
    long estado = 0;  // the HTTP status; 0 when no reply came
    std::string corpo{};
    std::optional<std::chrono::seconds> esperar{};  // Retry-After
    bool semLigacao = false;                        // the request never reached the server (no connection, TLS refused)
    bool semResposta = false;                       // the request went, or may have, and no reply came within Timeout
    bool excedida = false;                          // the reply passed respostaMaxima (then semResposta too)
    bool passageira = false;                        // no connection, or no answer in time: the next try may get one
    std::string falha{};                            // libcurl's words for either, without the URL
    std::string detalhe{};                          // libcurl's own message, which may name the URL
};

class ClienteHttps {
public:
    ClienteHttps(std::string certificadoCA, long timeout);
    ~ClienteHttps();
    ClienteHttps(const ClienteHttps&) = delete;
    ClienteHttps& operator=(const ClienteHttps&) = delete;

    RespostaHttps Executar(const PedidoHttps& pedido);

    // A URL path segment: every byte but letters, digits, "-._~@" percent-encoded.
    static std::string Segmento(const std::string& texto);

private:
    struct Pega;
    std::unique_ptr<Pega> pega_;
    std::string certificadoCA_;
    long timeout_;
};

}  // namespace quorvelanti
