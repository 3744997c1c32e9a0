// The program run as the scheduler runs it: "/S" and "/3S" over embedded companies.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "Apoio.h"
#include "EmpresaTeste.h"
#include "app/BloqueioExecucao.h"

namespace fs = std::filesystem;

namespace {

class Corrida : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(base / "dorvam");
        fs::create_directories(base / "log");
    }

    void criarEmpresa(const std::string& ficheiro, const std::string& numContr)
    {
        apoio::EmpresaTeste emp(base / ("dorvam/" + ficheiro));
        emp.Executar("INSERT INTO EMPRESA VALUES ('Empresa " + ficheiro + "', '" + numContr + "')");
    }

    std::string seccao(const std::string& nome, const std::string& ficheiro)
    {
        return "[" + nome + "]\r\nMotor=SQLite\r\nEmpresa=" + ficheiro + "\r\n";
    }

    void escreverParametros(const std::string& nome, const std::string& lista, const std::string& seccoes,
                            const std::string& directoria = "")
    {
        apoio::EscreverBytes(base / ("dorvam/" + nome), "[EMPRESAS]\r\n" + lista + "[FIM]\r\n" + seccoes +
                                                             "[Log]\r\nDirectoria=" +
                                                             (directoria.empty() ? base / "log" : directoria) + "\r\n");
        chmod((base / ("dorvam/" + nome)).c_str(), 0600);  // it holds passwords
    }

    apoio::Resultado correr(const std::string& modo)
    {
        return apoio::Executar({apoio::Programa(), modo},
                               {{"QUORVELANTI_PASTA_BASE", base.Caminho()}, {"QUORVELANTI_DATA", "2026-12-07"}});
    }

    std::vector<std::string> mensagensDoRegisto() { return apoio::MensagensRegisto(base / "log/LOG_MAPAS20261207.txt"); }

    apoio::PastaTemporaria base;
};

const std::vector<std::string> kBlocoTresEmpresas = {
    "In\xED" "cio da Emiss\xE3o", "Emiss\xE3o Mapas", "Extrair Mapas B", "Extrair Mapas A", "Extrair Mapas C",
    "Emiss\xE3o Mapas terminada"};

}  // namespace

TEST_F(Corrida, DiarioAutomaticoPercorreAsEmpresasPelaOrdemDaLista)
{
    criarEmpresa("a.db", "599999990");
    criarEmpresa("b.db", "500000000");
    criarEmpresa("c.db", "500000001");
    escreverParametros("Quorvelanti.qel", "B\r\nA\r\nC\r\n",
                       seccao("A", "a.db") + seccao("B", "b.db") + seccao("C", "c.db"));

    auto r = correr("/S");
    ASSERT_EQ(r.estado, 0) << r.erros;
    EXPECT_EQ(r.saida, "Emissão Mapas\nExtrair Mapas B\nExtrair Mapas A\nExtrair Mapas C\nEmissão Mapas terminada\n");
    EXPECT_EQ(mensagensDoRegisto(), kBlocoTresEmpresas);

    ASSERT_EQ(correr("/S").estado, 0);
    auto duasCorridas = kBlocoTresEmpresas;
    duasCorridas.insert(duasCorridas.end(), kBlocoTresEmpresas.begin(), kBlocoTresEmpresas.end());
    EXPECT_EQ(mensagensDoRegisto(), duasCorridas);
}

TEST_F(Corrida, SemanalAutomaticoLeOutroFicheiro)
{
    criarEmpresa("s.db", "500000000");
    escreverParametros("MapaEncSemana.qel", "S\r\n", seccao("S", "s.db"));
    auto r = correr("/3S");
    ASSERT_EQ(r.estado, 0) << r.erros;
    EXPECT_EQ(r.saida, "Emissão Mapas\nExtrair Mapas S\nEmissão Mapas terminada\n");
    EXPECT_EQ(correr("/S").estado, 1) << "the daily file does not exist";
}

TEST_F(Corrida, FicheiroDeParametrosEmFaltaNaoDeixaRegistoNemOutroFicheiro)
{
    auto r = correr("/S");
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(r.erros.find(base / "dorvam/Quorvelanti.qel"), std::string::npos) << r.erros;
    EXPECT_TRUE(apoio::Ficheiros(base / "log").empty());
    EXPECT_TRUE(apoio::Ficheiros(base / "dorvam").empty());
}

TEST_F(Corrida, SeccaoDeEmpresaEmFaltaTerminaARunComOMotivoNoRegisto)
{
    criarEmpresa("a.db", "500000000");
    escreverParametros("Quorvelanti.qel", "A\r\nFALTA\r\nA\r\n", seccao("A", "a.db"));
    auto r = correr("/S");
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(r.erros.find("FALTA"), std::string::npos) << r.erros;
    const auto mensagens = mensagensDoRegisto();
    ASSERT_EQ(mensagens.size(), 4u);
    EXPECT_EQ(mensagens[2], "Extrair Mapas A");
    EXPECT_NE(mensagens[3].find("FALTA"), std::string::npos) << mensagens[3];
}

