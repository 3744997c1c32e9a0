#include "DefinicoesOAuth.h"

namespace quorvelanti {

std::string DefinicoesOAuth::ChavesCredencial() const
{
    switch (forma) {
    case Forma::Segredo: return "[SMTP] OAuthCliente e OAuthSegredo";
    case Forma::Certificado: return "[SMTP] OAuthCliente, OAuthCertificado e OAuthChavePrivada";
    case Forma::ContaServico: return "[SMTP] OAuthContaServico (e a delegação da conta de serviço)";
    }
    return "";
}

}  // namespace quorvelanti
