// The built program in the daily automatic mode ("/S") on two fixture companies, the second the
// special one, mailing to a real SMTP server on loopback: which workbooks go to whom, with what
// subject, text and sheets, and which are deleted or left in the log folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "Apoio.h"
#include "EmpresaDiaria.h"
#include "LivroLido.h"
#include "ServidorSmtp.h"

namespace {

std::string seccao(const std::string& nome, const std::string& bd, const std::string& adm, const std::string& vnd)
{
    return "[" + nome + "]\r\nMotor=SQLite\r\nEmpresa=" + bd + "\r\nDestinoAdm=" + adm + "\r\nDestinoVnd=" + vnd +
           "\r\nDestinoEnc=compras@emp.pt\r\nGrupoPortes='PT'\r\n";
}

struct Enviado {
    std::vector<std::string> para;
    std::string assunto;
    std::string corpo;
    std::string anexo;
    std::vector<diario::FolhaLida> livro;  // the attached workbook, read back
};

// One run of the program for the whole suite: it takes seconds, and every test reads its results.
struct Corrida {
    explicit Corrida(apoio::OpcoesSmtp opcoes = {}) : smtp(std::move(opcoes))
    {
        std::filesystem::create_directories(base / "dorvam");
        std::filesystem::create_directories(base / "log");
        diario::CriarEmpresaDiaria(base / "dorvam/emp1.db");
        diario::CriarEmpresaDiaria(base / "dorvam/esp.db", "599999990");
        apoio::EscreverBytes(
            base / "dorvam/Quorvelanti.qel",
            "[EMPRESAS]\r\nEMP1\r\nESP\r\n[FIM]\r\n" +
                seccao("EMP1", "emp1.db", "adm@emp.pt", "V1,ana@emp.pt,O'B,olivia@emp.pt,V3,carla@emp.pt") +
                seccao("ESP", "esp.db", "", "V1,ana@emp.pt") + "[email]\r\nAssunto=Mapas\r\n" +
                "[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni() + "[Log]\r\nDirectoria=" + base / "log" +
                "\r\n");
        resultado = apoio::Executar({apoio::Programa(), "/S"},
                                    {{"QUORVELANTI_PASTA_BASE", base.Caminho()}, {"QUORVELANTI_DATA", "2026-12-07"}});
        std::vector<std::string> brutos;
        for (const auto& m : smtp.Mensagens()) brutos.push_back(m.dados);
        int n = 0;
        for (const auto& m : apoio::LerCorreios(brutos)) {
            Enviado e{m.Enderecos("To"), m.Cabecalho("Subject"), m.corpo, "", {}};
            EXPECT_EQ(m.anexos.size(), 1u) << e.assunto;
            if (!m.anexos.empty()) {
                e.anexo = m.anexos[0].nome;
                const std::string copia = base / ("anexo" + std::to_string(n++) + ".xlsx");
                apoio::EscreverBytes(copia, m.anexos[0].bytes);
                e.livro = diario::LerLivro(copia);
            }
            enviados.push_back(e);
        }
    }

