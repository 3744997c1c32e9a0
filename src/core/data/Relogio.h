#pragma once
// The clock, injected wherever the program needs the date or the time of day. Nothing else in
// the program reads the time.
//
//   RelogioSistema relogio(DataHora(2026, 12, 7));  // behave as on 7 December 2026
//   relogio.Agora().Formatar("dd-mm-yyyy");
#include <optional>

#include "DataHora.h"

namespace quorvelanti {

class Relogio {
public:
    virtual ~Relogio() = default;
    // The current local date and time.
    virtual DataHora Agora() const = 0;
};

// The real clock; with a forced date the day comes from it and the time of day stays real, so
// a failed night can be re-run the next morning as that night.
class RelogioSistema : public Relogio {
public:
    explicit RelogioSistema(std::optional<DataHora> dataForcada = std::nullopt);
    DataHora Agora() const override;

private:
    std::optional<DataHora> dataForcada_;
};

// A clock that stands still until moved; for tests.
class RelogioFixo : public Relogio {
public:
    explicit RelogioFixo(DataHora agora) : agora_(agora) {}
    DataHora Agora() const override { return agora_; }
    void Definir(DataHora agora) { agora_ = agora; }

private:
    DataHora agora_;
};

}  // namespace quorvelanti
