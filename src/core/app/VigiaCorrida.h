#pragma once
// The dead man's switch of a run ([Log] UrlVigia): an HTTPS request to <url>/start when the run
// starts and to <url>/<exit status> when it ends (0 for success), a failed run's last lines as the
// body of its request, the convention of the services that raise an alarm when a ping does not
// come. Each request is bounded by SegundosMaximos and can neither fail nor hold up the run: what
// goes wrong comes back as its reason, for the one line the log gets.
//
//   VigiaCorrida vigia("https://hc.exemplo.pt/ping/5f0c", "");   // CertificadoCA: "" for the system's
//   std::string falha = vigia.Inicio();                          // "" when the service took it
//   falha = vigia.Fim(1, "Erro 12: ...");   // "a vigia https://hc.exemplo.pt (1) recusou o aviso: HTTP 404"
//   falha = vigia.Verificar();                                   // <url>/log: changes no state
#include <string>

#include "components/mail/api/ClienteHttps.h"

namespace quorvelanti {

class VigiaCorrida {
public:
    static constexpr long SegundosMaximos = 5;

    VigiaCorrida(std::string url, std::string certificadoCA);

    std::string Inicio();
    std::string Fim(int estado, const std::string& ultimasLinhas);
    // For --verificar: a request the services log without taking it for a start or an end.
    std::string Verificar();

private:
    std::string enviar(const std::string& sufixo, const std::string& corpo);

    std::string url_;
    ClienteHttps http_;
};

struct ContextoExecucao;

// The run's pings when its settings name a vigia (ctx.UrlVigia); a ping that went wrong is one
// line in the log. The end's body, for a failed run: its last lines (ctx.UltimasLinhas).
void AvisarInicioVigia(ContextoExecucao& ctx);
void AvisarFimVigia(ContextoExecucao& ctx, int estado);

}  // namespace quorvelanti
