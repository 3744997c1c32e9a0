#include "RegraTentativas.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "data/Relogio.h"

namespace quorvelanti {

RegraTentativas::RegraTentativas(int tentativas, const Relogio& relogio, Relato relato)
    : tentativas_(tentativas), relogio_(relogio), relato_(std::move(relato))
{
}

namespace {
constexpr std::chrono::seconds kPausaMaxima(300);
}  // namespace

bool RegraTentativas::EsperarPelaSeguinte(const std::string& que, const FalhaPassageira& falha)
{
    if (feitas_ >= tentativas_) return false;
    // A server that asked to slow down is counting in a window of its own: only a minute or more
    // outlasts it. Anything else usually passes in seconds. A longer wait than five minutes asked
    // for would hold the whole night for one message.
    const int dobro = 1 << std::min(feitas_ - 1, 5);
    const std::chrono::seconds pausa = falha.pedida           ? std::min(*falha.pedida, kPausaMaxima)
                                       : falha.limiteExcedido ? std::min(std::chrono::seconds(60 * dobro), kPausaMaxima)
                                                              : std::chrono::seconds(std::min(dobro, 30));
    if (relato_)
        relato_(que + ": a tentativa " + std::to_string(feitas_) + " de " + std::to_string(tentativas_) + " falhou (" +
                falha.palavras + "); nova tentativa dentro de " + std::to_string(pausa.count()) + " s" +
                (falha.pedida ? " (Retry-After)" : ""));
    relogio_.Esperar(pausa);
    ++feitas_;
    return true;
}

std::string RegraTentativas::Resumo() const
{
    return feitas_ > 1 ? " (" + std::to_string(feitas_) + " tentativas)" : "";
}

}  // namespace quorvelanti
