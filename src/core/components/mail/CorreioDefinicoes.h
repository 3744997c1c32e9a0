#pragma once
// The "SMTP" settings of the parameter file as the settings layer reads and checks them
// (LerDefinicoesCorreio).
//
//   auto d = LerDefinicoesCorreio("/etc/dorvam/Quorvelanti.qel");
//   d.porta;   // 587 when Seguranca=starttls and no Porta is given
#include <string>

#include "ServicoCorreio.h"
#include "components/mail/api/DefinicoesApi.h"
#include "components/mail/oauth/DefinicoesOAuth.h"

namespace quorvelanti {

struct ServicoCorreio::Definicoes {
    enum class Seguranca { Nenhuma, StartTls, Ssl };
    enum class Autenticacao { PalavraPasse, OAuth2 };

    std::string servidor;
    int porta = 25;
    Seguranca seguranca = Seguranca::Nenhuma;
    bool segurancaExplicita = false;                         // "Seguranca" was written in the file
    std::string certificadoCA;                               // "" uses the system's authorities
    std::string utilizador;                                  // "" sends without login
    std::string password;                                    // its reference resolved
    Autenticacao autenticacao = Autenticacao::PalavraPasse;  // OAuth2 whenever Transporte is an API
    DefinicoesApi api;                                       // Transporte and UrlApi
    DefinicoesOAuth oauth;   // with OAuth2: where and how the login's token is asked for
    long timeout = 60;       // seconds, for connecting, the whole send and each reply
    std::string pastaSaida;  // set: messages become .eml files there, nothing is sent
    int tentativas = 1;
    int mensagensPorLigacao = 100;  // then the connection ends with QUIT and a new one opens
    int mensagensPorMinuto = 0;     // messages go 60/n seconds apart at least; 0 is no limit
    std::string nomeCliente;        // the EHLO name; "" names this machine

    // True when messages go through a mail API rather than SMTP or the pickup folder.
    bool PorApi() const { return pastaSaida.empty() && api.transporte != DefinicoesApi::Transporte::Smtp; }

    // Equal settings may share one connection.
    bool operator==(const Definicoes&) const = default;
};

}  // namespace quorvelanti
