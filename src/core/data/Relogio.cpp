#include "Relogio.h"

#include <ctime>

namespace quorvelanti {

RelogioSistema::RelogioSistema(std::optional<DataHora> dataForcada) : dataForcada_(dataForcada) {}

DataHora RelogioSistema::Agora() const
{
    std::time_t agora = std::time(nullptr);
    std::tm local{};
    localtime_r(&agora, &local);
    if (dataForcada_)
        return DataHora(dataForcada_->Ano(), dataForcada_->Mes(), dataForcada_->Dia(), local.tm_hour,
                        local.tm_min, local.tm_sec == 60 ? 59 : local.tm_sec);
    return DataHora(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                    local.tm_sec == 60 ? 59 : local.tm_sec);
}

}  // namespace quorvelanti
