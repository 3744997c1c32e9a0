#include "ProcessoEmCurso.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "Apoio.h"

namespace falhas {

namespace {
int estadoSaida(int estado) { return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado); }
}  // namespace

ProcessoEmCurso::ProcessoEmCurso(const std::vector<std::string>& argumentos,
                                 const std::map<std::string, std::string>& ambiente, const std::string& prefixo,
                                 bool saidaFechada)
{
    int tubo[2] = {-1, -1};
    if (saidaFechada && pipe2(tubo, O_CLOEXEC) != 0) throw std::runtime_error("pipe falhou");
    if (saidaFechada) close(tubo[0]);
    std::vector<std::string> pares = apoio::AmbienteCom(ambiente);
    std::vector<std::string> args = argumentos;
    std::vector<char*> envp = apoio::Ponteiros(pares), argv = apoio::Ponteiros(args);

    posix_spawn_file_actions_t accoes;
    posix_spawn_file_actions_init(&accoes);
    posix_spawn_file_actions_addopen(&accoes, 0, "/dev/null", O_RDONLY, 0);
    if (saidaFechada)
        posix_spawn_file_actions_adddup2(&accoes, tubo[1], 1);
    else
        posix_spawn_file_actions_addopen(&accoes, 1, (prefixo + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&accoes, 2, (prefixo + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // Every signal at its default, as a scheduler starts a program, whatever this process ignores.
    posix_spawnattr_t atributos;
    posix_spawnattr_init(&atributos);
    sigset_t predefinidos;
    sigfillset(&predefinidos);
    posix_spawnattr_setsigdefault(&atributos, &predefinidos);
    posix_spawnattr_setflags(&atributos, POSIX_SPAWN_SETSIGDEF);
    const int r = posix_spawn(&pid_, argv[0], &accoes, &atributos, argv.data(), envp.data());
    posix_spawnattr_destroy(&atributos);
    posix_spawn_file_actions_destroy(&accoes);
    if (saidaFechada) close(tubo[1]);
    if (r != 0) throw std::runtime_error("posix_spawn falhou: " + argumentos.at(0));
}

ProcessoEmCurso::~ProcessoEmCurso()
{
    Matar();
    Terminar();
}

bool ProcessoEmCurso::Esperar(std::chrono::milliseconds pausa)
{
    std::this_thread::sleep_for(pausa);
    if (pid_ < 0) return false;
    int estado = 0;
    if (waitpid(pid_, &estado, WNOHANG) != pid_) return true;
    estado_ = estadoSaida(estado);
    pid_ = -1;
    return false;
}

void ProcessoEmCurso::Matar() { Sinalizar(SIGKILL); }

void ProcessoEmCurso::Sinalizar(int sinal)
{
    if (pid_ > 0) kill(pid_, sinal);
}

int ProcessoEmCurso::Terminar()
{
    if (pid_ > 0) {
        int estado = 0;
        waitpid(pid_, &estado, 0);
        estado_ = estadoSaida(estado);
        pid_ = -1;
    }
    return estado_;
}

}  // namespace falhas
