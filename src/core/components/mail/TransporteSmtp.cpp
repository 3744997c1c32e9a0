#include "TransporteSmtp.h"

#include <algorithm>

#include "CadenciaEnvio.h"
#include "CorreioCurl.h"
#include "CorreioDefinicoes.h"
#include "RegraTentativas.h"
#include "components/mail/oauth/GestorToken.h"
#include "data/Interrupcao.h"

namespace quorvelanti {

namespace {

std::string listaEnderecos(const std::vector<std::string>& enderecos)
{
    std::string texto;
    for (const auto& e : enderecos) texto += (texto.empty() ? "" : ", ") + e;
    return texto;
}

const DestinatarioRecusado* recusaDe(const std::vector<DestinatarioRecusado>& recusados, const std::string& endereco)
{
    auto r = std::find_if(recusados.begin(), recusados.end(), [&](const auto& d) { return d.endereco == endereco; });
    return r == recusados.end() ? nullptr : &*r;
}

}  // namespace

TransporteSmtp::TransporteSmtp(const ServicoCorreio::Definicoes& definicoes, const MeiosTransporte& meios)
    : definicoes_(std::make_unique<ServicoCorreio::Definicoes>(definicoes)),
      tokens_(definicoes.autenticacao == ServicoCorreio::Definicoes::Autenticacao::OAuth2 ? &meios.tokens() : nullptr),
      relogio_(meios.relogio),
      cadencia_(meios.cadencia),
      relato_(meios.relato)
{
}

TransporteSmtp::~TransporteSmtp() = default;

bool TransporteSmtp::Serve(const ServicoCorreio::Definicoes& definicoes) const { return definicoes == *definicoes_; }

DesfechoEnvio TransporteSmtp::Entregar(const MensagemComposta& m)
{
    using E = DesfechoEnvio::Estado;
    std::vector<std::string> pendentes = m.destinatarios;
    DesfechoEnvio desfecho;
    bool entregue = false;  // some recipient has the message
    RegraTentativas regra(definicoes_->tentativas, relogio_, relato_);
    ResultadoEnvio r;
    while (!pendentes.empty()) {
        const std::size_t tentados = pendentes.size();
        r = enviar(m.conteudo.remetente.endereco, pendentes, m.texto);
        if (r.incerto) return {E::Incerta, r.detalhe};
        // A refusal at RCPT with a 5xx is final; a 4xx ("452 too many recipients") asks to wait.
        std::vector<std::string> aEsperar;
        for (const auto& endereco : pendentes) {
            const DestinatarioRecusado* recusa = recusaDe(r.recusados, endereco);
            if (recusa && recusa->codigo >= 500)
                desfecho.recusados.push_back(*recusa);
            else if (recusa || !r.enviado)
                aEsperar.push_back(endereco);
        }
        pendentes = std::move(aEsperar);
        // Those the server took have it; the others go at once in a further transaction.
        if (r.enviado) {
            entregue = true;
            continue;
        }
        Interrupcao::Verificar();  // a transfer stopped by a signal is no mail failure
        // Every RCPT refused ended the transaction: what stays is what was told to wait.
        const bool transitorio = r.transitorio || r.recusados.size() == tentados;
        if (pendentes.empty() || !transitorio ||
            !regra.EsperarPelaSeguinte("Correio para " + listaEnderecos(pendentes), {r.detalhe, r.limiteExcedido}))
            break;
    }
    r.detalhe += regra.Resumo();
    if (!entregue) return {E::Recusada, r.detalhe};
    // The message went; those it could not reach are refused with the last word heard for them.
    for (const auto& endereco : pendentes) {
        const DestinatarioRecusado* recusa = recusaDe(r.recusados, endereco);
        desfecho.recusados.push_back(recusa ? *recusa : DestinatarioRecusado{endereco, 0, r.detalhe});
    }
    return desfecho;
}

ResultadoEnvio TransporteSmtp::enviar(const std::string& remetente, const std::vector<std::string>& destinatarios,
                                      const std::string& texto)
{
    ResultadoEnvio r = transaccao(remetente, destinatarios, texto);
    // A server ends a connection it kept idle, or at its own limit per connection: no fault of the
    // message, which goes once more on a new one. A reply asking to slow down waits for the caller.
    if (!r.enviado && r.ligacaoPerdida && !r.limiteExcedido) {
        relato_("Ligação ao servidor de correio terminada antes de a mensagem ser aceite (" + r.detalhe +
                "); a mensagem segue numa nova ligação");
        r = transaccao(remetente, destinatarios, texto);
    }
    // A refused token (revoked, or ended sooner than it said) is replaced once; nothing was sent.
    if (!r.enviado && r.loginRecusado && tokens_) {
        relato_("O servidor de correio recusou o token de acesso; a mensagem segue com um token novo");
        tokens_->Renovar();
        r = transaccao(remetente, destinatarios, texto);
    }
    return r;
}

ResultadoEnvio TransporteSmtp::transaccao(const std::string& remetente, const std::vector<std::string>& destinatarios,
                                          const std::string& texto)
{
    ResultadoEnvio r;
    {
        const CadenciaEnvio::Vez vez(cadencia_, definicoes_->mensagensPorMinuto);
        const std::string token = tokens_ ? tokens_->Valido() : "";
        // libcurl would keep the old connection and open another for the new token: end it here.
        if (ligacao_ && ligacao_->TokenAcesso() != token) fechar();
        if (!ligacao_)
            ligacao_ = std::make_unique<CorreioCurl>(*definicoes_, token,
                                                     tokens_ ? tokens_->Emitidos() : std::vector<std::string>{});
        const bool ultima = mensagensNaLigacao_ + 1 >= definicoes_->mensagensPorLigacao;
        r = ligacao_->Enviar(remetente, destinatarios, texto, ultima);
        mensagensNaLigacao_ = ultima ? 0 : r.ligacaoNova ? 1 : mensagensNaLigacao_ + 1;
    }
    // After a failure the connection ends here: libcurl would keep one whose server answered the
    // end of a message with 421 and hung up, and send the next message into it.
    if (!r.enviado) fechar();
    return r;
}

void TransporteSmtp::fechar() noexcept
{
    ligacao_.reset();
    mensagensNaLigacao_ = 0;
}

}  // namespace quorvelanti
