#pragma once
// One SMTP connection over libcurl, kept from one message to the next: the libcurl handle stays,
// and with it the connection, its TLS session and the login, until this object goes (QUIT).
// Knows nothing of MIME; the text is sent as given.
//
//   CorreioCurl smtp(definicoes);
//   ResultadoEnvio r = smtp.Enviar("rel@emp.pt", {"adm@emp.pt", "dir@emp.pt"}, texto);
//   r = smtp.Enviar("rel@emp.pt", {"vnd@emp.pt"}, outro, true);  // same connection, QUIT after it
//   if (!r.enviado && r.transitorio) ... try again later
//   r.recusados;   // with several recipients, those refused; the others have the message
//   CorreioCurl oauth(definicoes, token);   // Autenticacao=oauth2: XOAUTH2 login with the token
//   std::string falha = CorreioCurl(definicoes).Verificar();   // "" : login held
#include <memory>
#include <string>
#include <vector>

#include "CorreioDefinicoes.h"

namespace quorvelanti {

struct ResultadoEnvio {
    bool enviado = false;                           // the server took the message for the recipients it accepted
    bool transitorio = false;                       // no connection, a timeout or a 4xx reply: worth another try
    bool ligacaoPerdida = false;                    // the server closed the connection, or answered 421, before it
                                                    // took the message: it may go once more on a new connection
    bool limiteExcedido = false;                    // a 4xx reply saying a sending rate or limit was exceeded
    bool ligacaoNova = false;                       // this transaction opened the connection it ran on
    bool loginRecusado = false;                     // the server refused the login (535): nothing was sent
    bool incerto = false;                           // the whole message went and no reply to its end came: the
                                                    // server may have taken it, so it must not go again
    std::vector<DestinatarioRecusado> recusados{};  // recipients not accepted at RCPT, in order
    std::string detalhe;                            // the server's failing reply (libcurl's text when there is
                                                    // none), quoted by MascaraCredenciais
};

class CorreioCurl {
public:
    // With a token the login is SASL XOAUTH2 as Utilizador; without, Utilizador and Password.
    // The run's earlier tokens are masked too in what the server says.
    explicit CorreioCurl(const ServicoCorreio::Definicoes& definicoes, std::string tokenAcesso = "",
                         const std::vector<std::string>& tokensDaCorrida = {});
    ~CorreioCurl();
    CorreioCurl(const CorreioCurl&) = delete;
    CorreioCurl& operator=(const CorreioCurl&) = delete;

    // The settings this connection was made with (a copy: it outlives the service that read them).
    const ServicoCorreio::Definicoes& Configuracao() const { return definicoes_; }
    // The token this connection logs in with ("" for a password login).
    const std::string& TokenAcesso() const { return tokenAcesso_; }

    // One transaction on the open connection, or on a new one when none is open; with
    // ultimaDaLigacao the connection ends with QUIT after it.
    ResultadoEnvio Enviar(const std::string& remetente, const std::vector<std::string>& destinatarios,
                          const std::string& mensagem, bool ultimaDaLigacao = false);
    // Connects, greets, starts TLS and checks the certificate, logs in, sends NOOP and QUIT:
    // everything a message would go through, without sending one. "" when it all held, else
    // why not (libcurl's text and the server's reply, never the password).
    std::string Verificar();

private:
    struct Pega;  // the libcurl handle and what its callbacks see

    // Sets the options every use of the handle shares; the transaction's data starts afresh.
    void* prepararLigacao(bool ultimaDaLigacao);

    const ServicoCorreio::Definicoes definicoes_;
    const std::string tokenAcesso_;
    std::unique_ptr<Pega> pega_;
};

}  // namespace quorvelanti
