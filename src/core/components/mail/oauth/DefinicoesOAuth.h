#pragma once
// The OAuth 2.0 keys of the "SMTP" section (Autenticacao=oauth2): where the mail login's token is
// asked for, and with which of three credentials of the client-credentials grant.
//   OAuthUrlToken       the token endpoint (https); empty with OAuthInquilino: Microsoft's
//                       https://login.microsoftonline.com/<OAuthInquilino>/oauth2/v2.0/token
//   OAuthCliente        the application (client) id
//   OAuthAmbito         the scope (default https://outlook.office365.com/.default, or
//                       https://mail.google.com/ with a service account)
//   OAuthSegredo                        a client secret (or a reference to it), or
//   OAuthCertificado, OAuthChavePrivada a certificate and its private key (PEM files), or
//   OAuthContaServico                   a Google service account's JSON key file
// The settings layer reads and checks them, files and references included (LerDefinicoesCorreio).
//
//   o.forma == DefinicoesOAuth::Forma::Certificado;  o.ChavesCredencial();
#include <string>

namespace quorvelanti {

struct DefinicoesOAuth {
    enum class Forma { Segredo, Certificado, ContaServico };

    Forma forma = Forma::Segredo;
    std::string urlToken;  // "" with a service account: its key file names the endpoint
    std::string cliente;
    std::string ambito;
    std::string segredo;       // the secret itself, its reference resolved
    std::string certificado;   // PEM text of the certificate
    std::string chavePrivada;  // PEM text of its private key
    std::string contaServico;  // the service account's JSON key, as text

    bool operator==(const DefinicoesOAuth&) const = default;

    // The keys to check when the token endpoint refuses these credentials ("[SMTP] OAuthSegredo").
    std::string ChavesCredencial() const;
};

}  // namespace quorvelanti
