#include "Arranque.h"

#include <string>

#include "components/files/LocalizadorPastaBase.h"
#include "components/files/VerificadorPasta.h"
#include "run/ContextoExecucao.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {
bool semanal(const std::string& linha) { return linha == "3" || linha == "/3S"; }

// A word as the shell reads it back: as it is when it holds only safe characters, else quoted.
std::string citar(const std::string& palavra)
{
    const bool segura = !palavra.empty() && palavra.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                                       "0123456789_/.,:=@%+-") == std::string::npos;
    if (segura) return palavra;
    std::string citada = "'";
    for (char c : palavra) citada += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return citada + "'";
}
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
    ctx.Retomar = definicoes.retomar;
    ctx.ComandoRetoma = ComandoRetoma(definicoes);
    return TituloJanela(linha);
}

std::string ModoRetoma(const std::string& linhaComando)
{
    if (linhaComando.empty()) return "/S";
    return linhaComando == "3" ? "/3S" : linhaComando;
}

std::string ComandoRetoma(const DefinicoesArranque& definicoes)
{
    std::string comando = "QUORVELANTI_RETOMAR=1 ";
    if (definicoes.pastaBase) comando += "QUORVELANTI_PASTA_BASE=" + citar(*definicoes.pastaBase) + " ";
    return comando + citar(definicoes.pastaPrograma + "/quorvelanti") + " " + citar(ModoRetoma(definicoes.linhaComando));
}

std::string PastaPrograma() { return sistema::PastaPrograma(); }

}  // namespace quorvelanti