TEST_F(Corrida, BaseDeDadosEmFaltaNomeiaAEmpresaENaoCriaOFicheiro)
{
    escreverParametros("Quorvelanti.qel", "X\r\n", seccao("X", "nao-existe.db"));
    auto r = correr("/S");
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(r.erros.find("empresa X"), std::string::npos) << r.erros;
    EXPECT_NE(r.erros.find("nao-existe.db"), std::string::npos) << r.erros;
    EXPECT_FALSE(apoio::Existe(base / "dorvam/nao-existe.db"));
    const auto mensagens = mensagensDoRegisto();
    ASSERT_EQ(mensagens.size(), 3u);
    EXPECT_NE(mensagens[2].find("empresa X"), std::string::npos);
}

TEST_F(Corrida, GrupoPortesQueNaoEListaSqlTerminaAntesDeQualquerConsulta)
{
    criarEmpresa("a.db", "500000000");
    escreverParametros("Quorvelanti.qel", "A\r\n", seccao("A", "a.db") + "GrupoPortes='P1'); DROP TABLE ARTIGOS; --\r\n");
    auto r = correr("/S");
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(r.erros.find("GrupoPortes"), std::string::npos) << r.erros;
    EXPECT_NE(r.erros.find("Empresa A"), std::string::npos) << r.erros;
}

TEST_F(Corrida, SegundaCorridaComOMesmoFicheiroTerminaLogoComEstado3)
{
    criarEmpresa("a.db", "500000000");
    escreverParametros("Quorvelanti.qel", "A\r\n", seccao("A", "a.db"));
    const std::string ficheiro = base / "dorvam/Quorvelanti.qel";
    apoio::Resultado r;
    {
        quorvelanti::BloqueioExecucao emCurso(ficheiro);  // as a run in progress holds it
        // Saved meanwhile the way editors save: a new file renamed over the old one.
        apoio::EscreverBytes(ficheiro + ".novo", apoio::LerBytes(ficheiro));
        fs::rename(ficheiro + ".novo", ficheiro);
        r = correr("/S");
    }
    EXPECT_EQ(r.estado, 3);
    EXPECT_NE(r.erros.find("em curso"), std::string::npos) << r.erros;
    EXPECT_EQ(r.saida, "");
    EXPECT_FALSE(apoio::Existe(base / "log/LOG_MAPAS20261207.txt"));
    EXPECT_EQ(correr("/S").estado, 0) << "the lock goes with the run";
    // One lock per file, whatever path names it.
    fs::create_symlink(ficheiro, base / "atalho.qel");
    EXPECT_EQ(quorvelanti::BloqueioExecucao::FicheiroBloqueio(base / "atalho.qel"),
              quorvelanti::BloqueioExecucao::FicheiroBloqueio(ficheiro));
}

TEST_F(Corrida, AvisaQuandoOutrosPodemLerAsPalavrasPasse)
{
    criarEmpresa("a.db", "500000000");
    escreverParametros("Quorvelanti.qel", "A\r\n", seccao("A", "a.db"));
    const std::string ficheiro = base / "dorvam/Quorvelanti.qel";
    chmod(ficheiro.c_str(), 0644);
    auto r = correr("/S");
    ASSERT_EQ(r.estado, 0) << r.erros;
    EXPECT_NE(r.erros.find("chmod o-rwx"), std::string::npos) << r.erros;
    EXPECT_NE(apoio::LerBytes(base / "log/LOG_MAPAS20261207.txt").find("chmod o-rwx"), std::string::npos);
    // The package's own setup, root:quorvelanti 0640: the group is the service's, no warning.
    chmod(ficheiro.c_str(), 0640);
    r = correr("/S");
    EXPECT_EQ(r.erros.find("chmod"), std::string::npos) << r.erros;
}

TEST_F(Corrida, DirectoriaComBarraInvertidaFinalEAMesmaPastaEComLetraDeDiscoERecusada)
{
    criarEmpresa("a.db", "500000000");
    escreverParametros("Quorvelanti.qel", "A\r\n", seccao("A", "a.db"), "D:\\Relatorios\\");
    auto r = correr("/S");
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(r.erros.find("Directoria"), std::string::npos) << r.erros;
    EXPECT_FALSE(apoio::Existe("D:\\Relatorios\\LOG_MAPAS20261207.txt"));
    EXPECT_TRUE(apoio::Ficheiros(base / "log").empty());

    escreverParametros("Quorvelanti.qel", "A\r\n", seccao("A", "a.db"), base / "log\\");
    ASSERT_EQ(correr("/S").estado, 0);
    EXPECT_EQ(mensagensDoRegisto().size(), 4u);
    EXPECT_EQ(apoio::Ficheiros(base.Caminho()), (std::vector<std::string>{"dorvam", "log"}));
}

// Only AAAA-MM-DD of a real date: any other ends the program, naming it, before anything is written.
TEST_F(Corrida, QuorvelantiDataSoNaFormaAAAAMMDD)
{
    escreverParametros("Quorvelanti.qel", "A\r\n", seccao("A", "a.db"));
    for (std::string data : {"07-12-2026", "2026/12/07", "2026-02-29", "2026-12-07 10:00"}) {
        auto r = apoio::Executar({apoio::Programa(), "/S"},
                                 {{"QUORVELANTI_PASTA_BASE", base.Caminho()}, {"QUORVELANTI_DATA", data}});
        EXPECT_EQ(r.estado, 1) << data;
        EXPECT_NE(r.erros.find("): " + data), std::string::npos) << r.erros;
    }
    EXPECT_TRUE(apoio::Ficheiros(base / "log").empty());
}
