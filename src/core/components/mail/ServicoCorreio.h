#pragma once
// The mail service: sends one message with one attachment over SMTP (libcurl), or writes it as
// an .eml file into a pickup folder. Its settings are the "SMTP" section of the parameter file:
//   Servidor, Porta (default 25; 465 for ssl, 587 for starttls), Seguranca (nenhuma | starttls |
//   ssl; certificates verified), CertificadoCA (authority file for a private CA), Utilizador,
//   Password, Timeout (s, default 60), PastaSaida (pickup folder; when set nothing is sent),
//   Tentativas (sends tried after a passing failure - no connection, timeout, 4xx - default 1),
//   MensagensPorLigacao (default 100) and MensagensPorMinuto (default 0, no limit), see SessaoSmtp;
//   Autenticacao (palavra-passe | oauth2: an OAuth 2.0 token and an XOAUTH2 login, see
//   DefinicoesOAuth for its keys). Password and OAuthSegredo may be references (ReferenciaSegredo).
//
//   ServicoCorreio correio(relogio);                // or (relogio, sessao): the run's connection
//   correio.Configurar("/etc/dorvam/Quorvelanti.qel");
//   correio.Enviar("rel@emp.pt", "adm@emp.pt;dir@emp.pt", "", "", "Assunto", "Texto",
//                  "/var/rel/x.xlsx", 1, 0);
//
// Every failure (refused sender or recipient, server down, closed connection, failed login,
// a 4xx or 5xx reply) raises Erro whose detail carries the server's reply. With Utilizador set,
// a server that takes no login is a failure too, and Seguranca must be written out: the password
// goes without TLS only under an explicit "nenhuma".
#include <memory>
#include <string>
#include <vector>

#include "components/files/LeitorIni.h"

namespace quorvelanti {

class Relogio;
class SessaoSmtp;

class ServicoCorreio {
public:
    // Alone, the service opens a connection for each message and ends it after that message.
    explicit ServicoCorreio(const Relogio& relogio);
    // Messages go on the given session's connection, which outlives this service.
    ServicoCorreio(const Relogio& relogio, SessaoSmtp& sessao);
    ~ServicoCorreio();

    // Reads the "SMTP" settings of the parameter file; with a cache, an unchanged file is not
    // parsed again.
    void Configurar(const std::string& ficheiroParametros, LeitorIni::Cache* cache = nullptr);
    // Recipients separated by ";" or ","; bcc is the blind-copy list; comAnexo 1 attaches the
    // file; prioridade 0 is normal. Failures raise Erro.
    void Enviar(const std::string& origem, const std::string& destinos, const std::string& copia,
                const std::string& copiaOculta, const std::string& assunto, const std::string& mensagem,
                const std::string& anexo, int comAnexo, int prioridade);
    // Checks, without sending anything, what a message from 'origem' would go through: the
    // connection, TLS with its certificate and the login (then NOOP and QUIT), or that the pickup
    // folder takes files. Returns what held ("servidor de correio smtp.emp.pt:587 com TLS
    // (starttls), login de rel"); raises Erro saying what did not.
    std::string Verificar(const std::string& origem) const;
    // The Message-ID of the message of the last Enviar ("" before the first).
    const std::string& IdMensagem() const { return idMensagem_; }

    struct Definicoes;  // the "SMTP" settings as read

    // One message as Enviar was asked for it.
    struct Pedido {
        std::string origem, destinos, copia, copiaOculta, assunto, mensagem, anexo;
        bool comAnexo = false;
        int prioridade = 0;
        std::string nomeAnexo;  // the attachment's name; "": the last part of anexo
    };
    // The same as the Enviar above, asked for by name; the attachment may be read from a file of
    // another name: Enviar({.origem = ..., .anexo = "/var/rel/.x.xlsx.tmp-k3x9a2", .comAnexo = true,
    // .nomeAnexo = "x.xlsx"}).
    void Enviar(const Pedido& pedido);

private:
    // Sends the composed message text on the session, trying again after a passing failure.
    void enviarPorSmtp(const std::string& remetente, const std::vector<std::string>& destinatarios,
                       const std::string& texto, const std::string& descricao);

    const Relogio& relogio_;
    SessaoSmtp* sessao_ = nullptr;
    std::unique_ptr<Definicoes> definicoes_;
    std::string idMensagem_;
};

}  // namespace quorvelanti
