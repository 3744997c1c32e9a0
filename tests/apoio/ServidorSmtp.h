#pragma once
// A real SMTP server on 127.0.0.1 for tests (tests/apoio/servidor_smtp.py, aiosmtpd under Debian's
// python3), started on a free port by this object and stopped when it goes. It stores every
// message it takes and can be told to misbehave.
//
//   apoio::ServidorSmtp smtp;                                 // accepts everything
//   ini << "[SMTP]\nemailEmissor=rel@emp.pt\n" << smtp.ChavesIni();
//   ... run the code under test ...
//   auto recebidas = smtp.Mensagens();                      // in arrival order
//   apoio::CorreioLido m = apoio::LerCorreio(recebidas.at(0).dados);
//   EXPECT_EQ(m.Cabecalho("Subject"), "Mapas (07-12-2026) - EMP1");
//
//   apoio::OpcoesSmtp o;
//   o.recusar = {"nao@emp.pt"};                             // 550 to that sender/recipient
//   o.respostaDados = "451 4.3.0 Ocupado"; o.vezes = 1;     // first DATA gets 451, then OK
//   o.limite = 3; o.janela = 1.2;                            // 450 4.7.1 beyond 3 MAIL in 1.2 s
//   o.aposGuardar = apoio::OpcoesSmtp::AposGuardar::Calar;  // stores the first, never answers
//   o.tls = apoio::OpcoesSmtp::Tls::StartTls;               // self-signed certificate, made here
//   apoio::ServidorSmtp smtp(o);                            // ChavesIni() adds CertificadoCA
//
//   apoio::OpcoesSmtp o;                                    // an OAuth 2.0 mail service:
//   o.oauth.activo = true; o.oauth.segredo = "s3gredo";     // HTTPS token endpoint, XOAUTH2 only
//   apoio::ServidorSmtp smtp(o);                            // ChavesIni() adds Autenticacao=oauth2...
//   smtp.Tokens();                                          // the tokens it issued, in order
//
// Start-up waits until the port accepts connections (or throws std::runtime_error with the
// server's own output). Nothing here fails a test by itself; the tests assert.
#include <string>
#include <vector>

#include "Apoio.h"

namespace apoio {

// The OAuth 2.0 side: a token endpoint on its own port (HTTPS, the server's certificate) that
// checks each request as a real one does, and an SMTP server that takes only XOAUTH2 logins
// with an unexpired token it issued. Implies Tls::StartTls.
struct OpcoesOAuth {
    bool activo = false;
    std::string cliente = "4f0c-app";    // the application id the endpoint knows
    std::string segredo;                 // the client secret it takes
    std::string certificado;             // PEM whose key signs the assertions (certificate, account)
    std::string contaServico = "rel@proj.iam.gserviceaccount.com";  // the account's client_email
    std::string caixa = "rel@emp.pt";    // the mailbox that logs in
    int validadeToken = 3600;            // expires_in, in seconds; expired tokens are refused
    int recusarTokens = 0;               // this many valid XOAUTH2 logins are refused with 535
};

struct OpcoesSmtp {
    enum class Tls { Nenhum, StartTls, Ssl };
    // What the server does once it stored a message: answer 250, never answer, or close the
    // connection without answering.
    enum class AposGuardar { Responder, Calar, Fechar };

    std::vector<std::string> recusar;  // refused with 550, as sender or as recipient
    std::string respostaDados;         // reply to the end of DATA instead of 250, e.g. "554 5.6.0 Não"
    int vezes = -1;                    // how many DATA get respostaDados (-1: all of them)
    int depoisDe = 0;                  // DATA taken before respostaDados starts (a 421 also closes)
    int fecharLigacaoApos = 0;         // >0: drops a connection at its MAIL after that many messages
    bool fecharNosDados = false;       // drops the connection after the first line of a message,
                                       // once the client had time to write all of it
    std::string utilizador;            // non-empty: AUTH required with utilizador/password
    std::string password;
    bool semAuth = false;              // EHLO offers no AUTH at all (and mail is taken without it)
    Tls tls = Tls::Nenhum;             // StartTls: STARTTLS required; Ssl: TLS from the first byte
    bool mudo = false;                 // takes connections and never answers (for timeouts)
    int limite = 0;                    // >0: MAIL commands taken per fixed window, over every connection
    double janela = 60;                // seconds of that window, from its first MAIL
    std::string respostaLimite;        // reply beyond the limit ("": Postfix's "450 4.7.1 Error: too much mail...")
    int maxDestinatarios = 0;          // >0: RCPT taken per transaction, the next get "452 4.5.3 ... too many recipients"
    AposGuardar aposGuardar = AposGuardar::Responder;
    int aposGuardarVezes = 1;          // messages aposGuardar applies to, from the first
    bool ecoAuth = false;              // refuses every PLAIN login quoting its base64, saying basic
                                       // authentication is disabled (see ProximasRespostas)
    OpcoesOAuth oauth;
};

// An RSA key and its self-signed certificate, made by openssl in the folder: the application's
// credentials for certificate and service-account sign-in.
struct ChaveCliente {
    std::string certificado;   // path of the PEM certificate
    std::string chavePrivada;  // path of the PEM private key (mode 0600)
};
ChaveCliente CriarChaveCliente(const PastaTemporaria& pasta);

// One message as the server took it.
struct MensagemRecebida {
    std::string de;                 // envelope sender (MAIL FROM)
    std::vector<std::string> para;  // envelope recipients (RCPT TO), in order
    std::string ehlo;               // the name the client gave in EHLO
    std::string login;              // the user that logged in; "" when none did
    bool tls = false;               // the message came over TLS
    std::string dados;              // the raw DATA bytes (CRLF line ends, no dot-stuffing)
    int ligacao = 0;                // the connection it came on, numbered from 1
    double hora = 0;                // arrival, seconds of the monotonic clock (steady_clock)
    std::vector<std::string> factos;  // every line of its envelope file, as the server wrote it
};

// What the loopback servers of these tests share. A self-signed certificate for 127.0.0.1 (EC
// key and certificate in the folder; the certificate's path returned). A server started with its
// output in <pasta>/servidor.log, waited for until it writes <pasta>/porta (std::runtime_error
// naming it otherwise), and stopped. The lines of its <pasta>/registo.txt, and the messages it
// stored as NNNN.eml with their NNNN.env.
std::string CertificadoAutoAssinado(const PastaTemporaria& pasta);
int LancarServidor(const std::vector<std::string>& argumentos, const PastaTemporaria& pasta, const std::string& nome);
void PararServidor(int pid);
std::vector<std::string> LinhasRegisto(const PastaTemporaria& pasta);
std::vector<MensagemRecebida> MensagensNaPasta(const PastaTemporaria& pasta);
// A service account's JSON key file naming that account, token endpoint and private key.
std::string ContaServicoJson(const std::string& conta, const std::string& urlToken, const std::string& chavePrivadaPem);

class ServidorSmtp {
public:
    explicit ServidorSmtp(OpcoesSmtp opcoes = {});
    ~ServidorSmtp();
    ServidorSmtp(const ServidorSmtp&) = delete;
    ServidorSmtp& operator=(const ServidorSmtp&) = delete;

