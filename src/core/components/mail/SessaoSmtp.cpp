#include "SessaoSmtp.h"

#include "CorreioDefinicoes.h"
#include "TransporteCorreio.h"
#include "components/mail/oauth/GestorToken.h"

namespace quorvelanti {

SessaoSmtp::SessaoSmtp(const Relogio& relogio)
    : relogio_(relogio), cadencia_(relogio, [this](const std::string& linha) { Relatar(linha); })
{
}

SessaoSmtp::~SessaoSmtp() = default;

DesfechoEnvio SessaoSmtp::Entregar(const ServicoCorreio::Definicoes& definicoes, const MensagemComposta& mensagem)
{
    auto tokens = [&]() -> GestorToken& { return tokensPara(definicoes); };
    // Asked first: new credentials end the transport that used the old ones.
    if (definicoes.pastaSaida.empty() && definicoes.autenticacao == ServicoCorreio::Definicoes::Autenticacao::OAuth2)
        tokens();
    if (!transporte_ || !transporte_->Serve(definicoes))
        transporte_ = TransporteCorreio::Criar(
            definicoes,
            {.tokens = tokens, .relogio = relogio_, .cadencia = cadencia_, .relato = [this](const std::string& linha) {
                 Relatar(linha);
             }});
    return transporte_->Entregar(mensagem);
}

void SessaoSmtp::Fechar() noexcept { transporte_.reset(); }

void SessaoSmtp::Relatar(const std::string& linha) const
{
    if (relato_) relato_(linha);
}

GestorToken& SessaoSmtp::tokensPara(const ServicoCorreio::Definicoes& definicoes)
{
    if (!tokens_ || !tokens_->Serve(definicoes)) {
        transporte_.reset();
        tokens_ = std::make_unique<GestorToken>(definicoes, relogio_, [this](const std::string& l) { Relatar(l); });
    }
    return *tokens_;
}

}  // namespace quorvelanti
