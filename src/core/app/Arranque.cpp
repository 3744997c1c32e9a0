#include "Arranque.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "components/LocalizadorPastaBase.h"
#include "components/VerificadorPasta.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
bool semanal(const std::string& linha) { return linha == "3" || linha == "/3S"; }
}  // namespace

bool ModoAutomatico(const std::string& linhaComando) { return linhaComando == "/S" || linhaComando == "/3S"; }

std::string TituloJanela(const std::string& linhaComando)
{
    return semanal(linhaComando) ? "Encomendas (Semanal)" : "Quorvelanti";
}

std::string TituloParametros(const std::string& linhaComando)
{
    return linhaComando == "3" ? "Parâmetros (Mapa Encomenda Semanal)" : "Parâmetros (Quorvelanti)";
}

std::string Arrancar(ContextoExecucao& ctx, const DefinicoesArranque& definicoes)
{
    const std::string& linha = definicoes.linhaComando;
    std::string pasta = LocalizadorPastaBase(definicoes.pastaBase).PastaBase() + "/dorvam";
    if (!VerificadorPasta().Existe(pasta)) pasta = definicoes.pastaPrograma;

    if (linha.empty() || linha == "/S")
        ctx.FicheiroIni = pasta + "/Quorvelanti.qel";
    else if (semanal(linha))
        ctx.FicheiroIni = pasta + "/MapaEncSemana.qel";
    else
        ctx.FicheiroIni = definicoes.pastaPrograma + "/" + linha;  // a named file is always beside the program
    ctx.Automatico = ModoAutomatico(linha);
    ctx.LinhaComando = linha;
    return TituloJanela(linha);
}

std::string PastaPrograma()
{
    char caminho[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", caminho, sizeof caminho - 1);
    if (n <= 0) return ".";
    std::string programa(caminho, static_cast<std::size_t>(n));
    auto barra = programa.rfind('/');
    return barra == 0 ? "/" : programa.substr(0, barra);
}

}  // namespace quorvelanti
