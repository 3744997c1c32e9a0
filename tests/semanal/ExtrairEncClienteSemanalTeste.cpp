// The weekly run of one company end to end in the process: workbooks written, mailed to a real
// SMTP server on loopback and deleted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "../fornecedor/EmpresaEncomendas.h"
#include "ServidorSmtp.h"
#include "data/Erro.h"
#include "reports/weekly/ExtrairEncClienteSemanal.h"

using namespace quorvelanti;
using teste::ContextoTeste;
using teste::EmpresaEncomendas;

namespace {

const DataHora Agora(2026, 12, 7, 23, 4, 59);
const std::string Assunto = "Encomendas Pendentes (07-12-2026) ";

class SemanalCorreio : public ::testing::Test {
protected:
    SemanalCorreio() : emp(pasta / "emp.db")
    {
        emp.Vendedor("V1", "Ana");
        emp.Vendedor("V2", "Rui");
        emp.Vendedor("V3", "Eva");
        emp.Artigo("A1", "Parafuso");
        emp.Artigo("VELHO", "Inactivo", "G1", 1);
        emp.Stock("A1", "001", 100);
        emp.Cliente("C1", "Cliente Um", "c1@cli.pt");
        emp.Cliente("C2", "Sem endereço", std::nullopt);
        emp.Cliente("C3", "Cliente Três", "c3@cli.pt");
        emp.Cliente("C4", "Só inactivos", "c4@cli.pt");
        // C1 has lines of three salespeople: the client list gives it three times. V9 has no
        // record (no name) but an address; V3 has a name and no address.
        emp.EncomendaCliente(1, "2026-11-01", "C1", "V1",
                             {{"A1", 1, 10, "V1"}, {"A1", 2, 20, "V9"}, {"A1", 3, 30, "V3"}});
        emp.EncomendaCliente(2, "2026-11-02", "C2", "V1", {{"A1", 1, 10, "V1"}});
        emp.EncomendaCliente(3, "2026-11-03", "C3", "V3", {{"A1", 1, 10, "V3"}});
        emp.EncomendaCliente(4, "2026-11-04", "C4", "V1", {{"VELHO", 1, 10, "V1"}});
        std::filesystem::create_directory(pasta / "log");
    }

    // Runs the weekly set of the company against the server.
    void correr(const apoio::ServidorSmtp& smtp)
    {
        apoio::EscreverBytes(pasta / "MapaEncSemana.qel", "[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni());
        t = std::make_unique<ContextoTeste>(emp, Agora, pasta / "log/");
        t->ctx.FicheiroIni = pasta / "MapaEncSemana.qel";
        t->ctx.Origem = "rel@emp.pt";
        t->ctx.LinhaComando = "/3S";
        t->ctx.EmpresaActual = "EMP1";
        t->ctx.Assunto = "Mapas";
        t->ctx.Empresa->Definicoes.DestinoVnd = "V1,ana@emp.pt,V2,rui@emp.pt,V9,nove@emp.pt,V3";  // V3 has no address
        ExtrairEncClienteSemanal(t->ctx);
    }

    apoio::PastaTemporaria pasta;
    EmpresaEncomendas emp;
    std::unique_ptr<ContextoTeste> t;
};

}  // namespace

TEST_F(SemanalCorreio, UmCorreioPorClienteComOsVendedoresEmCopia)
{
    apoio::ServidorSmtp smtp;
    correr(smtp);
    const auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 2u);

