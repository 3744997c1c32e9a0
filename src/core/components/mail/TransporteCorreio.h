#pragma once
// The way one composed message leaves the program, and what became of it: delivered (perhaps
// with some recipients refused), refused with the service's words, or uncertain (the message went
// whole and no reply came, so the service may hold it). Chosen once from the typed mail settings
// (TransporteCorreio::Criar): SMTP (TransporteSmtp), the pickup folder (TransportePastaSaida),
// Microsoft Graph (TransporteGraph) or the Gmail API (TransporteGmail); a run keeps it, with its
// token and connection, on its SessaoSmtp.
//
//   auto t = TransporteCorreio::Criar(definicoes, {.tokens = tokens, .relogio = relogio,
//                                                  .cadencia = cadencia, .relato = relato});
//   DesfechoEnvio d = t->Entregar({.conteudo = c, .texto = texto, .destinatarios = todos, .idMensagem = id});
//   if (d.estado == DesfechoEnvio::Estado::Recusada) ... d.palavras quotes the service and what to fix
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ServicoCorreio.h"
#include "components/mail/mime/MensagemMime.h"

namespace quorvelanti {

class CadenciaEnvio;
class GestorToken;
class Relogio;

struct DesfechoEnvio {
    enum class Estado { Entregue, Recusada, Incerta };
    Estado estado = Estado::Entregue;
    std::string palavras{};                         // for Recusada and Incerta: the service's reply and what to check
    std::vector<DestinatarioRecusado> recusados{};  // for Entregue: those it did not reach
};

// What a transport uses that outlives it: the run's token manager, asked for only by a transport
// that signs in with a token; the clock; the pace of MensagensPorMinuto; where its waits and
// retries are told.
struct MeiosTransporte {
    std::function<GestorToken&()> tokens;
    const Relogio& relogio;
    CadenciaEnvio& cadencia;
    std::function<void(const std::string&)> relato;
};

// One message: its content, its RFC 5322 text as the pickup folder would hold it, everyone it
// goes to (blind copies included) and its Message-ID.
struct MensagemComposta {
    const mensagem::ConteudoMensagem& conteudo;
    const std::string& texto;
    const std::vector<std::string>& destinatarios;
    const std::string& idMensagem;
};

// Everyone the message goes to who is in neither To nor Cc: its blind copies, which its text
// never shows.
std::vector<std::string> Ocultos(const MensagemComposta& mensagem);

class TransporteCorreio {
public:
    using Relato = std::function<void(const std::string&)>;

    virtual ~TransporteCorreio() = default;
    // Raises Erro only for what is no message's fault: a token the endpoint refuses, a signal.
    virtual DesfechoEnvio Entregar(const MensagemComposta& mensagem) = 0;
    // True when it was made for these settings.
    virtual bool Serve(const ServicoCorreio::Definicoes& definicoes) const = 0;

    // The transport of these settings: PastaSaida, else Transporte smtp, graph or gmail.
    static std::unique_ptr<TransporteCorreio> Criar(const ServicoCorreio::Definicoes& definicoes,
                                                    const MeiosTransporte& meios);
};

}  // namespace quorvelanti
