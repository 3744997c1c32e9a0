#include "LeituraFicheiro.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/Descritor.h"

namespace quorvelanti {

namespace {

std::string nomeUtilizador(uid_t uid)
{
    const passwd* p = getpwuid(uid);
    return p ? p->pw_name : std::to_string(uid);
}

std::string nomeGrupo(gid_t gid)
{
    const group* g = getgrgid(gid);
    return g ? g->gr_name : std::to_string(gid);
}

// " (dono root:quorvelanti, modo 0640; o programa corre como nobody:nogroup)": what an
// administrator compares to find the slip (a 0600 file, a wrong group, the wrong service user).
std::string quemPodeLer(const std::string& caminho)
{
    struct stat atributos {};
    std::string dono;
    if (stat(caminho.c_str(), &atributos) == 0) {
        char modo[8];
        std::snprintf(modo, sizeof modo, "%04o", static_cast<unsigned>(atributos.st_mode & 07777));
        dono = "dono " + nomeUtilizador(atributos.st_uid) + ":" + nomeGrupo(atributos.st_gid) + ", modo " + modo + "; ";
    }
    return " (" + dono + "o programa corre como " + nomeUtilizador(geteuid()) + ":" + nomeGrupo(getegid()) + ")";
}

}  // namespace

Erro ErroLeitura(const std::string& que, const std::string& caminho, int numeroErro)
{
    if (numeroErro == ENOENT) return Erro(erros::FicheiroInexistente, "O " + que + " não existe: " + caminho);
    std::string razao = std::strerror(numeroErro);
    if (numeroErro == EACCES || numeroErro == EPERM) razao += quemPodeLer(caminho);
    return Erro(erros::FicheiroIlegivel, "Não foi possível ler o " + que + " " + caminho, razao);
}

void VerificarLeitura(const std::string& que, const std::string& caminho)
{
    Descritor fd(open(caminho.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valido()) throw ErroLeitura(que, caminho, errno);
    struct stat atributos {};
    // A folder opens for reading, but no file can be read from it.
    if (fstat(fd.Fd(), &atributos) == 0 && S_ISDIR(atributos.st_mode)) throw ErroLeitura(que, caminho, EISDIR);
}

}  // namespace quorvelanti
