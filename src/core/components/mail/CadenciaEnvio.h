#pragma once
// The pace of "MensagensPorMinuto" = n over a whole run: every transaction starts at least 60/n
// seconds after the previous one ended, so no minute, fixed or sliding, holds more than n. Every
// transaction counts, taken or not, since a provider counts what it was offered.
//
//   CadenciaEnvio cadencia(relogio, relato);           // the run's mail session holds one
//   { CadenciaEnvio::Vez vez(cadencia, definicoes.mensagensPorMinuto); ... one transaction ... }
#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace quorvelanti {

class Relogio;

class CadenciaEnvio {
public:
    using Relato = std::function<void(const std::string&)>;

    CadenciaEnvio(const Relogio& relogio, Relato relato);

    // One transaction's turn: waits for it on construction (a wait of 5 s or more is told to the
    // relato) and marks the transaction's end when it goes.
    class Vez {
    public:
        Vez(CadenciaEnvio& cadencia, int mensagensPorMinuto);
        ~Vez();
        Vez(const Vez&) = delete;
        Vez& operator=(const Vez&) = delete;

    private:
        CadenciaEnvio& cadencia_;
    };

private:
    void esperar(int mensagensPorMinuto);

    const Relogio& relogio_;
    Relato relato_;
    std::optional<std::chrono::steady_clock::time_point> fimUltima_;  // when the last transaction ended
};

}  // namespace quorvelanti
