// The daily driver in-process, with mail to a pickup folder, on a clock that moves one second
// at every reading and crosses into a new year during the run: each date text shows the moment
// it was built, the reports get the run date and the purchasing report the date a year back.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "Apoio.h"
#include "ContextoTeste.h"
#include "EmpresaDiaria.h"
#include "EmpresaTeste.h"
#include "LivroLido.h"
#include "ServidorSmtp.h"
#include "output/ExportaExcel.h"
#include "reports/DescricoesLivros.h"
#include "reports/LivroEnviado.h"
#include "reports/daily/ExtrairMapas.h"
#include "reports/daily/TrataVendedor.h"

using namespace quorvelanti;

namespace {

// 31 December 2026 23:59:50, then one second later at every reading.
class RelogioQueAnda : public Relogio {
public:
    DataHora Agora() const override
    {
        const int s = 50 + leituras_++;
        return s < 60 ? DataHora(2026, 12, 31, 23, 59, s) : DataHora(2027, 1, 1, 0, (s - 60) / 60, (s - 60) % 60);
    }
private:
    mutable int leituras_ = 0;
};

class ExtrairMapasTeste : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(pasta / "log");
        std::filesystem::create_directories(pasta / "saida");
        diario::CriarEmpresaDiaria(pasta / "empresa.db");
        apoio::EscreverBytes(pasta / "q.qel", "[SMTP]\r\nemailEmissor=rel@emp.pt\r\nPastaSaida=" + pasta / "saida" + "\r\n");
        t.Ligar(pasta / "empresa.db");
        ctx.Empresa->Ligacao->DefinirRegistoSql(pasta / "sql.txt");
        ctx.Log = std::make_unique<cl_log>(relogio);
        ctx.FicheiroIni = pasta / "q.qel";
        ctx.PastaLog = pasta / "log/";
        ctx.Assunto = "Mapas";
        ctx.Origem = "rel@emp.pt";
        ctx.EmpresaActual = "EMP1";
        ctx.Empresa->Definicoes.GrupoPortes = "'PT'";
        ctx.Empresa->Definicoes.DestinoAdm = "adm@emp.pt";
        ctx.Empresa->Definicoes.DestinoVnd = "V1,ana@emp.pt";
        ctx.Empresa->Definicoes.DestinoEnc = "compras@emp.pt";
    }

    // The mails of the pickup folder in the order written, read back.
    std::vector<apoio::CorreioLido> correios()
    {
        std::vector<std::string> brutos;
        for (const auto& f : apoio::Ficheiros(pasta / "saida")) brutos.push_back(apoio::LerBytes(pasta / ("saida/" + f)));
        return apoio::LerCorreios(brutos);
    }

    apoio::PastaTemporaria pasta;
    RelogioQueAnda relogio;
    diario::ContextoTeste t{relogio};
    ContextoExecucao& ctx = t.ctx;
};

TEST_F(ExtrairMapasTeste, DatasLidasDoRelogioACadaTexto)
{
    ExtrairMapas(ctx);

    // The reports ran before midnight; the purchasing report starts one year back.
    const std::string sql = apoio::LerBytes(pasta / "sql.txt");
    EXPECT_NE(sql.find("and c.DATA = CONVERT(DATETIME, '2026-12-31', 102)"), std::string::npos);
    EXPECT_NE(sql.find("and year(c.DATA) = 2026 and month(c.data)=12"), std::string::npos);
    EXPECT_NE(sql.find("and c.Ano = 2026 and month(c.data)=12 "), std::string::npos);
    EXPECT_NE(sql.find("and c.Data >= CONVERT(DATETIME, '2025-12-31', 102)"), std::string::npos);
    EXPECT_EQ(sql.find("2027-01-01"), std::string::npos);
    EXPECT_NE(sql.find("Select * from Vendedor order by Codigo"), std::string::npos);

    // Administration, V1 (the only address), purchasing desk; all mailed, so all deleted.
    const auto mails = correios();
    ASSERT_EQ(mails.size(), 3u);
    EXPECT_EQ(apoio::Ficheiros(pasta / "log"), std::vector<std::string>{});
    for (const auto& m : mails) ASSERT_EQ(m.anexos.size(), 1u);
    EXPECT_EQ(mails[0].Enderecos("To"), std::vector<std::string>{"adm@emp.pt"});
    EXPECT_EQ(mails[1].Enderecos("To"), std::vector<std::string>{"ana@emp.pt"});
    EXPECT_EQ(mails[2].Enderecos("To"), std::vector<std::string>{"compras@emp.pt"});
    EXPECT_TRUE(std::regex_match(mails[0].anexos[0].nome, std::regex("2026123123595[0-9]_Adm_EMP1\\.xlsx")))
        << mails[0].anexos[0].nome;
    EXPECT_TRUE(std::regex_match(mails[2].anexos[0].nome, std::regex("2027010100[0-9]{4}_Enc_EMP1\\.xlsx")))
        << mails[2].anexos[0].nome;
    EXPECT_EQ(mails[0].corpo.rfind("Informação relativa ao dia 31-12-2026 - EMP1", 0), 0u) << mails[0].corpo;
    EXPECT_EQ(mails[2].corpo.rfind("Informação relativa às Encomendas em 01-01-2027 - EMP1", 0), 0u) << mails[2].corpo;
    EXPECT_EQ(mails[2].Cabecalho("Subject"), "Mapas (01-01-2027) - EMP1");

    apoio::EscreverBytes(pasta / "adm.xlsx", mails[0].anexos[0].bytes);
    const auto adm = diario::LerLivro(pasta / "adm.xlsx");
    EXPECT_EQ(diario::TextoFolha(adm, "Enc.Pend.Resumo").rfind("Encomendas Pendentes Resumo a 31-12-2026\n", 0), 0u);
    apoio::EscreverBytes(pasta / "enc.xlsx", mails[2].anexos[0].bytes);
    const auto enc = diario::LerLivro(pasta / "enc.xlsx");
    EXPECT_EQ(diario::TextoFolha(enc, "Encomendas Cliente_Fornecedor").rfind("Encomendas Cliente_Fornecedor em 01-01-2027\n", 0),
              0u);
}

