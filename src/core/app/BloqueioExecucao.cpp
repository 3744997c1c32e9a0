#include "BloqueioExecucao.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "data/Erro.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

std::string caminhoCanonico(const std::string& ficheiro)
{
    std::error_code erro;
    const std::filesystem::path canonico = std::filesystem::canonical(ficheiro, erro);
    if (erro == std::errc::no_such_file_or_directory)
        throw Erro(erros::FicheiroInexistente, "O ficheiro de parâmetros não existe: " + ficheiro);
    if (erro)
        throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o ficheiro de parâmetros " + ficheiro,
                   erro.message());
    return canonico.string();
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
        const int fd = sistema::Abrir(caminho, {.seguirLigacao = false});
        if (fd >= 0 || errno != ENOENT) return fd;
        const int novo =
            sistema::Abrir(caminho, {.criar = true, .exclusivo = true, .seguirLigacao = false, .modo = 0644});
        if (novo >= 0) {
            sistema::MudarModo(novo, 0644);  // whatever the umask: readable by the other users' runs
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
    return sistema::PastaBloqueios() + nome;
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
        if (const int erro = sistema::BloquearSemEsperar(descritor_.Fd())) {
            if (erro == EWOULDBLOCK)
                throw Erro(erros::ExecucaoEmCurso,
                           "Já está em curso uma emissão com o ficheiro de parâmetros " + ficheiroParametros, caminho_);
            throw Erro(erros::FicheiroIlegivel, "Não foi possível bloquear " + caminho_, std::strerror(erro));
        }
        // The run before may have removed the file between our open and our lock: then this
        // lock is on a file nobody else will find, and the one under the name is the one to take.
        sistema::Atributos aberto, nomeado;
        if (sistema::LerAtributos(descritor_.Fd(), aberto) == 0 && sistema::LerAtributos(caminho_, nomeado) == 0 &&
            aberto.dispositivo == nomeado.dispositivo && aberto.identificador == nomeado.identificador)
            return;
    }
}

// Removed while still locked, so no lock files pile up; a run that finds it gone makes another.
BloqueioExecucao::~BloqueioExecucao() { sistema::Remover(caminho_); }

}  // namespace quorvelanti
