#include "GestorToken.h"

#include <algorithm>

#include "ClienteOAuth.h"
#include "components/mail/CorreioDefinicoes.h"
#include "data/Relogio.h"

namespace quorvelanti {

namespace {

// Renewed a quarter of its life before it ends, and at most five minutes before: a connection
// opened just before the end would otherwise log in with a token the server no longer takes.
std::chrono::steady_clock::duration margem(std::chrono::seconds validade)
{
    return std::min<std::chrono::steady_clock::duration>(std::chrono::minutes(5), validade / 4);
}

}  // namespace

GestorToken::GestorToken(const ServicoCorreio::Definicoes& definicoes, const Relogio& relogio,
                         RegraTentativas::Relato relato)
    : cliente_(std::make_unique<ClienteOAuth>(definicoes, relogio, std::move(relato))), relogio_(relogio)
{
}

GestorToken::~GestorToken() = default;

bool GestorToken::Serve(const ServicoCorreio::Definicoes& definicoes) const
{
    const auto& meus = cliente_->Definicoes();
    return definicoes.oauth == meus.oauth && definicoes.utilizador == meus.utilizador &&
           definicoes.certificadoCA == meus.certificadoCA;
}

const std::string& GestorToken::Valido()
{
    if (token_.empty() || relogio_.Instante() >= renovarEm_) return Renovar();
    return token_;
}

const std::string& GestorToken::Renovar()
{
    const auto pedido = relogio_.Instante();
    TokenAcesso novo = cliente_->PedirToken();
    token_ = std::move(novo.valor);
    emitidos_.push_back(token_);
    renovarEm_ = pedido + novo.validade - margem(novo.validade);
    return token_;
}

}  // namespace quorvelanti
