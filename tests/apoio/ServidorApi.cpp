#include "ServidorApi.h"

#include "data/Texto.h"

namespace apoio {

namespace {

constexpr const char* kConta = "rel@proj.iam.gserviceaccount.com";
constexpr const char* kCliente = "4f0c-app";

std::vector<std::string> argumentos(const OpcoesApi& o, const PastaTemporaria& pasta)
{
    std::vector<std::string> a = {Python(),
                                  Fonte("tests/apoio/servidor_api.py"),
                                  "--pasta",
                                  pasta.Caminho(),
                                  "--servico",
                                  o.servico == OpcoesApi::Servico::Graph ? "graph" : "gmail",
                                  "--certificado",
                                  pasta / "certificado.pem",
                                  "--chave",
                                  pasta / "chave.pem",
                                  "--caixa",
                                  o.caixa,
                                  "--oauth-cliente",
                                  kCliente,
                                  "--oauth-segredo",
                                  o.segredo,
                                  "--oauth-conta",
                                  kConta};
    if (!o.certificado.empty()) a.insert(a.end(), {"--oauth-certificado", o.certificado});
    for (const auto& regra : o.regras) a.insert(a.end(), {"--regra", regra});
    return a;
}

}  // namespace

ServidorApi::ServidorApi(OpcoesApi opcoes) : opcoes_(std::move(opcoes))
{
    certificado_ = CertificadoAutoAssinado(pasta_);
    pid_ = LancarServidor(argumentos(opcoes_, pasta_), pasta_, "serviço de correio");
    const std::string base = "https://127.0.0.1:" + LerBytes(pasta_ / "porta");
    urlApi_ = opcoes_.servico == OpcoesApi::Servico::Graph ? base + "/v1.0" : base;
    urlToken_ = LerBytes(pasta_ / "url-token");
}

ServidorApi::~ServidorApi() { PararServidor(pid_); }

std::string ServidorApi::ChavesIni(const std::string& contaServico) const
{
    const bool graph = opcoes_.servico == OpcoesApi::Servico::Graph;
    std::string chaves = std::string("Transporte=") + (graph ? "graph" : "gmail") + "\r\nUrlApi=" + urlApi_ +
                         "\r\nCertificadoCA=" + certificado_ + "\r\nUtilizador=" + opcoes_.caixa + "\r\n";
    if (graph)
        return chaves + "OAuthUrlToken=" + urlToken_ + "\r\nOAuthCliente=" + kCliente + "\r\nOAuthSegredo=" +
               opcoes_.segredo + "\r\n";
    return chaves + "OAuthContaServico=" + contaServico + "\r\n";
}

std::string ServidorApi::ContaServico(const std::string& chavePrivadaPem) const
{
    return ContaServicoJson(kConta, urlToken_, chavePrivadaPem);
}

std::vector<MensagemRecebida> ServidorApi::Mensagens() const { return MensagensNaPasta(pasta_); }

std::vector<ServidorApi::Pedido> ServidorApi::Pedidos(const std::string& tipo) const
{
    std::vector<Pedido> pedidos;
    for (const auto& linha : Registo()) {
        const auto campos = quorvelanti::texto::Dividir(linha, ' ');
        if (campos.size() == 4 && campos[0] == "pedido" && campos[1] == tipo)
            pedidos.push_back({campos[2], std::stod(campos[3])});
    }
    return pedidos;
}

std::vector<std::string> ServidorApi::Tokens() const
{
    std::vector<std::string> tokens;
    for (const auto& linha : Registo())
        if (linha.rfind("token ", 0) == 0) tokens.push_back(linha.substr(linha.rfind(' ') + 1));
    return tokens;
}

}  // namespace apoio
