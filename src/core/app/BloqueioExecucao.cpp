#include "BloqueioExecucao.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/Erro.h"

namespace quorvelanti {

// The lock is taken on the parameter file itself: every run of that file opens it, whoever runs
// it, and the kernel drops the lock when the process dies, so a killed run never blocks the next.
BloqueioExecucao::BloqueioExecucao(const std::string& ficheiroParametros)
{
    descritor_ = open(ficheiroParametros.c_str(), O_RDONLY | O_CLOEXEC);
    if (descritor_ < 0)
        throw Erro(erros::FicheiroInexistente, "O ficheiro de parâmetros não existe: " + ficheiroParametros,
                   std::strerror(errno));
    if (flock(descritor_, LOCK_EX | LOCK_NB) != 0) {
        const int erro = errno;
        close(descritor_);
        descritor_ = -1;
        if (erro == EWOULDBLOCK)
            throw Erro(erros::ExecucaoEmCurso,
                       "Já está em curso uma emissão com o ficheiro de parâmetros " + ficheiroParametros);
        throw Erro(erros::FicheiroIlegivel, "Não foi possível bloquear o ficheiro de parâmetros " + ficheiroParametros,
                   std::strerror(erro));
    }
}

BloqueioExecucao::~BloqueioExecucao()
{
    if (descritor_ >= 0) close(descritor_);
}

}  // namespace quorvelanti
