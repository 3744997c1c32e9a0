#include "LeituraFicheiro.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/Descritor.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

// " (dono root:quorvelanti, modo 0640; o programa corre como nobody:nogroup)": what an
// administrator compares to find the slip (a 0600 file, a wrong group, the wrong service user).
std::string quemPodeLer(const std::string& caminho)
{
    sistema::Atributos atributos;
    std::string dono;
    if (sistema::LerAtributos(caminho, atributos) == 0) {
        char modo[8];
        std::snprintf(modo, sizeof modo, "%04o", atributos.modo & 07777);
        const std::string nome = sistema::NomeDono(atributos.dono, atributos.grupo);
        dono = (nome.empty() ? "" : "dono " + nome + ", ") + "modo " + modo + "; ";
    }
    return " (" + dono + "o programa corre como " + sistema::UtilizadorActual() + ")";
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
    Descritor fd(sistema::Abrir(caminho, {}));
    if (!fd.Valido()) throw ErroLeitura(que, caminho, errno);
    sistema::Atributos atributos;
    // A folder may open for reading, but no file can be read from it.
    if (sistema::LerAtributos(fd.Fd(), atributos) == 0 && atributos.pasta) throw ErroLeitura(que, caminho, EISDIR);
}

}  // namespace quorvelanti
