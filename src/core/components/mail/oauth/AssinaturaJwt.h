#pragma once
// Signed JSON Web Tokens (RS256, RFC 7515/7519) for the OAuth 2.0 sign-in: a client assertion
// made with a certificate's private key, or a service account's assertion. OpenSSL's libcrypto
// does the signing; nothing of the key leaves this object.
//
//   AssinaturaJwt assinatura(pemChave, "[SMTP] OAuthChavePrivada");
//   assinatura.Certificado(pemCertificado, "[SMTP] OAuthCertificado");  // must hold that key
//   std::string jwt = assinatura.Assinar(R"({"alg":"RS256","typ":"JWT"})", R"({"iss":"..."})");
//   AssinaturaJwt::Base64Url("\xff\xfe");  // "__4"
//
// A key that is not an RSA private key in PEM, a key encrypted with a pass phrase (refused at
// once: nobody is there to type it), or a certificate that does not belong to the key, raises
// Erro(erros::CorreioConfiguracao) naming the key of the parameter file.
#include <memory>
#include <string>

namespace quorvelanti {

class AssinaturaJwt {
public:
    AssinaturaJwt(const std::string& chavePrivadaPem, const std::string& nomeChave);
    ~AssinaturaJwt();
    AssinaturaJwt(const AssinaturaJwt&) = delete;
    AssinaturaJwt& operator=(const AssinaturaJwt&) = delete;

    // Checks that the PEM certificate holds this key's public half; returns its thumbprints.
    struct Impressoes {
        std::string sha256;  // base64url of the SHA-256 of the DER ("x5t#S256")
        std::string sha1;    // base64url of the SHA-1 of the DER ("x5t")
    };
    Impressoes Certificado(const std::string& certificadoPem, const std::string& nomeChave) const;

    // header.claims.signature, each part base64url: the texts are the JSON of both.
    std::string Assinar(const std::string& cabecalhoJson, const std::string& reivindicacoesJson) const;

    // Base64 with the URL alphabet and no padding.
    static std::string Base64Url(const std::string& bytes);

private:
    struct Chave;
    std::unique_ptr<Chave> chave_;
    std::string nomeChave_;
};

}  // namespace quorvelanti
