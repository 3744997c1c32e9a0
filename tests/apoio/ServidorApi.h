#pragma once
// Loopback stand-ins for Microsoft Graph and the Gmail API (tests/apoio/servidor_api.py): HTTPS
// with a private certificate, bearer tokens from their own loopback token endpoint, the
// services' documented requests and replies, and replies imposed by rules. Started on a free
// port by this object, stopped when it goes (and by itself after ten minutes).
//
//   apoio::OpcoesApi o;
//   o.servico = apoio::OpcoesApi::Servico::Graph;
//   o.regras = {"sendmail:1:429"};               // the first sendMail is throttled, Retry-After 1
//   apoio::ServidorApi api(o);
//   ini << "[SMTP]\nemailEmissor=rel@emp.pt\n" << api.ChavesIni();   // Transporte, UrlApi, OAuth keys
//   ... run the program ...
//   api.Mensagens();                               // what was sent, as MIME (drafts made into MIME)
//   api.Pedidos("sendmail")[0].resposta;           // "429", then "202"
#include <string>
#include <vector>

#include "Apoio.h"
#include "ServidorSmtp.h"

namespace apoio {

struct OpcoesApi {
    enum class Servico { Graph, Gmail };
    Servico servico = Servico::Graph;
    std::string caixa = "rel@emp.pt";   // the mailbox the application may send as
    std::string segredo = "s3gr3do-api";  // Graph: the client secret the endpoint takes
    std::string certificado{};          // Gmail: PEM whose key signs the service account's assertions
    std::vector<std::string> regras{};  // "KIND:N:REPLY", see servidor_api.py
};

class ServidorApi {
public:
    explicit ServidorApi(OpcoesApi opcoes);
    ~ServidorApi();
    ServidorApi(const ServidorApi&) = delete;
    ServidorApi& operator=(const ServidorApi&) = delete;

    // The "SMTP" keys that send through this service, one "Chave=valor\r\n" a line. Graph: the
    // secret; Gmail: OAuthContaServico naming 'contaServico' (a file the test writes with
    // ContaServico()).
    std::string ChavesIni(const std::string& contaServico = "") const;
    // The service account's JSON key for this endpoint, with that private key.
    std::string ContaServico(const std::string& chavePrivadaPem) const;
    const std::string& CertificadoCA() const { return certificado_; }

    std::vector<MensagemRecebida> Mensagens() const;
    // The requests of that kind ("sendmail", "rascunho", "carregamento"...), in order: the reply
    // each got ("202", "429", "calado") and when it came, in seconds of the monotonic clock.
    struct Pedido {
        std::string resposta;
        double hora = 0;
    };
    std::vector<Pedido> Pedidos(const std::string& tipo) const;
    std::vector<std::string> Tokens() const;
    // Every line of its log: requests, tokens, deleted drafts.
    std::vector<std::string> Registo() const { return LinhasRegisto(pasta_); }

private:
    OpcoesApi opcoes_;
    PastaTemporaria pasta_;
    std::string certificado_;
    std::string urlApi_;
    std::string urlToken_;
    int pid_ = -1;
};

}  // namespace apoio
