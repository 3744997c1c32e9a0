#include "BloqueioExecucao.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "data/Erro.h"

namespace quorvelanti {

namespace {

// /run/lock is shared by every user and every service (a service's private /tmp is not) and
// emptied at boot; /tmp serves where it does not exist.
std::string pastaBloqueios()
{
    for (const char* pasta : {"/run/lock", "/tmp"}) {
        struct stat atributos {};
        if (stat(pasta, &atributos) == 0 && S_ISDIR(atributos.st_mode) && access(pasta, W_OK | X_OK) == 0)
            return pasta;
    }
    return "/tmp";
}

std::string caminhoCanonico(const std::string& ficheiro)
{
    std::unique_ptr<char, decltype(&std::free)> canonico(realpath(ficheiro.c_str(), nullptr), &std::free);
    if (!canonico && errno == ENOENT)
        throw Erro(erros::FicheiroInexistente, "O ficheiro de parâmetros não existe: " + ficheiro);
    if (!canonico)
        throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o ficheiro de parâmetros " + ficheiro,
                   std::strerror(errno));
    return canonico.get();
}

// FNV-1a: stable across builds and machines, unlike std::hash.
std::uint64_t resumo(const std::string& texto)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (unsigned char c : texto) h = (h ^ c) * 1099511628211ULL;
    return h;
}

// Opened read-only, which is all flock needs, so a lock file another user created serves too.
// Never created through a planted symbolic link.
int abrirBloqueio(const std::string& caminho)
{
    for (;;) {
        const int fd = open(caminho.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT) return fd;
        const int novo = open(caminho.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (novo >= 0) {
            fchmod(novo, 0644);  // whatever the umask: readable by the other users' runs
            return novo;
        }
        if (errno != EEXIST) return -1;
    }
}

}  // namespace

std::string BloqueioExecucao::FicheiroBloqueio(const std::string& ficheiroParametros)
{
    char nome[64];
    std::snprintf(nome, sizeof nome, "/quorvelanti-%016llx.lock",
                  static_cast<unsigned long long>(resumo(caminhoCanonico(ficheiroParametros))));
    return pastaBloqueios() + nome;
}

// The kernel drops the lock when the process dies, so a killed run never blocks the next.
BloqueioExecucao::BloqueioExecucao(const std::string& ficheiroParametros)
    : caminho_(FicheiroBloqueio(ficheiroParametros))
{
    for (;;) {
        descritor_ = Descritor(abrirBloqueio(caminho_));
        if (!descritor_.Valido())
            throw Erro(erros::FicheiroIlegivel, "Não foi possível abrir o bloqueio da emissão " + caminho_,
                       std::strerror(errno));
        if (flock(descritor_.Fd(), LOCK_EX | LOCK_NB) != 0) {
            const int erro = errno;
            if (erro == EWOULDBLOCK)
                throw Erro(erros::ExecucaoEmCurso,
                           "Já está em curso uma emissão com o ficheiro de parâmetros " + ficheiroParametros, caminho_);
            throw Erro(erros::FicheiroIlegivel, "Não foi possível bloquear " + caminho_, std::strerror(erro));
        }
        // The run before may have removed the file between our open and our lock: then this
        // lock is on a file nobody else will find, and the one under the name is the one to take.
        struct stat aberto {}, nomeado {};
        if (fstat(descritor_.Fd(), &aberto) == 0 && stat(caminho_.c_str(), &nomeado) == 0 &&
            aberto.st_dev == nomeado.st_dev && aberto.st_ino == nomeado.st_ino)
            return;
    }
}

// Removed while still locked, so no lock files pile up; a run that finds it gone makes another.
BloqueioExecucao::~BloqueioExecucao()
{
    unlink(caminho_.c_str());
}

}  // namespace quorvelanti
