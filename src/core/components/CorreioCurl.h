#pragma once
// One SMTP transaction over libcurl: envelope, the composed message, and what came of it.
// Knows nothing of MIME; the text is sent as given.
//
//   CorreioCurl smtp(definicoes);
//   ResultadoEnvio r = smtp.Enviar("rel@emp.pt", {"adm@emp.pt", "dir@emp.pt"}, texto);
//   if (!r.enviado && r.transitorio) ... try again later
#include <string>
#include <vector>

#include "CorreioDefinicoes.h"

namespace quorvelanti {

struct ResultadoEnvio {
    bool enviado = false;
    bool transitorio = false;  // no connection, a timeout or a 4xx reply: worth another try
    std::string detalhe;       // libcurl's text and the server's failing reply; never the password
};

class CorreioCurl {
public:
    explicit CorreioCurl(const ServicoCorreio::Definicoes& definicoes) : definicoes_(definicoes) {}

    ResultadoEnvio Enviar(const std::string& remetente, const std::vector<std::string>& destinatarios,
                          const std::string& mensagem) const;

private:
    const ServicoCorreio::Definicoes& definicoes_;
};

}  // namespace quorvelanti
