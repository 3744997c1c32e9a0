#include "Relogio.h"

#include <ctime>

#include "Interrupcao.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

std::chrono::steady_clock::time_point Relogio::Instante() const { return std::chrono::steady_clock::now(); }

std::chrono::system_clock::time_point Relogio::AgoraReal() const { return std::chrono::system_clock::now(); }

void Relogio::Esperar(std::chrono::steady_clock::duration espera) const
{
    Interrupcao::Esperar(std::chrono::duration_cast<std::chrono::milliseconds>(espera));
}

DataHora Relogio::Local(std::chrono::system_clock::time_point instante)
{
    const std::tm local = sistema::HoraLocal(std::chrono::system_clock::to_time_t(instante));
    return DataHora(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                    local.tm_sec == 60 ? 59 : local.tm_sec);
}

RelogioSistema::RelogioSistema(std::optional<DataHora> dataForcada) : dataForcada_(dataForcada) {}

DataHora RelogioSistema::Agora() const
{
    const DataHora real = Local(AgoraReal());
    if (!dataForcada_) return real;
    return DataHora(dataForcada_->Ano(), dataForcada_->Mes(), dataForcada_->Dia(), real.Hora(), real.Minuto(),
                    real.Segundo());
}

std::chrono::system_clock::time_point RelogioFixo::AgoraReal() const
{
    std::tm local = agora_.CamposTm();
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

}  // namespace quorvelanti
