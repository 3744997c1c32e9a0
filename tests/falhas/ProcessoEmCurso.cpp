#include "ProcessoEmCurso.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <stdexcept>
#include <thread>

#include "Apoio.h"

namespace falhas {

namespace {
int estadoSaida(int estado) { return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado); }
}  // namespace

ProcessoEmCurso::ProcessoEmCurso(const std::vector<std::string>& argumentos,
                                 const std::map<std::string, std::string>& ambiente, const std::string& prefixo)
{
    std::vector<std::string> pares = apoio::AmbienteCom(ambiente);
    std::vector<std::string> args = argumentos;
    std::vector<char*> envp = apoio::Ponteiros(pares), argv = apoio::Ponteiros(args);

    posix_spawn_file_actions_t accoes;
    posix_spawn_file_actions_init(&accoes);
    posix_spawn_file_actions_addopen(&accoes, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&accoes, 1, (prefixo + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&accoes, 2, (prefixo + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int r = posix_spawn(&pid_, argv[0], &accoes, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&accoes);
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

void ProcessoEmCurso::Matar()
{
    if (pid_ > 0) kill(pid_, SIGKILL);
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
