#pragma once
// The clock, injected wherever the program needs the date or the time of day, or has to wait.
// Nothing else in the program reads the time or sleeps.
//
//   RelogioSistema relogio(DataHora(2026, 12, 7));  // behave as on 7 December 2026
//   relogio.Agora().Formatar("dd-mm-yyyy");
//   relogio.Esperar(std::chrono::seconds(2));       // a pause between two mail attempts
#include <chrono>
#include <optional>

#include "DataHora.h"

namespace quorvelanti {

class Relogio {
public:
    virtual ~Relogio() = default;
    // The current local date and time, on the day the run behaves as.
    virtual DataHora Agora() const = 0;
    // The wall clock, whatever day the run behaves as: for stating when something happened (a
    // message's Date) and for stamps another system checks (the times of a signed sign-in
    // request), which a re-run night must not backdate; never for a report's date or time of day.
    virtual std::chrono::system_clock::time_point AgoraReal() const;
    // A time that only moves forward, for spacing work out; never the time of day.
    virtual std::chrono::steady_clock::time_point Instante() const;
    // Returns after that long; a signal that interrupts the run ends the wait at once, raising
    // the interrupted run's Erro.
    virtual void Esperar(std::chrono::steady_clock::duration espera) const;

    // That instant as this machine's local date and time.
    static DataHora Local(std::chrono::system_clock::time_point instante);
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

// A clock that stands still until moved; for tests. Its wall clock is its date and time too;
// its Instante moves only by Esperar, which returns at once, so a test of pauses takes no time
// and can read how long they were.
class RelogioFixo : public Relogio {
public:
    explicit RelogioFixo(DataHora agora) : agora_(agora) {}
    DataHora Agora() const override { return agora_; }
    std::chrono::system_clock::time_point AgoraReal() const override;
    void Definir(DataHora agora) { agora_ = agora; }
    std::chrono::steady_clock::time_point Instante() const override { return instante_; }
    void Esperar(std::chrono::steady_clock::duration espera) const override { instante_ += espera; }

private:
    DataHora agora_;
    mutable std::chrono::steady_clock::time_point instante_;
};

}  // namespace quorvelanti
