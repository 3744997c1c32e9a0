// The built program in the weekly automatic mode ("/3S"): parameter file in the base folder, a
// company database, mail to a real SMTP server on loopback, the workbook read back by openpyxl.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "../fornecedor/EmpresaEncomendas.h"
#include "ServidorSmtp.h"

using teste::EmpresaEncomendas;

TEST(ProgramaSemanal, CorridaSemanalAutomaticaEnviaEApagaOLivro)
{
    apoio::PastaTemporaria base;
    std::filesystem::create_directories(base / "dorvam");
    std::filesystem::create_directories(base / "log");
    {
        EmpresaEncomendas emp(base / "dorvam/emp.db");
        emp.Executar("INSERT INTO EMPRESA VALUES ('Empresa Um','500000000')");
        emp.Vendedor("V1", "Ana");
        emp.Cliente("C1", "Cliente Um", "c1@cli.pt");
        emp.Cliente("C2", "Sem endereço", "");
        emp.Artigo("A1", "Parafuso");
        emp.Artigo("A2", "Porca");
        emp.Stock("A1", "001", 100);
        emp.EncomendaFornecedor(9, "2026-11-01", {{"A2", 5}}, "Semana 2");
        emp.EncomendaCliente(1, "2026-11-01", "C1", "V1", {{"A1", 2, 20, "V1"}, {"A2", 1, 7.5, "V1"}});
        emp.EncomendaCliente(2, "2026-11-02", "C2", "V1", {{"A1", 1, 10, "V1"}});
        emp.Fechar();
    }
    apoio::ServidorSmtp smtp;
    apoio::EscreverBytes(base / "dorvam/MapaEncSemana.qel",
                         "[EMPRESAS]\r\nEMP1\r\n[FIM]\r\n"
                         "[EMP1]\r\nMotor=SQLite\r\nEmpresa=emp.db\r\nDestinoVnd=V1,ana@emp.pt\r\n"
                         "[email]\r\nAssunto=Mapas\r\n"
                         "[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" +
                             smtp.ChavesIni() + "[Log]\r\nDirectoria=" + base / "log" + "\r\n");

    const auto r = apoio::Executar({apoio::Programa(), "/3S"},
                                   {{"QUORVELANTI_PASTA_BASE", base.Caminho()}, {"QUORVELANTI_DATA", "2026-12-07"}});
    ASSERT_EQ(r.estado, 0) << r.saida << r.erros;
    EXPECT_EQ(r.saida, "Emissão Mapas\nExtrair Mapas EMP1\nEmissão Mapas terminada\n");

    const auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 1u);
    const auto m = apoio::LerCorreio(recebidas[0].dados);
    EXPECT_EQ(m.Cabecalho("Subject"), "Encomendas Pendentes (07-12-2026) ");
    EXPECT_EQ(m.Enderecos("To"), std::vector<std::string>{"c1@cli.pt"});
    EXPECT_EQ(m.Enderecos("Cc"), std::vector<std::string>{"ana@emp.pt"});
    ASSERT_EQ(m.anexos.size(), 1u);
    EXPECT_TRUE(std::regex_match(m.anexos[0].nome, std::regex("20261207[0-9]{6}_Enc_C1\\.xlsx"))) << m.anexos[0].nome;

    // Only the day's log and the delivery ledger are left in the folder: the mailed workbook is gone.
    EXPECT_EQ(apoio::Ficheiros(base / "log"), (std::vector<std::string>{"ENTREGAS_MAPAS.txt", "LOG_MAPAS20261207.txt"}));

    apoio::EscreverBytes(base / "anexo.xlsx", m.anexos[0].bytes);
    EXPECT_EQ(teste::CelulasLivro(base / "anexo.xlsx", "A1,A2,A3,A4,A6,I6,A7,D7,I7,D8,I8,D9,H9,D10,D11,H11"),
              "Enc. Pendentes\n"
              "A1=Encomendas Pendentes\nA2=Cliente: C1\nA3=Nome Cliente: Cliente Um\nA4=Nome Vendedor: Ana\n"
              "A6=Id.Doc.\nI6=Data Prev.\nA7=ECL/A/1/2026\nD7=Parafuso\nI7=Imediata\nD8=Porca\nI8=Semana 2\n"
              "D9=Total Encomenda\nH9=27.5\nD10=\nD11=Total Geral\nH11=27.5\n");
}
