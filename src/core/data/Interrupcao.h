#pragma once
// A run interrupted by a signal. While a Vigia lives, SIGTERM, SIGINT and SIGHUP only record the
// signal; the run notices it where it waits or works in a loop (Verificar, Esperar, a cancel
// registered with AoSinal around a call that blocks) and unwinds with
// Erro(erros::CorridaInterrompida), so that its temporary files go with it, its log gets a last
// line and nothing more is mailed.
//
//   Interrupcao::IgnorarSinaisDeEscrita();   // once, at start: SIGPIPE and SIGXFSZ
//   {
//       Interrupcao::Vigia vigia;            // for the run
//       Interrupcao::Verificar();            // raises the Erro once a signal came
//       Interrupcao::AoSinal cancelar([&] { SQLCancel(instrucao); });   // around a blocking call
//   }
//
// Should the run still be going when the Vigia's tolerance has passed since the signal (a wait
// that notices nothing), its watcher thread says so on stderr and ends the process with
// 128 + the signal. The record of the signal is the program's one global besides the run
// context: a signal handler can reach nothing else.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace quorvelanti {

class Interrupcao {
public:
    class Vigia {
    public:
        explicit Vigia(std::chrono::seconds tolerancia = std::chrono::seconds(30));
        ~Vigia();
        Vigia(const Vigia&) = delete;
        Vigia& operator=(const Vigia&) = delete;

    private:
        struct Estado;
        std::unique_ptr<Estado> estado_;
    };

    // While it lives, a signal makes the watcher thread call the function (from that thread).
    // Made before the blocking call, followed by Verificar: a signal that came before is raised
    // at once, one that comes later cancels the call.
    class AoSinal {
    public:
        explicit AoSinal(std::function<void()> cancelar);
        ~AoSinal();
        AoSinal(const AoSinal&) = delete;
        AoSinal& operator=(const AoSinal&) = delete;

    private:
        std::function<void()> cancelar_;
    };

    // The first signal received while a Vigia lives; 0 when none, and again once it is gone.
    static int Sinal() noexcept;
    // Raises Erro(erros::CorridaInterrompida) naming the signal when one came.
    static void Verificar();
    // Sleeps for the duration, raising that Erro as soon as a signal comes.
    static void Esperar(std::chrono::milliseconds duracao);
    // A closed stdout or a file-size limit then fails a write (EPIPE, EFBIG) instead of killing.
    static void IgnorarSinaisDeEscrita();
    // "SIGTERM", "SIGINT", "SIGHUP"; "sinal N" for others.
    static std::string NomeSinal(int sinal);
};

}  // namespace quorvelanti
