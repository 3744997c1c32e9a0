#include "Arranque.h"

#include <filesystem>
#include <string>

#include "components/files/LocalizadorPastaBase.h"
#include "components/files/VerificadorPasta.h"
#include "run/ContextoExecucao.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {
struct LinhaModo {
    const char* linha;
    Modo modo;
};
constexpr LinhaModo kModos[] = {
    {"", {Conjunto::Diario, false}},
    {"/S", {Conjunto::Diario, true}},
    {"3", {Conjunto::Semanal, false}},
    {"/3S", {Conjunto::Semanal, true}},
};

}  // namespace

Modo LerModo(const std::string& linhaComando)
{
    for (const auto& [linha, modo] : kModos)
        if (linhaComando == linha) return modo;
    return {Conjunto::Diario, false, true};
}

std::string LinhaAutomatica(Conjunto conjunto)
{
    for (const auto& [linha, modo] : kModos)
        if (modo.automatico && modo.conjunto == conjunto) return linha;
    return "";
}

bool ModoAutomatico(const std::string& linhaComando) { return LerModo(linhaComando).automatico; }

std::string TituloJanela(const std::string& linhaComando)
{
    return LerModo(linhaComando).conjunto == Conjunto::Semanal ? "Encomendas (Semanal)" : "Quorvelanti";
}

std::string TituloParametros(const std::string& linhaComando)
{
    const Modo modo = LerModo(linhaComando);
    return modo.conjunto == Conjunto::Semanal && !modo.automatico ? "Parâmetros (Mapa Encomenda Semanal)"
                                                                  : "Parâmetros (Quorvelanti)";
}

std::string PastaParametros(const DefinicoesArranque& definicoes)
{
    std::string pasta = LocalizadorPastaBase(definicoes.pastaBase).PastaBase() + "/dorvam";
    return VerificadorPasta().Existe(pasta) ? pasta : definicoes.pastaPrograma;
}

std::string OrigemPastaParametros(const DefinicoesArranque& definicoes)
{
    const std::string base = LocalizadorPastaBase(definicoes.pastaBase).PastaBase();
    const std::string origemBase = definicoes.pastaBase && !definicoes.pastaBase->empty()
                                       ? "QUORVELANTI_PASTA_BASE=" + *definicoes.pastaBase
                                       : "QUORVELANTI_PASTA_BASE não definida, base " + base;
    if (VerificadorPasta().Existe(base + "/dorvam")) return "a pasta " + base + "/dorvam existe (" + origemBase + ")";
    return "a pasta " + base + "/dorvam não existe (" + origemBase +
           "), por isso os ficheiros são procurados na pasta do programa, " + definicoes.pastaPrograma;
}

std::string PastaExemplos(const std::string& pastaPrograma)
{
    std::error_code erro;
    const auto instalada = std::filesystem::weakly_canonical(pastaPrograma + "/../share/quorvelanti/exemplos", erro);
    if (!erro && VerificadorPasta().Existe(instalada.string())) return instalada.string();
    return "packaging/exemplos no código-fonte (/usr/share/quorvelanti/exemplos com o pacote instalado)";
}

std::string Arrancar(ContextoExecucao& ctx, const DefinicoesArranque& definicoes)
{
    const std::string& linha = definicoes.linhaComando;
    const Modo modo = LerModo(linha);
    if (modo.ficheiroNomeado) {
        ctx.FicheiroIni = definicoes.pastaPrograma + "/" + linha;  // a named file is always beside the program
        ctx.OrigemFicheiroIni =
            "um ficheiro indicado na linha de comando é procurado na pasta do programa, " + definicoes.pastaPrograma;
    } else {
        ctx.FicheiroIni = PastaParametros(definicoes) +
                          (modo.conjunto == Conjunto::Semanal ? "/MapaEncSemana.qel" : "/Quorvelanti.qel");
        ctx.OrigemFicheiroIni = OrigemPastaParametros(definicoes);
    }
    ctx.OrigemFicheiroIni += "; ficheiros de exemplo em " + PastaExemplos(definicoes.pastaPrograma);
    ctx.Automatico = modo.automatico;
    ctx.LinhaComando = linha;
    ctx.ConjuntoCorrida = modo.conjunto;
    ctx.Retomar = definicoes.retomar;
    ctx.ComandoRetoma = ComandoRetoma(definicoes);
    return TituloJanela(linha);
}

std::string ModoRetoma(const std::string& linhaComando)
{
    const Modo modo = LerModo(linhaComando);
    return modo.ficheiroNomeado ? linhaComando : LinhaAutomatica(modo.conjunto);
}

sistema::ComandoEscrito ComandoRetoma(const DefinicoesArranque& definicoes)
{
    sistema::ComandoEscrito comando;
    comando.ambiente.push_back({"QUORVELANTI_RETOMAR", "1"});
    if (definicoes.pastaBase) comando.ambiente.push_back({"QUORVELANTI_PASTA_BASE", *definicoes.pastaBase});
    comando.palavras = {definicoes.pastaPrograma + "/" + sistema::NomeExecutavel("quorvelanti"),
                        ModoRetoma(definicoes.linhaComando)};
    return comando;
}

std::string PastaPrograma() { return sistema::PastaPrograma(); }

}  // namespace quorvelanti
