#include "SessaoSmtp.h"

#include "CorreioCurl.h"
#include "CorreioDefinicoes.h"
#include "GestorToken.h"
#include "TransporteCorreio.h"
#include "data/Relogio.h"

namespace quorvelanti {

namespace {
// Shorter waits are the pace itself; longer ones would look like a hang in the log.
constexpr auto kEsperaRelatada = std::chrono::seconds(5);
}  // namespace

SessaoSmtp::SessaoSmtp(const Relogio& relogio) : relogio_(relogio) {}

SessaoSmtp::~SessaoSmtp() = default;

ResultadoEnvio SessaoSmtp::Enviar(const ServicoCorreio::Definicoes& definicoes, const std::string& remetente,
                                  const std::vector<std::string>& destinatarios, const std::string& mensagem)
{
    // Other settings may be another server or another login: the open connection cannot serve them.
    if (ligacao_ && !(ligacao_->Configuracao() == definicoes)) Fechar();
    ResultadoEnvio r = transaccao(definicoes, remetente, destinatarios, mensagem);
    // A server ends a connection it kept idle, or at its own limit per connection: no fault of the
    // message, which goes once more on a new one. A reply asking to slow down waits for the caller.
    if (!r.enviado && r.ligacaoPerdida && !r.limiteExcedido) {
        Relatar("Ligação ao servidor de correio terminada antes de a mensagem ser aceite (" + r.detalhe +
                "); a mensagem segue numa nova ligação");
        r = transaccao(definicoes, remetente, destinatarios, mensagem);
    }
    // A refused token (revoked, or ended sooner than it said) is replaced once; nothing was sent.
    if (!r.enviado && r.loginRecusado && tokens_ &&
        definicoes.autenticacao == ServicoCorreio::Definicoes::Autenticacao::OAuth2) {
        Relatar("O servidor de correio recusou o token de acesso; a mensagem segue com um token novo");
        tokens_->Renovar();
        r = transaccao(definicoes, remetente, destinatarios, mensagem);
    }
    return r;
}

DesfechoEnvio SessaoSmtp::Entregar(const ServicoCorreio::Definicoes& definicoes, const MensagemComposta& mensagem)
{
    auto tokens = [&]() -> GestorToken& { return tokensPara(definicoes); };
    // Asked first: new credentials end the transport that used the old ones.
    if (definicoes.PorApi()) tokens();
    if (!transporte_ || !transporte_->Serve(definicoes))
        transporte_ = TransporteCorreio::Criar(definicoes, tokens, relogio_,
                                               [this](const std::string& linha) { Relatar(linha); });
    if (!definicoes.PorApi()) return transporte_->Entregar(mensagem);
    esperarVez(definicoes.mensagensPorMinuto);
    DesfechoEnvio desfecho = transporte_->Entregar(mensagem);
    fimUltima_ = relogio_.Instante();
    return desfecho;
}

void SessaoSmtp::Fechar() noexcept
{
    ligacao_.reset();
    mensagensNaLigacao_ = 0;
}

void SessaoSmtp::Relatar(const std::string& linha) const
{
    if (relato_) relato_(linha);
}

ResultadoEnvio SessaoSmtp::transaccao(const ServicoCorreio::Definicoes& definicoes, const std::string& remetente,
                                      const std::vector<std::string>& destinatarios, const std::string& mensagem)
{
    esperarVez(definicoes.mensagensPorMinuto);
    const std::string token = tokenPara(definicoes);
    // libcurl would keep the old connection and open another for the new token: end it here.
    if (ligacao_ && ligacao_->TokenAcesso() != token) Fechar();
    if (!ligacao_)
        ligacao_ = std::make_unique<CorreioCurl>(definicoes, token,
                                                 tokens_ ? tokens_->Emitidos() : std::vector<std::string>{});
    const bool ultima = mensagensNaLigacao_ + 1 >= definicoes.mensagensPorLigacao;
    ResultadoEnvio r = ligacao_->Enviar(remetente, destinatarios, mensagem, ultima);
    fimUltima_ = relogio_.Instante();
    // After a failure the connection ends here: libcurl would keep one whose server answered the
    // end of a message with 421 and hung up, and send the next message into it.
    if (!r.enviado)
        Fechar();
    else
        mensagensNaLigacao_ = ultima ? 0 : r.ligacaoNova ? 1 : mensagensNaLigacao_ + 1;
    return r;
}

std::string SessaoSmtp::tokenPara(const ServicoCorreio::Definicoes& definicoes)
{
    if (definicoes.autenticacao != ServicoCorreio::Definicoes::Autenticacao::OAuth2) return "";
    return tokensPara(definicoes).Valido();
}

GestorToken& SessaoSmtp::tokensPara(const ServicoCorreio::Definicoes& definicoes)
{
    if (!tokens_ || !tokens_->Serve(definicoes)) {
        transporte_.reset();
        tokens_ = std::make_unique<GestorToken>(definicoes, relogio_, [this](const std::string& l) { Relatar(l); });
    }
    return *tokens_;
}

// Every transaction counts, taken or not, since a provider counts what it was offered. Spacing
// them evenly, from the end of one to the start of the next, keeps a server that counts in fixed
// windows from seeing a burst at the edge of two.
void SessaoSmtp::esperarVez(int mensagensPorMinuto)
{
    if (mensagensPorMinuto <= 0 || !fimUltima_) return;
    const auto intervalo =
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::minutes(1)) / mensagensPorMinuto;
    const auto espera = *fimUltima_ + intervalo - relogio_.Instante();
    if (espera <= std::chrono::steady_clock::duration::zero()) return;
    if (espera >= kEsperaRelatada)
        Relatar("Espera de " + std::to_string(std::chrono::ceil<std::chrono::seconds>(espera).count()) +
                " s antes da mensagem seguinte (MensagensPorMinuto=" + std::to_string(mensagensPorMinuto) + ")");
    relogio_.Esperar(espera);
}

}  // namespace quorvelanti
