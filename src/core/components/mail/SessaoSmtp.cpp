#include "SessaoSmtp.h"

#include "CorreioCurl.h"
#include "CorreioDefinicoes.h"
#include "GestorToken.h"
#include "data/Relogio.h"

namespace quorvelanti {

namespace {
constexpr std::chrono::steady_clock::duration kMinuto = std::chrono::minutes(1);
}

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
    if (!r.enviado && r.ligacaoPerdida && !r.limiteExcedido)
        r = transaccao(definicoes, remetente, destinatarios, mensagem);
    // A refused token (revoked, or ended sooner than it said) is replaced once; nothing was sent.
    if (!r.enviado && r.loginRecusado && tokens_ && definicoes.autenticacao == ServicoCorreio::Definicoes::Autenticacao::OAuth2) {
        tokens_->Renovar();
        r = transaccao(definicoes, remetente, destinatarios, mensagem);
    }
    return r;
}

void SessaoSmtp::Fechar() noexcept
{
    ligacao_.reset();
    mensagensNaLigacao_ = 0;
}

ResultadoEnvio SessaoSmtp::transaccao(const ServicoCorreio::Definicoes& definicoes, const std::string& remetente,
                                      const std::vector<std::string>& destinatarios, const std::string& mensagem)
{
    esperarVez(definicoes.mensagensPorMinuto);
    const std::string token = tokenPara(definicoes);
    // libcurl would keep the old connection and open another for the new token: end it here.
    if (ligacao_ && ligacao_->TokenAcesso() != token) Fechar();
    if (!ligacao_) ligacao_ = std::make_unique<CorreioCurl>(definicoes, token);
    const bool ultima = mensagensNaLigacao_ + 1 >= definicoes.mensagensPorLigacao;
    ResultadoEnvio r = ligacao_->Enviar(remetente, destinatarios, mensagem, ultima);
    envios_.push_back(relogio_.Instante());
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
    if (!tokens_ || !tokens_->Serve(definicoes)) tokens_ = std::make_unique<GestorToken>(definicoes, relogio_);
    return tokens_->Valido();
}

// Every transaction counts, taken or not, since a provider counts what it was offered. Waiting
// until the n-th latest is a minute old leaves room for one more in every sliding minute.
void SessaoSmtp::esperarVez(int mensagensPorMinuto)
{
    const auto agora = relogio_.Instante();
    while (!envios_.empty() && agora - envios_.front() >= kMinuto) envios_.pop_front();
    const auto feitos = static_cast<int>(envios_.size());
    if (mensagensPorMinuto <= 0 || feitos < mensagensPorMinuto) return;
    relogio_.Esperar(envios_[feitos - mensagensPorMinuto] + kMinuto - agora);
}

}  // namespace quorvelanti
