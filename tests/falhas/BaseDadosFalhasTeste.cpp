// Company databases that go away or are locked while a daily run goes on. The loopback server
// holds its answer to company A's first mail until the test has done its damage, so "during the
// run" is one known point: A's administration workbook written and being mailed, B not reached.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "Cenario.h"
#include "EmpresaTeste.h"
#include "ServidorSmtp.h"
#include "ServidorSmtpComPausa.h"

namespace {

using falhas::Contem;

class BaseDadosEmFalha : public ::testing::Test {
protected:
    void SetUp() override
    {
        cenario.EmpresaVazia("a.db");
        cenario.EmpresaVazia("b.db");
    }

    apoio::Resultado correr(const std::string& chavesSmtp)
    {
        cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                           falhas::Cenario::Seccao("B", "b.db") + cenario.Globais(chavesSmtp));
        return cenario.Correr();
    }

    // A was done and mailed (its workbook deleted), the run ended at B saying so, nothing else
    // was written.
    void verificarFimEmB(const apoio::Resultado& r, const std::string& motivo)
    {
        EXPECT_EQ(r.estado, 1) << r.erros;
        EXPECT_TRUE(Contem(r.erros, "empresa B")) << r.erros;
        EXPECT_TRUE(Contem(r.erros, motivo)) << r.erros;
        EXPECT_EQ(r.saida, "Emissão Mapas\nExtrair Mapas A\n");
        const auto mensagens = cenario.MensagensRegisto();
        ASSERT_EQ(mensagens.size(), 4u);
        EXPECT_EQ(mensagens[2], "Extrair Mapas A");
        EXPECT_TRUE(Contem(mensagens[3], "empresa B") && Contem(mensagens[3], motivo)) << mensagens[3];
        EXPECT_TRUE(cenario.Livros().empty());
        EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
    }

    falhas::Cenario cenario;
};

TEST_F(BaseDadosEmFalha, SegundaEmpresaApagadaDuranteACorrida)
{
    const std::string b = cenario.Dorvam() + "/b.db";
    falhas::ServidorSmtpComPausa smtp([&] { std::filesystem::remove(b); });
    const auto r = correr(smtp.ChavesIni());
    verificarFimEmB(r, "b.db");
    EXPECT_EQ(smtp.Mensagens().size(), 1u);
    EXPECT_FALSE(apoio::Existe(b)) << "a missing company is never created empty";
}

// The lock is held for the whole run: the program waits its busy timeout at B, then gives up.
TEST_F(BaseDadosEmFalha, SegundaEmpresaTrancadaQuandoACorridaLaChega)
{
    apoio::EmpresaTeste tranca(cenario.Dorvam() + "/b.db", false);
    tranca.Executar("BEGIN EXCLUSIVE");
    apoio::ServidorSmtp smtp;
    const auto r = correr(smtp.ChavesIni());
    tranca.Executar("ROLLBACK");
    verificarFimEmB(r, "locked");
    EXPECT_EQ(smtp.Mensagens().size(), 1u);
}

// Locked between two statements of the same company: the mail in flight went, the statement
// after it fails, and the run says so instead of mailing anything built from a partial read.
TEST_F(BaseDadosEmFalha, EmpresaTrancadaAMeioDosSeusRelatorios)
{
    std::unique_ptr<apoio::EmpresaTeste> tranca;
    falhas::ServidorSmtpComPausa smtp([&] {
        tranca = std::make_unique<apoio::EmpresaTeste>(cenario.Dorvam() + "/a.db", false);
        tranca->Executar("BEGIN EXCLUSIVE");
    });
    const auto r = correr(smtp.ChavesIni());
    ASSERT_TRUE(tranca) << "the server never got A's first mail";
    tranca->Executar("ROLLBACK");
    EXPECT_EQ(r.estado, 1) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "locked")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "empresa A")) << "which company: " << r.erros;
    EXPECT_EQ(r.saida, "Emissão Mapas\n");
    EXPECT_TRUE(Contem(cenario.MensagensRegisto().back(), "locked"));
    EXPECT_EQ(smtp.Mensagens().size(), 1u) << "only the mail in flight when the lock came";
    EXPECT_TRUE(cenario.Livros().empty()) << "the administration workbook was mailed, so deleted";
    EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
}

// Removing the file of the company being processed takes nothing from the open connection: the
// run ends normally and no empty file takes the old name.
TEST_F(BaseDadosEmFalha, FicheiroDaEmpresaEmCursoApagadoNaoInterrompeAsLeituras)
{
    const std::string a = cenario.Dorvam() + "/a.db";
    falhas::ServidorSmtpComPausa smtp([&] { std::filesystem::remove(a); });
    const auto r = correr(smtp.ChavesIni());
    EXPECT_EQ(r.estado, 0) << r.erros;
    EXPECT_EQ(smtp.Mensagens().size(), 2u);
    EXPECT_FALSE(apoio::Existe(a));
    EXPECT_EQ(cenario.MensagensRegisto().back(), "Emissão Mapas terminada");
}

}  // namespace
