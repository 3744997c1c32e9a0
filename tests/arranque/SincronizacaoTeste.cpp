#include <gtest/gtest.h>

#include <filesystem>

#include "Apoio.h"
#include "EmpresaTeste.h"
#include "FrenteTeste.h"
#include "app/Sincronizacao.h"
#include "components/files/LeitorIni.h"
#include "components/database/LigacaoBD.h"
#include "data/Erro.h"
#include "run/ContextoExecucao.h"

using namespace quorvelanti;

namespace {
class Ligacoes : public ::testing::Test {
protected:
    Ligacoes() : ctx(frente.relogio, frente, frente) {}

    void empresa(const std::string& ficheiro, const std::string& numContr)
    {
        apoio::EmpresaTeste emp(pasta / ficheiro);
        if (!numContr.empty()) emp.Executar("INSERT INTO EMPRESA VALUES ('E', '" + numContr + "')");
    }

    // The company's section as the run reads it when the company's turn comes.
    EmpresaCorrida ler(const std::string& nome)
    {
        LeitorIni ini;
        ini.DefinirFicheiro(pasta / "p.qel");
        return EmpresaCorrida(DefinicoesEmpresa::Ler(ini, nome, pasta / "p.qel"));
    }

    apoio::PastaTemporaria pasta;
    apoio::FrenteTeste frente{DataHora(2026, 12, 7, 21, 30)};
    ContextoExecucao ctx;
};
}  // namespace

TEST_F(Ligacoes, EmpresaEspecialPorEmpresaENaoQuandoNaoHaLinha)
{
    empresa("a.db", "599999990");
    empresa("b.db", "500000000");
    empresa("c.db", "");  // no EMPRESA row
    apoio::EscreverBytes(pasta / "p.qel",
                         "[A]\nMotor=SQLite\nEmpresa=a.db\nDestinoAdm=adm@x.pt\nGrupoPortes='P1', 'P''2' ,3\n"
                         "[B]\nMotor=SQLite\nEmpresa=b.db\n[C]\nMotor=SQLite\nEmpresa=c.db\n");
    std::vector<bool> especial;
    for (const char* nome : {"A", "B", "A", "C"}) {
        EmpresaCorrida emp = ler(nome);
        AbreLigacao(ctx, emp);
        getNomeEmpresa(emp);
        especial.push_back(emp.EmpresaEspecial);
        if (std::string(nome) == "A") {
            EXPECT_EQ(emp.Definicoes.DestinoAdm, "adm@x.pt");
            EXPECT_EQ(emp.Definicoes.GrupoPortes, "'P1', 'P''2' ,3");
        } else {
            EXPECT_EQ(emp.Definicoes.DestinoAdm, "");
        }
    }
    EXPECT_EQ(especial, (std::vector<bool>{true, false, true, false})) << "no EMPRESA row: not the special company";
}

TEST_F(Ligacoes, SegundaLigacaoSoQuandoHaEmpresaExt)
{
    empresa("a.db", "500000000");
    empresa("ext.db", "500000009");
    apoio::EscreverBytes(pasta / "p.qel",
                         "[A]\nMotor=SQLite\nEmpresa=a.db\nEmpresaExt=ext.db\n[B]\nMotor=SQLite\nEmpresa=a.db\n");
    EmpresaCorrida a = ler("A");
    AbreLigacaoExt(ctx, a);
    ASSERT_TRUE(a.LigacaoExt);
    ConjuntoResultados rs;
    a.LigacaoExt->AbrirConsulta("SELECT NumContr FROM EMPRESA", rs);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("NumContr"), "500000009");
    EmpresaCorrida b = ler("B");
    AbreLigacaoExt(ctx, b);
    EXPECT_FALSE(b.LigacaoExt);
}

TEST_F(Ligacoes, SincronizarSemEmpresasEscreveSoAsLinhasDeAberturaEFecho)
{
    apoio::EscreverBytes(pasta / "p.qel", "[EMPRESAS]\n[FIM]\n[Log]\nDirectoria=" + pasta.Caminho() + " \n");
    std::filesystem::permissions(pasta / "p.qel", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ctx.FicheiroIni = pasta / "p.qel";
    Sincronizar(ctx);
    EXPECT_EQ(ctx.PastaLog, pasta.Caminho() + "/") << "trimmed, with one final separator";
    EXPECT_EQ(frente.linhas, (std::vector<std::string>{"Emissão Mapas", "Emissão Mapas terminada"}));
    EXPECT_EQ(frente.passagens, 0);
    EXPECT_TRUE(apoio::Existe(pasta / "LOG_MAPAS20261207.txt"));
}

TEST_F(Ligacoes, ValoresInvalidosDasChavesDaLigacaoNomeiamAChave)
{
    empresa("a.db", "500000000");
    apoio::EscreverBytes(pasta / "p.qel", "[A]\nMotor=Oracle\nEmpresa=a.db\n[B]\nMotor=SQLite\nEmpresa=a.db\nGrupoPortes=PORTES\n");
    try {
        ler("A");
        FAIL();
    } catch (const Erro& erro) {
        EXPECT_NE(erro.DescricaoCompleta().find("Motor"), std::string::npos) << erro.DescricaoCompleta();
    }
    EXPECT_THROW(ler("B"), Erro) << "an unquoted group is no SQL literal";
}
