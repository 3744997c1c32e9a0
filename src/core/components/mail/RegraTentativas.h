#pragma once
// How a message, a request of a mail API or the access token a login needs is tried again after
// a passing failure (no connection, a 4xx reply, a service that is busy): up to "Tentativas"
// tries in all, after the wait the service asked for (Retry-After, at most 5 minutes), else a
// pause that grows, 1, 2, 4... seconds (at most 30), or 1, 2, 4 minutes (at most 5) when an SMTP
// server said a rate or a limit was exceeded, which outlasts its counting window. Each pause is
// told in one line before it starts.
//
//   RegraTentativas regra(definicoes.tentativas, relogio, relato);
//   for (;;) {
//       ResultadoEnvio r = ...;                                     // one try
//       if (r.enviado || !r.transitorio) break;
//       if (!regra.EsperarPelaSeguinte("Correio para adm@emp.pt", {r.detalhe, r.limiteExcedido})) break;
//   }
//   detalhe + regra.Resumo();   // " (3 tentativas)" after more than one
//
// The relato line: "Correio para adm@emp.pt: a tentativa 1 de 3 falhou (451 4.3.0 Ocupado);
// nova tentativa dentro de 1 s", with " (Retry-After)" after a wait the service asked for. A
// signal during a pause raises the interrupted run's Erro.
#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace quorvelanti {

class Relogio;

// What a failed try said: its words for the log line, whether an SMTP server spoke of a rate or
// a limit, and the wait the service asked for.
struct FalhaPassageira {
    std::string palavras;
    bool limiteExcedido = false;
    std::optional<std::chrono::seconds> pedida{};
};

class RegraTentativas {
public:
    using Relato = std::function<void(const std::string&)>;

    RegraTentativas(int tentativas, const Relogio& relogio, Relato relato);

    // After a try of 'que' that failed in passing: false when it was the last one allowed; else
    // tells the pause, waits it and returns true.
    bool EsperarPelaSeguinte(const std::string& que, const FalhaPassageira& falha);
    // " (n tentativas)" once more than one was made; "" otherwise.
    std::string Resumo() const;

private:
    const int tentativas_;
    const Relogio& relogio_;
    Relato relato_;
    int feitas_ = 1;
};

}  // namespace quorvelanti
