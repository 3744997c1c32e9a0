// The built program in the daily automatic mode ("/S"): the purchasing desk's workbook of
// client-supplier orders, mailed to a real SMTP server on loopback, except for the special company.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "EmpresaEncomendas.h"
#include "ServidorSmtp.h"

using teste::EmpresaEncomendas;

namespace {

void empresa(const std::string& caminho, const std::string& numContr)
{
    EmpresaEncomendas emp(caminho);
    emp.Executar("INSERT INTO EMPRESA VALUES ('Empresa','" + numContr + "')");
    emp.Vendedor("V1", "Ana");
    emp.Cliente("C1", "Cliente Um", "c1@cli.pt");
    emp.Artigo("A1", "Parafuso");
    emp.Artigo("A2", "Porca");
    emp.Stock("A1", "001", 5);
    emp.EncomendaFornecedor(9, "2026-11-01", {{"A2", 5}}, "Semana 2");
    emp.EncomendaCliente(1, "2026-12-01", "C1", "V1", {{"A1", 4}});
    emp.EncomendaCliente(2, "2026-12-02", "C1", "V1", {{"A2", 3}});
    emp.EncomendaCliente(3, "2026-12-03", "C1", "V1", {{"A1", 4}});
    emp.EncomendaCliente(4, "2026-12-04", "C1", "V1", {{"A2", 3}});
    emp.Fechar();
}

std::string seccao(const std::string& nome, const std::string& bd)
{
    return "[" + nome + "]\r\nMotor=SQLite\r\nEmpresa=" + bd + "\r\nDestinoAdm=adm@emp.pt\r\nDestinoEnc=compras@emp.pt\r\n";
}

}  // namespace

TEST(ProgramaDiario, LivroDeComprasEnviadoSalvoAEmpresaEspecial)
{
    apoio::PastaTemporaria base;
    std::filesystem::create_directories(base / "dorvam");
    std::filesystem::create_directories(base / "log");
    empresa(base / "dorvam/emp1.db", "500000000");
    empresa(base / "dorvam/especial.db", "599999990");
    apoio::ServidorSmtp smtp;
    apoio::EscreverBytes(base / "dorvam/Quorvelanti.qel",
                         "[EMPRESAS]\r\nEMP1\r\nESPECIAL\r\n[FIM]\r\n" + seccao("EMP1", "emp1.db") +
                             seccao("ESPECIAL", "especial.db") + "[email]\r\nAssunto=Mapas\r\n" +
                             "[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni() +
                             "[Log]\r\nDirectoria=" + base / "log" + "\r\n");

    const auto r = apoio::Executar({apoio::Programa(), "/S"}, {{"QUORVELANTI_PASTA_BASE", base.Caminho()},
                                                               {"QUORVELANTI_DATA", "2026-12-07"},
                                                               {"QUORVELANTI_TRACE_SQL", base / "sql.txt"}});
    ASSERT_EQ(r.estado, 0) << r.saida << r.erros;

    std::map<std::string, apoio::CorreioLido> compras;  // by subject
    for (const auto& recebida : smtp.Mensagens()) {
        auto m = apoio::LerCorreio(recebida.dados);
        if (m.Enderecos("To") == std::vector<std::string>{"compras@emp.pt"}) compras.emplace(m.Cabecalho("Subject"), m);
    }
    ASSERT_EQ(compras.size(), 1u);  // none for the special company
    const auto& m = compras.begin()->second;
    EXPECT_EQ(compras.begin()->first, "Mapas (07-12-2026) - EMP1");
    EXPECT_TRUE(m.Enderecos("Cc").empty());
    EXPECT_NE(m.corpo.find("Informação relativa às Encomendas em 07-12-2026 - EMP1"), std::string::npos);
    ASSERT_EQ(m.anexos.size(), 1u);
    EXPECT_NE(m.anexos[0].nome.find("_Enc_EMP1.xlsx"), std::string::npos) << m.anexos[0].nome;
    EXPECT_EQ(apoio::Ficheiros(base / "log"), (std::vector<std::string>{"ENTREGAS_MAPAS.txt", "LOG_MAPAS20261207.txt"}));

    apoio::EscreverBytes(base / "compras.xlsx", m.anexos[0].bytes);
    EXPECT_EQ(teste::CelulasLivro(base / "compras.xlsx", "A3,H3,I3,A4,E4,H4,I4,E5,H5,I5,E6,H6,I6,E7,H7,I7"),
              "Encomendas Cliente_Fornecedor\n"
              "A3=Data\nH3=Disponibilidade\nI3=Prazo Estimado\n"
              "A4= 2026-12-01\nE4=A1\nH4=Em Stock\nI4=Imediata\n"
              "E5=A2\nH5=  3 Enc.For\nI5=Semana 2\n"
              "E6=A1\nH6=1  em Stock \nI6=Imediata\n"
              "E7=A2\nH7=  2  Enc.For\nI7=Semana 2\n");

    // The per-line lookups run once per article: two articles of EMP1; the special company has
    // no client-supplier report at all.
    const std::string sql = apoio::LerBytes(base / "sql.txt");
    auto contar = [&](const std::string& fragmento) {
        int n = 0;
        for (std::size_t p = 0; (p = sql.find(fragmento, p)) != std::string::npos; ++p) ++n;
        return n;
    };
    EXPECT_EQ(contar("as stock  from ARTARM"), 2);
    EXPECT_EQ(contar("SELECT TOP(1) ll.Obs as DataPrev"), 1);  // A1 is always covered by its stock
}
