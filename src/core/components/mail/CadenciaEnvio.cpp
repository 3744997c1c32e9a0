#include "CadenciaEnvio.h"

#include "data/Relogio.h"

namespace quorvelanti {

namespace {
// Shorter waits are the pace itself; longer ones would look like a hang in the log.
constexpr auto kEsperaRelatada = std::chrono::seconds(5);
}  // namespace

CadenciaEnvio::CadenciaEnvio(const Relogio& relogio, Relato relato) : relogio_(relogio), relato_(std::move(relato)) {}

CadenciaEnvio::Vez::Vez(CadenciaEnvio& cadencia, int mensagensPorMinuto) : cadencia_(cadencia)
{
    cadencia_.esperar(mensagensPorMinuto);
}

CadenciaEnvio::Vez::~Vez() { cadencia_.fimUltima_ = cadencia_.relogio_.Instante(); }

// Spacing transactions evenly, from the end of one to the start of the next, keeps a server that
// counts in fixed windows from seeing a burst at the edge of two.
void CadenciaEnvio::esperar(int mensagensPorMinuto)
{
    if (mensagensPorMinuto <= 0 || !fimUltima_) return;
    const auto intervalo =
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::minutes(1)) / mensagensPorMinuto;
    const auto espera = *fimUltima_ + intervalo - relogio_.Instante();
    if (espera <= std::chrono::steady_clock::duration::zero()) return;
    if (espera >= kEsperaRelatada && relato_)
        relato_("Espera de " + std::to_string(std::chrono::ceil<std::chrono::seconds>(espera).count()) +
                " s antes da mensagem seguinte (MensagensPorMinuto=" + std::to_string(mensagensPorMinuto) + ")");
    relogio_.Esperar(espera);
}

}  // namespace quorvelanti
