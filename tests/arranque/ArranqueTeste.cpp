#include <gtest/gtest.h>

#include <filesystem>

#include "Apoio.h"
#include "FrenteTeste.h"
#include "app/Arranque.h"
#include "app/Sincronizacao.h"
#include "data/Erro.h"
#include "run/ContextoExecucao.h"
#include "sistema/Sistema.h"

using namespace quorvelanti;

namespace {
struct Caso {
    std::string linha;
    std::string ficheiro;  // relative to the folder chosen
    bool automatico;
    std::string titulo;
};
}  // namespace

TEST(Arrancar, TabelaDosModos)
{
    apoio::PastaTemporaria base, programa;
    std::filesystem::create_directory(base / "dorvam");
    const std::string dorvam = base / "dorvam";
    const std::vector<Caso> casos = {
        {"", dorvam + "/Quorvelanti.qel", false, "Quorvelanti"},
        {"/S", dorvam + "/Quorvelanti.qel", true, "Quorvelanti"},
        {"3", dorvam + "/MapaEncSemana.qel", false, "Encomendas (Semanal)"},
        {"/3S", dorvam + "/MapaEncSemana.qel", true, "Encomendas (Semanal)"},
        {"/s", programa.Caminho() + "//s", false, "Quorvelanti"},
        {"outro.qel", programa / "outro.qel", false, "Quorvelanti"},
        {"sub/x.qel", programa / "sub/x.qel", false, "Quorvelanti"},
        {" /S", programa.Caminho() + "/ /S", false, "Quorvelanti"},
    };
    apoio::FrenteTeste frente(DataHora(2026, 12, 7));
    for (const auto& caso : casos) {
        ContextoExecucao ctx(frente.relogio, frente, frente);
        const auto titulo = Arrancar(ctx, {caso.linha, base.Caminho(), programa.Caminho()});
        EXPECT_EQ(ctx.FicheiroIni, caso.ficheiro) << "[" << caso.linha << "]";
        EXPECT_EQ(ctx.Automatico, caso.automatico) << "[" << caso.linha << "]";
        EXPECT_EQ(ctx.LinhaComando, caso.linha);
        EXPECT_EQ(titulo, caso.titulo) << "[" << caso.linha << "]";
    }
    EXPECT_EQ(TituloParametros("3"), "Parâmetros (Mapa Encomenda Semanal)");
    EXPECT_EQ(TituloParametros("/3S"), "Parâmetros (Quorvelanti)");
}

TEST(Arrancar, SemPastaDorvamUsaAPastaDoPrograma)
{
    apoio::PastaTemporaria base, programa;
    apoio::FrenteTeste frente(DataHora(2026, 12, 7));
    ContextoExecucao ctx(frente.relogio, frente, frente);
    Arrancar(ctx, {"/S", base.Caminho(), programa.Caminho()});
    EXPECT_EQ(ctx.FicheiroIni, programa / "Quorvelanti.qel");
}

TEST(LerEmpresas, RegrasDaLista)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel",
                         "EMP0\r\n"
                         " [EMPRESAS]\r\n"     // a blank before the marker: not a marker
                         "NAO\r\n"
                         "[empresas]\r\n"
                         "EMP1\r\n"
                         "\r\n"                // a blank line is an entry
                         "EMP2 \r\n"           // the trailing blank stays
                         "[EMPRESAS]\r\n"      // starts the list again, not an entry
                         "[fim] \r\n"          // not the end marker
                         "EMP3\r\n"
                         "[Fim]\r\n"
                         "EMP4\r\n");
    EXPECT_EQ(LerEmpresas(pasta / "p.qel"), (std::vector<std::string>{"EMP1", "", "EMP2 ", "[fim] ", "EMP3"}));
    apoio::EscreverBytes(pasta / "q.qel", "[EMPRESAS]\nA\nB");
    EXPECT_EQ(LerEmpresas(pasta / "q.qel"), (std::vector<std::string>{"A", "B"}));
    apoio::EscreverBytes(pasta / "r.qel", "[email]\nAssunto=x\n");
    EXPECT_TRUE(LerEmpresas(pasta / "r.qel").empty());
    EXPECT_THROW(LerEmpresas(pasta / "nao.qel"), Erro);
}

// The resume command, read back by the shell, starts this program with the same base folder and set.
TEST(Arrancar, ComandoDeRetomaLidoPelaShell)
{
    apoio::PastaTemporaria pasta;
    const std::string programa = pasta / "bin d'Ana";
    std::filesystem::create_directory(programa);
    apoio::EscreverBytes(programa + "/quorvelanti", "#!/bin/sh\necho \"$QUORVELANTI_RETOMAR|$QUORVELANTI_PASTA_BASE|$*|$#\"\n");
    std::filesystem::permissions(programa + "/quorvelanti", std::filesystem::perms::owner_all);
    const auto correr = [&](const DefinicoesArranque& d) { return apoio::Executar({"/bin/sh", "-c", sistema::TextoComando(ComandoRetoma(d))}).saida; };
    EXPECT_EQ(correr({"3", "/srv/base $HOME", programa}), "1|/srv/base $HOME|/3S|1\n");
    EXPECT_EQ(correr({"", std::nullopt, programa}), "1||/S|1\n");
    EXPECT_EQ(correr({"o meu.qel", "/srv", programa}), "1|/srv|o meu.qel|1\n") << "a named file opens the window";
}
