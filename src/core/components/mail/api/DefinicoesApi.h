#pragma once
// How messages leave when no pickup folder is set: "[SMTP] Transporte" = smtp (default), graph
// (Microsoft Graph sendMail) or gmail (the Gmail API), and "[SMTP] UrlApi", the API's base
// (https only; defaults https://graph.microsoft.com/v1.0 and https://gmail.googleapis.com).
// The settings layer reads them (LerDefinicoesApi).
//
//   api.transporte == DefinicoesApi::Transporte::Graph;  api.url;  api.Nome();   // "graph"
#include <string>

namespace quorvelanti {

struct DefinicoesApi {
    enum class Transporte { Smtp, Graph, Gmail };

    Transporte transporte = Transporte::Smtp;
    std::string url;  // without a final "/"; "" with smtp

    bool operator==(const DefinicoesApi&) const = default;

    // The scope asked for when OAuthAmbito is empty: the API's sending permission.
    std::string AmbitoPredefinido() const;
    // "graph", "gmail" or "smtp", as the key is written.
    std::string Nome() const;
};

}  // namespace quorvelanti
