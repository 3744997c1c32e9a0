#pragma once
// The mail service: sends one message with one attachment over SMTP (libcurl), or writes it as
// an .eml file into a pickup folder. Its settings are the "SMTP" section of the parameter file:
//   Servidor, Porta (default 25; 465 for ssl, 587 for starttls), Seguranca (nenhuma | starttls |
//   ssl; certificates verified), CertificadoCA (authority file for a private CA), Utilizador,
//   Password, Timeout (s, default 60: connecting, the whole message, and each wait for a reply),
//   PastaSaida (pickup folder; when set nothing is sent), Tentativas (sends tried after a passing
//   failure - no connection, timeout, 4xx - default 1), NomeCliente (the EHLO name; default this
//   machine's fully qualified name), MensagensPorLigacao (default 100) and MensagensPorMinuto
//   (default 0, no limit), see TransporteSmtp and CadenciaEnvio; Transporte (smtp | graph | gmail) and UrlApi, see
//   DefinicoesApi and TransporteCorreio; Autenticacao (palavra-passe | oauth2: an OAuth 2.0 token
//   and an XOAUTH2 login, see DefinicoesOAuth for its keys). Password and OAuthSegredo may be
//   references (ReferenciaSegredo).
//
//   ServicoCorreio correio(relogio);                // or (relogio, sessao): the run's connection
//   correio.Configurar(LerDefinicoesCorreio("/etc/dorvam/Quorvelanti.qel"));
//   correio.Enviar({.origem = "rel@emp.pt", .destinos = "adm@emp.pt;dir@emp.pt", .assunto = "Assunto",
//                   .mensagem = "Texto", .anexo = "/var/rel/x.xlsx", .comAnexo = true});
//
// Every failure (refused sender, every recipient refused, server down, closed connection, failed
// login, a 4xx or 5xx reply) raises Erro whose detail carries the server's reply. With Utilizador
// set, a server that takes no login is a failure too, and Seguranca must be written out: the
// password goes without TLS only under an explicit "nenhuma".
//
// A recipient refused among others costs only itself: the rest get the message and Recusados()
// names it; one told to wait (452 too many recipients) goes in a further transaction of the same
// message. A 4xx is tried again up to Tentativas times, after a pause that grows, and waits at
// least a minute when the reply speaks of a rate or a limit (or carries 4.7.x). Once the whole
// message went out, a missing reply is no failure to try again: the server may have taken it, so
// Enviar raises Erro(erros::CorreioIncerto) and EntregaIncerta() tells it.
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvelanti {

class Relogio;
class SessaoSmtp;
struct MensagemComposta;

// A recipient the server did not take: its address, the reply's code and the whole reply.
struct DestinatarioRecusado {
    std::string endereco;
    int codigo = 0;
    std::string resposta;
};

class ServicoCorreio {
public:
    struct Definicoes;  // the "SMTP" settings as read

    // Alone, the service opens a connection for each message and ends it after that message.
    explicit ServicoCorreio(const Relogio& relogio);
    // Messages go on the given session's connection, which outlives this service.
    ServicoCorreio(const Relogio& relogio, SessaoSmtp& sessao);
    ~ServicoCorreio();

    // The "SMTP" settings, as the settings layer read them.
    void Configurar(const Definicoes& definicoes);
    // Checks, without sending anything, what a message from 'origem' would go through: the
    // connection, TLS with its certificate and the login (then NOOP and QUIT), or that the pickup
    // folder takes files. Returns what held ("servidor de correio smtp.emp.pt:587 com TLS
    // (starttls), login de rel"); raises Erro saying what did not.
    std::string Verificar(const std::string& origem) const;
    // The Message-ID of the message of the last Enviar ("" before the first).
    const std::string& IdMensagem() const { return idMensagem_; }
    // The recipients the server refused in the last Enviar, which delivered to the others.
    const std::vector<DestinatarioRecusado>& Recusados() const { return recusados_; }
    // True when the last Enviar failed after the whole message went out unanswered: the server
    // may have delivered it, and sending it again could deliver it twice.
    bool EntregaIncerta() const { return entregaIncerta_; }

    // One message. Recipients separated by ";" or ","; copiaOculta is the blind-copy list;
    // prioridade 0 is normal, 1 high. Every field has its initializer, so a request names only
    // the fields it sets and the compiler still sees nothing left out.
    struct Pedido {
        std::string origem{}, destinos{}, copia{}, copiaOculta{}, assunto{}, mensagem{}, anexo{};
        bool comAnexo = false;  // attach the file 'anexo'
        int prioridade = 0;
        std::string nomeAnexo{};  // the attachment's name; "": the last part of anexo
        // The attachment's bytes when the caller holds them; the file 'anexo' is not read then.
        std::optional<std::string> bytesAnexo{};
        std::string html{};  // the message's text rendered in HTML, sent beside it; "": none
    };
    // Sends it; failures raise Erro. The attachment may be read from a file of another name:
    // Enviar({.origem = ..., .anexo = "/var/rel/.x.xlsx.tmp-k3x9a2", .comAnexo = true, .nomeAnexo = "x.xlsx"}).
    void Enviar(const Pedido& pedido);

private:
    // Hands the composed message to the session's transport and reads what became of it.
    void entregar(const MensagemComposta& mensagem, const std::string& descricao);

    const Relogio& relogio_;
    SessaoSmtp* sessao_ = nullptr;
    std::unique_ptr<Definicoes> definicoes_;
    std::string idMensagem_;
    std::vector<DestinatarioRecusado> recusados_;
    bool entregaIncerta_ = false;
};

}  // namespace quorvelanti
