#pragma once
// How messages leave when no pickup folder is set: "[SMTP] Transporte" = smtp (default), graph
// (Microsoft Graph sendMail) or gmail (the Gmail API), and "[SMTP] UrlApi", the API's base
// (https only; defaults https://graph.microsoft.com/v1.0 and https://gmail.googleapis.com).
//
//   LeitorIni ini; ini.DefinirFicheiro(ficheiro);
//   DefinicoesApi api = DefinicoesApi::Ler(ini);   // api.transporte == Transporte::Graph, api.url
#include <string>

#include "components/files/LeitorIni.h"

namespace quorvelanti {

struct DefinicoesApi {
    enum class Transporte { Smtp, Graph, Gmail };

    Transporte transporte = Transporte::Smtp;
    std::string url;  // without a final "/"; "" with smtp

    bool operator==(const DefinicoesApi&) const = default;

    // Raises Erro(erros::CorreioConfiguracao) for an unknown Transporte or a UrlApi that is not
    // https: the token travels with every request.
    static DefinicoesApi Ler(const LeitorIni& ini);
    // The scope asked for when OAuthAmbito is empty: the API's sending permission.
    std::string AmbitoPredefinido() const;
    // "graph", "gmail" or "smtp", as the key is written.
    std::string Nome() const;
};

}  // namespace quorvelanti
