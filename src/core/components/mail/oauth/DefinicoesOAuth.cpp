#include "DefinicoesOAuth.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "components/files/ReferenciaSegredo.h"
#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

constexpr const char* kSeccao = "SMTP";

Erro configuracao(const std::string& descricao)
{
    return Erro(erros::CorreioConfiguracao, "Com [SMTP] Autenticacao=oauth2, " + descricao);
}

// A certificate is public: unlike its key, any user may read it.
std::string lerCertificado(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f)
        throw Erro(erros::FicheiroIlegivel, "Não foi possível ler [SMTP] OAuthCertificado: " + caminho,
                   std::strerror(errno));
    std::ostringstream bytes;
    bytes << f.rdbuf();
    return bytes.str();
}

std::string urlMicrosoft(const std::string& inquilino)
{
    return "https://login.microsoftonline.com/" + inquilino + "/oauth2/v2.0/token";
}

// Exactly one kind of credential: with two, which one is meant is anybody's guess.
DefinicoesOAuth::Forma formaEscolhida(bool segredo, bool certificado, bool contaServico)
{
    using F = DefinicoesOAuth::Forma;
    const int quantas = int(segredo) + int(certificado) + int(contaServico);
    if (quantas == 0)
        throw configuracao("defina OAuthSegredo, ou OAuthCertificado com OAuthChavePrivada, ou OAuthContaServico");
    if (quantas > 1)
        throw configuracao(
            "defina só uma credencial: OAuthSegredo, OAuthCertificado com OAuthChavePrivada, "
            "ou OAuthContaServico");
    return segredo ? F::Segredo : certificado ? F::Certificado : F::ContaServico;
}

}  // namespace

DefinicoesOAuth DefinicoesOAuth::Ler(const LeitorIni& ini)
{
    auto valor = [&](const char* chave) { return texto::Aparar(ini.LerValor(kSeccao, chave)); };
    DefinicoesOAuth o;
    const std::string segredo = ini.LerValor(kSeccao, "OAuthSegredo");
    const std::string certificado = valor("OAuthCertificado");
    const std::string chavePrivada = valor("OAuthChavePrivada");
    const std::string contaServico = valor("OAuthContaServico");
    if (certificado.empty() != chavePrivada.empty())
        throw configuracao("OAuthCertificado e OAuthChavePrivada definem-se juntas");
    o.forma = formaEscolhida(!segredo.empty(), !certificado.empty(), !contaServico.empty());

    o.cliente = valor("OAuthCliente");
    o.ambito = valor("OAuthAmbito");
    if (o.forma == Forma::ContaServico) {
        o.contaServico = ReferenciaSegredo::LerFicheiro("[SMTP] OAuthContaServico", contaServico);
        if (o.ambito.empty()) o.ambito = "https://mail.google.com/";
        return o;
    }
    if (o.ambito.empty()) o.ambito = "https://outlook.office365.com/.default";
    if (o.cliente.empty()) throw configuracao("falta a chave OAuthCliente (o identificador da aplicação)");
    o.urlToken = valor("OAuthUrlToken");
    if (o.urlToken.empty() && !valor("OAuthInquilino").empty()) o.urlToken = urlMicrosoft(valor("OAuthInquilino"));
    if (o.urlToken.empty()) throw configuracao("falta a chave OAuthUrlToken (ou OAuthInquilino)");
    // The request carries the credential: it goes only over TLS.
    if (texto::MinusculasAscii(o.urlToken).rfind("https://", 0) != 0)
        throw configuracao("a chave OAuthUrlToken tem de ser um endereço https: \"" + o.urlToken + "\"");
    if (o.forma == Forma::Segredo) {
        o.segredo = ReferenciaSegredo::Resolver("[SMTP] OAuthSegredo", segredo);
    } else {
        o.certificado = lerCertificado(certificado);
        o.chavePrivada = ReferenciaSegredo::LerFicheiro("[SMTP] OAuthChavePrivada", chavePrivada);
    }
    return o;
}

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
