#include <gtest/gtest.h>
#include <unistd.h>

#include "Apoio.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "settings/Parametros.h"
#include "settings/cl_log.h"

using namespace quorvelanti;

TEST(cl_log, NomeDoFicheiroAPartirDaDirectoria)
{
    const DataHora dia(2026, 12, 7);
    EXPECT_EQ(cl_log::NomeFicheiro("/var/rel", dia), "/var/rel/LOG_MAPAS20261207.txt");
    EXPECT_EQ(cl_log::NomeFicheiro("  /var/rel/ ", dia), "/var/rel/LOG_MAPAS20261207.txt");
    EXPECT_EQ(cl_log::NomeFicheiro("", dia), "/LOG_MAPAS20261207.txt");
    // A final backslash, as Windows peers write it, names the same folder.
    EXPECT_EQ(cl_log::NomeFicheiro("/var/rel\\", dia), "/var/rel/LOG_MAPAS20261207.txt");
}

TEST(cl_log, LinhasCarimbadasEmWindows1252ComCrlfEDuasCorridasNoMesmoDia)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", "[Log]\r\nDirectoria= " + pasta.Caminho() + " \r\n");
    RelogioFixo relogio(DataHora(2026, 12, 7, 23, 4, 59));
    for (int corrida = 0; corrida < 2; ++corrida) {
        cl_log log(relogio);
        log.Abrir(pasta / "p.qel");
        ASSERT_TRUE(log.Aberto());
        log.Escrever("Emissão Mapas");
        // Each line is on disk at once, before the log is closed.
        EXPECT_NE(apoio::LerBytes(log.Caminho()).find("Emiss\xE3o Mapas\r\n"), std::string::npos);
        log.Fechar();
        relogio.Definir(DataHora(2026, 12, 7, 23, 30, 0));
    }
    EXPECT_EQ(apoio::LerBytes(pasta / "LOG_MAPAS20261207.txt"),
              "[07-12-2026][23:04:59] In\xED" "cio da Emiss\xE3o\r\n"
              "[07-12-2026][23:04:59] Emiss\xE3o Mapas\r\n"
              "[07-12-2026][23:30:00] In\xED" "cio da Emiss\xE3o\r\n"
              "[07-12-2026][23:30:00] Emiss\xE3o Mapas\r\n");
}

TEST(cl_log, SemPastaFicaFechadoEEscreverFalhaComACausa)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", "[Log]\r\nDirectoria=" + pasta.Caminho() + "/nao/existe\r\n");
    RelogioFixo relogio(DataHora(2026, 12, 7));
    cl_log log(relogio);
    log.Abrir(pasta / "p.qel");
    EXPECT_FALSE(log.Aberto());
    try {
        log.Escrever("x");
        FAIL() << "writing to a closed log must fail";
    } catch (const Erro& erro) {
        EXPECT_NE(erro.DescricaoCompleta().find("/nao/existe/LOG_MAPAS20261207.txt"), std::string::npos);
    }
}

// A symbolic link planted under the day's name is not followed: the log stays closed (so the
// run's first line fails, saying why) and the file it names is not touched.
TEST(cl_log, NaoSegueUmaLigacaoSimbolicaPlantadaNaPasta)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", "[Log]\r\nDirectoria=" + pasta.Caminho() + "\r\n");
    apoio::EscreverBytes(pasta / "alheio", "intacto");
    ASSERT_EQ(symlink((pasta / "alheio").c_str(), (pasta / "LOG_MAPAS20261207.txt").c_str()), 0);
    RelogioFixo relogio(DataHora(2026, 12, 7));
    cl_log log(relogio);
    log.Abrir(pasta / "p.qel");
    EXPECT_FALSE(log.Aberto());
    EXPECT_EQ(apoio::LerBytes(pasta / "alheio"), "intacto");
    EXPECT_THROW(log.Escrever("x"), Erro);
}

TEST(Parametros, LeAsTresDefinicoesEEscreveSoAssuntoEDirectoria)
{
    apoio::PastaTemporaria pasta;
    const std::string original =
        "[EMPRESAS]\r\nA\r\n[FIM]\r\n[email]\r\nAssunto=Mapas\r\n[SMTP]\r\nemailEmissor=rel@x.pt\r\n"
        "[Log]\r\nDirectoria=/tmp/a\r\n";
    apoio::EscreverBytes(pasta / "p.qel", original);
    Parametros p;
    p.FicheiroIni(pasta / "p.qel");
    p.Ler();
    EXPECT_EQ(p.email_Assunto(), "Mapas");
    EXPECT_EQ(p.email_Origem(), "rel@x.pt");
    EXPECT_EQ(p.Log_Directoria(), "/tmp/a");
    p.email_Assunto("Novo");
    p.email_Origem("outro@x.pt");  // the sender is never written
    p.Log_Directoria("/tmp/b");
    EXPECT_TRUE(p.Escrever());
    std::string esperado = original;
    esperado.replace(esperado.find("Mapas"), 5, "Novo");
    esperado.replace(esperado.find("/tmp/a"), 6, "/tmp/b");
    EXPECT_EQ(apoio::LerBytes(pasta / "p.qel"), esperado);
}

TEST(Parametros, EscritaQueFalhaDevolveFalsoEDizPorque)
{
    apoio::PastaTemporaria pasta;
    Parametros p;
    p.FicheiroIni(pasta / "nao/existe/p.qel");
    std::string motivo;
    EXPECT_FALSE(p.Escrever(&motivo));
    EXPECT_NE(motivo.find("nao/existe/p.qel"), std::string::npos);
}