TEST_F(ExtrairMapasTeste, EmpresaEspecialSemRelatorioDeComprasEAdmSemDestinoFica)
{
    ctx.Empresa->EmpresaEspecial = true;
    ctx.Empresa->Definicoes.DestinoAdm.clear();

    ExtrairMapas(ctx);

    const std::string sql = apoio::LerBytes(pasta / "sql.txt");
    EXPECT_EQ(sql.find("ArtArm"), std::string::npos);  // no purchasing statement ran
    const auto mails = correios();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].Enderecos("To"), std::vector<std::string>{"ana@emp.pt"});
    const auto ficheiros = apoio::Ficheiros(pasta / "log");
    ASSERT_EQ(ficheiros.size(), 1u);
    EXPECT_TRUE(std::regex_match(ficheiros[0], std::regex("[0-9]{14}-[0-9]+_Adm_EMP1\\.xlsx"))) << ficheiros[0];
}

// A report's hand-over alone: a purchasing workbook built from its rows, with no run behind the
// workbook's DescricaoLivro, dispatched with a recipient (mailed with its message, recorded, gone)
// and without one (kept in the log folder, not recorded).
TEST_F(ExtrairMapasTeste, LivroDescritoEDespachado)
{
    MapasDia mapas;
    mapas.RsEncFornecedorBDC = ConjuntoResultados({{"Artigo", TipoCampo::Texto, 15}});
    mapas.RsEncFornecedorBDC.AcrescentarLinhaBruta({std::string("ART01")});
    ctx.Entregas = std::make_unique<RegistoEntregas>(RegistoEntregas::NomeFicheiro(ctx.PastaLog),
                                                     RegistoEntregas::Corrida{"2026-12-31", "diario", ctx.FicheiroIni});
    auto livro = [&](std::string para) {
        return LivroPronto{.identidade = IdentidadeLivro::Compras(),
                           .nome = NomeLivro::Para(ctx.PastaLog, relogio, "_Enc_EMP1.xlsx"),
                           .descricao = DescreverCompras(mapas, "31-12-2026"),
                           .mensagem = {.para = std::move(para), .copia = "chefe@emp.pt", .assunto = "Compras",
                                        .corpo = "Em falta"}};
    };
    ASSERT_TRUE(ctx.IniciarLivro(IdentidadeLivro::Compras()));
    DespacharLivro(ctx, livro("compras@emp.pt"));
    DespacharLivro(ctx, livro(""));

    const auto mails = correios();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].Enderecos("Cc"), std::vector<std::string>{"chefe@emp.pt"});
    EXPECT_EQ(mails[0].Cabecalho("Subject").rfind("Compras (", 0), 0u) << mails[0].Cabecalho("Subject");
    EXPECT_EQ(mails[0].corpo.rfind("Em falta", 0), 0u) << mails[0].corpo;
    ASSERT_EQ(mails[0].anexos.size(), 1u);
    apoio::EscreverBytes(pasta / "enviado.xlsx", mails[0].anexos[0].bytes);
    const std::string folha = diario::TextoFolha(diario::LerLivro(pasta / "enviado.xlsx"), "Encomendas Cliente_Fornecedor");
    EXPECT_EQ(folha.rfind("Encomendas Cliente_Fornecedor em 31-12-2026\n", 0), 0u) << folha;
    EXPECT_NE(folha.find("ART01"), std::string::npos) << folha;

    const auto ficheiros = apoio::Ficheiros(pasta / "log");
    ASSERT_EQ(ficheiros.size(), 2u);
    EXPECT_EQ(ficheiros[1], "ENTREGAS_MAPAS.txt");
    EXPECT_TRUE(ficheiros[0].ends_with("_Enc_EMP1.xlsx")) << ficheiros[0];
    const std::string registo = apoio::LerBytes(pasta / "log/ENTREGAS_MAPAS.txt");
    EXPECT_NE(registo.find("\tcompras@emp.pt\tchefe@emp.pt\t"), std::string::npos) << registo;
    EXPECT_EQ(registo.find("\t\tchefe@emp.pt"), std::string::npos) << registo;  // the kept one is not recorded
}

