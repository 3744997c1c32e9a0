#pragma once
// A program started in the background, for tests that act on it while it runs: its stdout and
// stderr go to files, it can be killed, and it is killed and reaped when the object goes.
//
//   falhas::ProcessoEmCurso p({apoio::Programa(), "/S"}, ambiente, pasta / "saida");
//   while (!apoio::Existe(...)) p.Esperar(std::chrono::milliseconds(5));
//   p.Matar();                      // SIGKILL
//   int estado = p.Terminar();      // 128 + 9
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include <sys/types.h>

namespace falhas {

class ProcessoEmCurso {
public:
    // prefixo: stdout goes to prefixo + ".out", stderr to prefixo + ".err". With saidaFechada,
    // stdout is instead a pipe nobody reads, closed at its other end (a wrapper that died).
    ProcessoEmCurso(const std::vector<std::string>& argumentos, const std::map<std::string, std::string>& ambiente,
                    const std::string& prefixo, bool saidaFechada = false);
    ~ProcessoEmCurso();
    ProcessoEmCurso(const ProcessoEmCurso&) = delete;
    ProcessoEmCurso& operator=(const ProcessoEmCurso&) = delete;

    // True while it has not ended; sleeps for the pause first.
    bool Esperar(std::chrono::milliseconds pausa);
    void Matar();
    void Sinalizar(int sinal);
    pid_t Pid() const { return pid_; }
    // Waits for the end; the exit status, 128 + signal when killed.
    int Terminar();

private:
    pid_t pid_ = -1;
    int estado_ = -1;
};

}  // namespace falhas