    const std::vector<std::vector<std::string>> envelopes{{"c1@cli.pt", "ana@emp.pt", "nove@emp.pt"}, {"c3@cli.pt"}};
    const std::vector<std::string> nomesCliente{"C1", "C3"};
    for (std::size_t i = 0; i < recebidas.size(); ++i) {
        SCOPED_TRACE(i);
        auto para = recebidas[i].para, esperados = envelopes[i];
        std::sort(para.begin(), para.end());
        std::sort(esperados.begin(), esperados.end());
        EXPECT_EQ(para, esperados);
        EXPECT_EQ(recebidas[i].de, "rel@emp.pt");
        const auto m = apoio::LerCorreio(recebidas[i].dados);
        EXPECT_EQ(m.Cabecalho("Subject"), Assunto);
        EXPECT_EQ(m.Enderecos("To"), std::vector<std::string>{envelopes[i][0]});
        EXPECT_EQ(m.Enderecos("Cc"), std::vector<std::string>(envelopes[i].begin() + 1, envelopes[i].end()));
        EXPECT_NE(m.corpo.find("Informação relativa às Encomendas Pendentes"), std::string::npos);
        ASSERT_EQ(m.anexos.size(), 1u);
        EXPECT_EQ(m.anexos[0].nome, "20261207230459_Enc_" + nomesCliente[i] + ".xlsx");
        EXPECT_EQ(m.anexos[0].bytes.substr(0, 2), "PK");
    }
    // The client's one workbook holds every line, whoever took it, and names the salespeople
    // that have a name.
    const auto c1 = apoio::LerCorreio(recebidas[0].dados);
    apoio::EscreverBytes(pasta / "c1.xlsx", c1.anexos.at(0).bytes);
    EXPECT_EQ(teste::CelulasLivro(pasta / "c1.xlsx", "A4,H10,D12,H12"),
              "Enc. Pendentes\nA4=Nome Vendedor: Ana, Eva\nH10=60\nD12=Total Geral\nH12=60\n");

    // Every mailed workbook is gone; the client without an address left no statement behind.
    EXPECT_TRUE(apoio::Ficheiros(pasta / "log").empty());
    EXPECT_EQ(t->Contar("c.Terceiro='C1'"), 1);
    EXPECT_EQ(t->Contar("c.Terceiro='C2'"), 0);
    EXPECT_EQ(t->Contar("c.Terceiro='C4'"), 1);
    EXPECT_EQ(t->ctx.Assunto, "Mapas");  // the clients' subject is their messages' own
    EXPECT_TRUE(t->frente.linhas.empty());
    EXPECT_EQ(t->frente.passagens, 2);  // once before each mail
}

TEST_F(SemanalCorreio, CorreioRecusadoDeixaOLivroEAcabaACorrida)
{
    apoio::OpcoesSmtp opcoes;
    opcoes.recusar = {"c1@cli.pt", "ana@emp.pt", "nove@emp.pt"};  // every recipient of C1's message
    apoio::ServidorSmtp smtp(opcoes);
    EXPECT_THROW(correr(smtp), Erro);
    EXPECT_TRUE(smtp.Mensagens().empty());  // C3 is never reached
    EXPECT_EQ(apoio::Ficheiros(pasta / "log"),
              std::vector<std::string>{"20261207230459-" + std::to_string(getpid()) + "_Enc_C1.xlsx"});
}

TEST_F(SemanalCorreio, CodigoDeClienteComBarraNaoMudaDePasta)
{
    emp.Cliente("C/5", "Com barra", "c5@cli.pt");
    emp.EncomendaCliente(5, "2026-11-05", "C/5", "V1", {{"A1", 1, 10, "V1"}});
    apoio::ServidorSmtp smtp;
    correr(smtp);
    const auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 3u);
    const auto m = apoio::LerCorreio(recebidas[0].dados);  // "C/5" comes before "C1"
    ASSERT_EQ(m.anexos.size(), 1u);
    EXPECT_EQ(m.anexos[0].nome, "20261207230459_Enc_C_5.xlsx");
    EXPECT_TRUE(apoio::Ficheiros(pasta / "log").empty());
}

TEST_F(SemanalCorreio, ClienteQueFalhaNaoCustaOsAnterioresDoLote)
{
    // C3's line overflows the currency: reading C3 fails after C1 was read in the same batch.
    emp.EncomendaCliente(6, "2026-11-06", "C3", "V3", {{"A1", 1, 1e18, "V3"}});
    apoio::ServidorSmtp smtp;
    EXPECT_THROW(correr(smtp), Erro);
    const auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 1u);
    EXPECT_EQ(recebidas[0].para.front(), "c1@cli.pt");
    EXPECT_EQ(t->ctx.PassoActual, IdentidadeLivro::Cliente("C3").Descricao());
    EXPECT_TRUE(apoio::Ficheiros(pasta / "log").empty());
}