TEST_F(ExtrairMapasTeste, CodigoComBarraNaoDesviaOLivroParaOutraPasta)
{
    t.ctx.Empresa->Ligacao.reset();
    apoio::EmpresaTeste(pasta / "empresa.db", false).Executar(
        "INSERT INTO VENDEDOR VALUES ('A/B','Com barra');"
        "INSERT INTO DOCGCCAB VALUES ('ECL','A',99,2026,'2026-12-31 00:00:00',2,2,0,1,'C1','A/B',0,0);"
        "INSERT INTO DOCGCLIN VALUES ('ECL','A',99,2026,1,'A1','A/B','2027-01-05 00:00:00',1,1,5,0,5,5,0,0);");
    t.Ligar(pasta / "empresa.db");
    ctx.Empresa->Definicoes.DestinoVnd = "A/B,ab@emp.pt";
    ctx.Empresa->Definicoes.DestinoAdm.clear();
    ctx.Empresa->Definicoes.DestinoEnc.clear();

    ExtrairMapas(ctx);

    const auto mails = correios();
    ASSERT_EQ(mails.size(), 1u);
    ASSERT_EQ(mails[0].anexos.size(), 1u);
    EXPECT_TRUE(std::regex_match(mails[0].anexos[0].nome, std::regex("[0-9]{14}_A_B_Vnd_EMP1\\.xlsx")))
        << mails[0].anexos[0].nome;
}

}  // namespace

// The salesperson workbooks read the company-wide result sets through their own filtered
// clones: written before the administration workbook, they leave it as it was.
TEST(ExtrairMapasOrdem, LivrosDosVendedoresAntesDoDaAdministracaoDeixamNoIgual)
{
    apoio::PastaTemporaria pasta;
    diario::CriarEmpresaDiaria(pasta / "empresa.db");
    diario::ContextoTeste t;
    ContextoExecucao& ctx = t.ctx;
    t.Ligar(pasta / "empresa.db");
    ctx.EmpresaActual = "EMP1";
    ctx.Empresa->EmpresaEspecial = true;
    const MapasDia mapas = ExtrairMapasDia(ctx, *ctx.Empresa);
    DescricaoLivro adm = DescreverAdministracao(mapas, "31-12-2026");
    adm.ficheiro = pasta / "antes.xlsx";
    ExportaExcel(ctx, adm);
    const auto primeiro = diario::LerLivro(adm.ficheiro);

    for (const std::string codigo : {"V1", "V2"}) {
        DescricaoLivro vendedor = DescreverVendedor(CopiarVendedor(mapas, codigo), "31-12-2026");
        vendedor.ficheiro = pasta / (codigo + ".xlsx");
        ExportaExcel(ctx, vendedor);
    }
    adm = DescreverAdministracao(mapas, "31-12-2026");
    adm.ficheiro = pasta / "adm.xlsx";
    ExportaExcel(ctx, adm);

    const auto depois = diario::LerLivro(pasta / "adm.xlsx");
    ASSERT_EQ(depois.size(), primeiro.size());
    for (std::size_t i = 0; i < primeiro.size(); ++i) {
        EXPECT_EQ(depois[i].nome, primeiro[i].nome);
        EXPECT_EQ(depois[i].texto, primeiro[i].texto);
    }
    // Both salespeople's sales are in the day's detail, each workbook's rows of its own.
    const std::string vendas = diario::TextoFolha(depois, "Vendas Dia Detalhe");
    EXPECT_NE(vendas.find("V1"), std::string::npos) << vendas;
    EXPECT_NE(vendas.find("V2"), std::string::npos) << vendas;
}