    apoio::PastaTemporaria base;
    apoio::ServidorSmtp smtp;
    apoio::Resultado resultado;
    std::vector<Enviado> enviados;
};

class CorridaDiaria : public ::testing::Test {
protected:
    static void SetUpTestSuite() { corrida = new Corrida; }
    static void TearDownTestSuite()
    {
        delete corrida;
        corrida = nullptr;
    }
    void SetUp() override
    {
        ASSERT_EQ(corrida->resultado.estado, 0) << corrida->resultado.saida << corrida->resultado.erros;
        ASSERT_EQ(corrida->enviados.size(), 6u);
    }
    static Corrida* corrida;
    const std::vector<Enviado>& enviados = corrida->enviados;
};
Corrida* CorridaDiaria::corrida = nullptr;

using Lista = std::vector<std::string>;

TEST_F(CorridaDiaria, LivrosEnviadosApagadosEOQueFicaNaPasta)
{
    EXPECT_EQ(corrida->resultado.saida, "Emissão Mapas\nExtrair Mapas EMP1\nExtrair Mapas ESP\nEmissão Mapas terminada\n");
    // EMP1: administration, the salespeople with rows and an address in code order (V2 has
    // rows but no address, V9 no master row), the purchasing desk. ESP: no administration mail
    // (no recipient), V1 only, no purchasing workbook for the special company.
    const std::vector<std::pair<Lista, std::string>> esperados{
        {{"adm@emp.pt"}, "_Adm_EMP1"},       {{"olivia@emp.pt"}, "_O'B_Vnd_EMP1"},
        {{"ana@emp.pt"}, "_V1_Vnd_EMP1"},    {{"carla@emp.pt"}, "_V3_Vnd_EMP1"},
        {{"compras@emp.pt"}, "_Enc_EMP1"},   {{"ana@emp.pt"}, "_V1_Vnd_ESP"}};
    for (std::size_t i = 0; i < esperados.size(); ++i) {
        SCOPED_TRACE(esperados[i].second);
        EXPECT_EQ(enviados[i].para, esperados[i].first);
        EXPECT_TRUE(std::regex_match(enviados[i].anexo, std::regex("20261207[0-9]{6}" + esperados[i].second + "\\.xlsx")))
            << enviados[i].anexo;
        const std::string empresa = i < 5 ? "EMP1" : "ESP";
        EXPECT_EQ(enviados[i].assunto, "Mapas (07-12-2026) - " + empresa);
        const std::string texto = i == 4 ? "Informação relativa às Encomendas em 07-12-2026 - EMP1"
                                         : "Informação relativa ao dia 07-12-2026 - " + empresa;
        EXPECT_EQ(enviados[i].corpo.substr(0, texto.size()), texto);
    }

    EXPECT_EQ(diario::NomesFolhas(enviados[0].livro), (Lista{"Enc.Pend.Resumo", "Enc.Pend.Detalhe", "Enc.Dia Resumo",
                                                   "Enc.Dia Detalhe", "Vendas Dia Resumo", "Vendas Dia Detalhe"}));
    // A salesperson's sheet without rows keeps its default name and stays blank.
    const Lista cinco{"Enc.Dia Detalhe", "Vendas Dia Detalhe", "Enc.Pend.Detalhe", "Vendas Acum.", "Vendas Acum. Mês"};
    EXPECT_EQ(diario::NomesFolhas(enviados[1].livro), (Lista{"Enc.Dia Detalhe", "Sheet2", "Enc.Pend.Detalhe", "Sheet4", "Sheet5"}));
    EXPECT_EQ(diario::NomesFolhas(enviados[2].livro), cinco);
    EXPECT_EQ(diario::NomesFolhas(enviados[3].livro), (Lista{"Sheet1", "Sheet2", "Enc.Pend.Detalhe", "Vendas Acum.", "Vendas Acum. Mês"}));
    EXPECT_EQ(diario::NomesFolhas(enviados[5].livro), cinco);
    EXPECT_EQ(diario::NomesFolhas(enviados[4].livro), Lista{"Encomendas Cliente_Fornecedor"});

    // Mailed workbooks are gone; the special company's administration workbook, without a
    // recipient, stays in the log folder.
    const auto ficheiros = apoio::Ficheiros(corrida->base / "log");
    ASSERT_EQ(ficheiros.size(), 3u);
    EXPECT_EQ(ficheiros[1], "ENTREGAS_MAPAS.txt");
    EXPECT_EQ(ficheiros[2], "LOG_MAPAS20261207.txt");
    EXPECT_TRUE(std::regex_match(ficheiros[0], std::regex("20261207[0-9]{6}-[0-9]+_Adm_ESP\\.xlsx"))) << ficheiros[0];
    EXPECT_EQ(diario::NomesFolhas(diario::LerLivro(corrida->base / ("log/" + ficheiros[0]))),
              (Lista{"Enc.Pend.Resumo", "Enc.Pend.Detalhe", "Enc.Dia Resumo", "Enc.Dia Detalhe", "Vendas Dia Resumo",
                     "Vendas Dia Detalhe"}));
}

TEST_F(CorridaDiaria, CadaVendedorRecebeSoAsSuasLinhas)
{
    const auto& olivia = enviados[1].livro;
    // O'B has an order today and a pending line, nothing sold: its order sheet holds its own
    // document only.
    const std::string encomendas = diario::TextoFolha(olivia, "Enc.Dia Detalhe");
    EXPECT_NE(encomendas.find("ECL/A/8/2026"), std::string::npos) << encomendas;
    EXPECT_EQ(encomendas.find("ECL/A/1/2026"), std::string::npos) << encomendas;
    EXPECT_NE(encomendas.find("Encomendas Dia Detalhe de 07-12-2026"), std::string::npos) << encomendas;
    EXPECT_NE(diario::TextoFolha(olivia, "Enc.Pend.Detalhe").find("Encomendas Pendentes Detalhe a  07-12-2026"), std::string::npos);

    // V3 sold in the month only: the month-by-client sheet has its client.
    const auto& carla = enviados[3].livro;
    EXPECT_NE(diario::TextoFolha(carla, "Vendas Acum. Mês").find("Cliente Dois"), std::string::npos);
    EXPECT_NE(diario::TextoFolha(carla, "Vendas Acum. Mês").find("Vendas Acumuladas do Mês corrente"), std::string::npos);

    // The administration summary lists the salesperson without master row too.
    const std::string resumo = diario::TextoFolha(enviados[0].livro, "Enc.Dia Resumo");
    EXPECT_NE(resumo.find("V9"), std::string::npos) << resumo;
    EXPECT_NE(resumo.find("Olivia O'Brien"), std::string::npos) << resumo;
}

// A refused mail ends the run there: what was mailed before is deleted, the workbook of the
// failed mail stays, and no later workbook is written.
TEST(CorridaDiariaFalhada, CorreioRecusadoDeixaOLivroENaoEscreveOsSeguintes)
{
    apoio::OpcoesSmtp opcoes;
    opcoes.recusar = {"olivia@emp.pt"};
    Corrida corrida(opcoes);
    EXPECT_NE(corrida.resultado.estado, 0);
    ASSERT_EQ(corrida.enviados.size(), 1u);
    EXPECT_EQ(corrida.enviados[0].para, Lista{"adm@emp.pt"});
    const auto ficheiros = apoio::Ficheiros(corrida.base / "log");
    ASSERT_EQ(ficheiros.size(), 3u);
    EXPECT_TRUE(std::regex_match(ficheiros[0], std::regex("20261207[0-9]{6}-[0-9]+_O'B_Vnd_EMP1\\.xlsx"))) << ficheiros[0];
    EXPECT_EQ(ficheiros[1], "ENTREGAS_MAPAS.txt");
    EXPECT_EQ(ficheiros[2], "LOG_MAPAS20261207.txt");
}

}  // namespace