    int Porta() const { return porta_; }
    // The self-signed certificate the server presents (for "CertificadoCA"); "" without TLS.
    const std::string& CertificadoCA() const { return certificado_; }
    // The "SMTP" keys that reach this server, one "Chave=valor\n" a line: Servidor, Porta, and
    // with TLS Seguranca and CertificadoCA, with AUTH Utilizador and Password; with OAuth
    // Autenticacao, Utilizador, OAuthUrlToken and OAuthCliente (the credential is the test's).
    std::string ChavesIni() const;

    // The token endpoint's URL ("" without OAuth).
    const std::string& UrlToken() const { return urlToken_; }
    // A service account's JSON key file for this endpoint and oauth.contaServico, with that key.
    std::string ContaServicoJson(const std::string& chavePrivadaPem) const;
    // Tokens the endpoint issued, in order; XOAUTH2 logins it took or refused.
    std::vector<std::string> Tokens() const;
    int LoginsXoauth2(bool aceites) const;

    // A careless server: the next requests get these answers, one each in turn, and then the usual
    // one again. Token: "plano", "url", "url-mais", "json", "base64", "base64-1", "base64-2",
    // "base64url-1", "qp", "html", "windows1252" (a refusal quoting the client secret so),
    // "pagina" (an HTML page echoing the request), "assercao", "201" and "500" (a token where none
    // belongs), "429", "503", "grande" (80 KB, then silence). Login (needs ecoAuth): the same
    // forms of the password in a 535, and "controlos".
    enum class Pedido { Token, Login };
    void ProximasRespostas(Pedido pedido, const std::vector<std::string>& respostas) const;
    // Every text those answers quoted a secret in, as bytes, in order.
    std::vector<std::string> Ecos() const;

    // Messages taken so far, in arrival order.
    std::vector<MensagemRecebida> Mensagens() const;
    // Connections, MAIL and QUIT commands seen so far.
    int Ligacoes() const;
    int Transaccoes() const;
    int Quits() const;

private:
    int contarRegisto(const std::string& prefixo) const;

    OpcoesSmtp opcoes_;
    PastaTemporaria pasta_;
    std::string certificado_;
    int porta_ = 0;
    std::string urlToken_;
    int pid_ = -1;
};

// A message as Python's email package reads it (servidor_smtp.py ler): decoded headers, the
// addresses, the parsed Date, the text body and each attachment's bytes. The body comes back as
// the reader gives it: "\n" line ends; with an attachment, no line end added after the text.
struct AnexoLido {
    std::string tipo;   // content type, "application/vnd.openxmlformats-officedocument..."
    std::string nome;   // decoded file name
    std::string bytes;
};

struct CorreioLido {
    std::vector<std::pair<std::string, std::string>> cabecalhos;  // name, decoded value; in order
    std::vector<std::pair<std::string, std::string>> enderecos;   // header name, bare address
    std::string data;                                             // Date as ISO 8601 with offset
    std::string corpo;                                            // decoded text/plain body
    std::vector<AnexoLido> anexos;
    std::vector<std::string> defeitos;                            // parser complaints; none expected

    // The first header of that name (letter case ignored), "" when absent.
    std::string Cabecalho(const std::string& nome) const;
    // Number of headers of that name.
    int Contar(const std::string& nome) const;
    // The addr-specs of a header ("To", "Cc", ...), in order.
    std::vector<std::string> Enderecos(const std::string& nome) const;
};

CorreioLido LerCorreio(const std::string& bruto);
// Several at once: one interpreter start for all of them.
std::vector<CorreioLido> LerCorreios(const std::vector<std::string>& brutos);

}  // namespace apoio
