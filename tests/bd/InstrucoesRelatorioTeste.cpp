// Whole report statements, as the reports build them for SQL Server, run on an embedded company.
#include <gtest/gtest.h>

#include "Apoio.h"
#include "EmpresaTeste.h"
#include "components/database/LigacaoBD.h"

using namespace quorvelanti;

namespace {

class InstrucoesRelatorio : public ::testing::Test {
protected:
    void SetUp() override
    {
        apoio::EmpresaTeste emp(pasta_ / "e.db");
        emp.Executar(
            "INSERT INTO VENDEDOR VALUES ('V1','Ana');"
            "INSERT INTO Clientes VALUES ('C1','Cliente Um','c1@x'),('C2','Cliente Dois','');"
            "INSERT INTO ARTIGOS VALUES ('A1','Parafuso','G1',0,0),('A2','Portes','PT',0,-1),('A3','Velho','G1',1,0);"
            // Two orders (one with two lines), one order of series 0, and one from before June 2020.
            "INSERT INTO DOCGCCAB VALUES "
            "('ENC','A',12,2024,'2024-05-03 00:00:00',2,2,1,1,'C1','V1',1,0),"
            "('ENC','A',13,2024,'2024-05-02 00:00:00',2,2,1,1,'C2','V9',1,0),"
            "('ENC','0',14,2024,'2024-05-03 00:00:00',2,2,1,1,'C1','V1',1,0),"
            "('ENC','A',1,2020,'2020-05-31 00:00:00',2,2,1,1,'C1','V1',1,0),"
            "('FAC','A',5,2024,'2024-05-03 00:00:00',4,2,1,1,'C1','V1',1,0),"
            "('NC','A',6,2024,'2024-05-03 00:00:00',4,2,1,2,'C1','V1',1,0);"
            "INSERT INTO DOCGCLIN (TPDOCUM,SERIE,NNUMDOC,ANO,NUMLINHA,ARTIGO,VENDEDOR,DATA,QTDORIG,QUANT,PRUNIT,"
            "VALOR,ValorO,VlMovstk,LINANU) VALUES "
            "('ENC','A',12,2024,1,'A1','V1','2024-05-10 00:00:00',2,2,1.5,3,3,1,0),"
            "('ENC','A',12,2024,2,'A1','V1','2024-05-10 00:00:00',1,1,2.25,2.25,2.25,1,0),"
            "('ENC','A',13,2024,1,'A1','V9','2024-05-11 00:00:00',4,4,1,4,4,1,0),"
            "('ENC','A',13,2024,2,'A3','V9','2024-05-11 00:00:00',4,4,1,4,4,1,0),"
            "('ENC','0',14,2024,1,'A1','V1','2024-05-10 00:00:00',1,1,1,1,1,1,0),"
            "('ENC','A',1,2020,1,'A1','V1','2020-06-10 00:00:00',1,1,1,1,1,1,0),"
            "('FAC','A',5,2024,1,'A1','V1',NULL,10,10,2,20,0,12,0),"
            "('FAC','A',5,2024,2,'A2','V1',NULL,1,1,5,5,0,0,0),"
            "('NC','A',6,2024,1,'A1','V1',NULL,1,1,2,2,0,1.5,0);");
        emp.Fechar();
        ligacao_.AbrirLigacao("Motor=SQLite;Database={" + pasta_ / "e.db" + "}");
    }

    apoio::PastaTemporaria pasta_;
    LigacaoBD ligacao_;
};

TEST_F(InstrucoesRelatorio, EncomendasPendentesUmaLinhaPorDocumento)
{
    const std::string sql =
        std::string(" SELECT   c.TPDOC+'/'+c.SERIE +'/'+") +
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))as 'Id. Doc.'," +
        " convert(nvarchar(10),c.DATA,105) as 'Data Doc.',c.TERCEIRO as 'Cliente',cl.Nome as 'Nome Cliente'," +
        " l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',  sum(l.valor) as 'Valor Pendente'" +
        " FROM       DOCGCCAB as c" +
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM" +
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO" + " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO" +
        " INNER JOIN Clientes as cl ON cl.Codigo=c.Terceiro" + " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR" +
        " Where (c.AREAG = 2) And (c.TPTERC = 2) And (l.QUANT > 0)" + " AND (l.ARTIGO > '') " +
        " AND (a.Grupo Not IN ('PT')) " + " AND (a.INACTIVO = 0)" +
        " and c.[convert]=0 and nvias<>-1 and l.VALOR >0" +
        " and (c.DATA >= CONVERT(DATETIME, '2020-06-01 00:00:00', 102))" + " and c.Serie <>'0' " +
        " group by c.TPDOC+'/'+c.SERIE+'/'+" +
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)),c.DATA,c.TERCEIRO ,cl.Nome ,l.VENDEDOR,v.NOME" +
        " order by c.Data,'Id. Doc.'";
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta(sql, rs);
    ASSERT_EQ(rs.NumeroCampos(), 7u);
    EXPECT_EQ(rs.CampoEm(0).nome, "Id. Doc.");
    EXPECT_EQ(rs.CampoEm(1).nome, "Data Doc.");
    EXPECT_EQ(rs.CampoEm(6).nome, "Valor Pendente");
    ASSERT_EQ(rs.ContarRegistos(), 2);
    rs.MoverPrimeiro();  // ordered by date: ENC/A/13 first
    EXPECT_EQ(rs.Texto("Id. Doc."), "ENC/A/13/2024");
    EXPECT_EQ(rs.Texto("Data Doc."), "02-05-2024");
    EXPECT_EQ(rs.Texto("Nome Vendedor"), "");  // V9 has no VENDEDOR row
    EXPECT_EQ(rs.ComoMoeda("Valor Pendente"), Moeda::DeUnidades(4));  // the inactive article left out
    rs.MoverSeguinte();
    EXPECT_EQ(rs.Texto("Id. Doc."), "ENC/A/12/2024");
    EXPECT_EQ(rs.ComoMoeda("Valor Pendente"), Moeda::DeTexto("5.25"));
}

TEST_F(InstrucoesRelatorio, ResumoDeVendasDoDiaComSinalESubconsultas)
{
    auto subconsulta = [](const std::string& grupo) {
        return std::string(" coalesce ((") + " SELECT " +
               " Sum ((Abs(cab.TPTERC - cab.SINALCT) * 2 - 1) * lin.valor)" +
               " FROM       DOCGCCAB as cab INNER JOIN DOCGCLIN as lin" +
               " ON cab.NNUMDOC = lin.NNUMDOC AND cab.TPDOC = lin.TPDOCUM AND cab.SERIE = lin.SERIE AND cab.ANO = lin.ANO" +
               " INNER JOIN ARTIGOS as ar ON lin.ARTIGO = ar.CODIGO" +
               " where (cab.AREAG = 4) AND (cab.TPTERC  = 2) AND (cab.NATCONTA = 1) AND (lin.ARTIGO > '')" + grupo +
               " AND (ar.INACTIVO = 0) and cab.nvias<>-1" +
               " and cab.DATA = CONVERT(DATETIME, '2024-05-03', 102)" + " and ar.artoudes=-1" +
               " and lin.vendedor=l.vendedor";
    };
    const std::string sql =
        std::string(" SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',") +
        " count( Distinct c.TPDOC+'/'+c.SERIE+'/'+  cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))) as 'No.Vendas'," +
        " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) as 'Valor Custo', " +
        " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR) as 'Valor Venda'," +
        subconsulta(" AND (ar.Grupo Not IN ('PT')) ") + " ),0) as ValorDescritores ," +
        subconsulta(" AND (ar.Grupo IN ('PT')) ") + " ),0) as ValorPortes ," +
        " case when SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor)<>0 Then" +
        " round((SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR )-SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) )/SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor) *100,2)" +
        " Else 100 End as 'Mrg %'," + " 100 as 'Mrg Desc'" + " FROM       DOCGCCAB as c" +
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM" +
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO" + " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO" +
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR" +
        " where (c.AREAG = 4) AND (c.TPTERC  = 2) AND (c.NATCONTA = 1)" + " AND (l.ARTIGO > '') " +
        " AND (a.Grupo Not IN ('PT')) " + " AND (a.INACTIVO = 0)" + " and c.nvias<>-1 and a.artoudes<>-1 " +
        " and c.DATA = CONVERT(DATETIME, '2024-05-03', 102)" + " group by l.vendedor,v.nome";
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta(sql, rs);
    ASSERT_EQ(rs.ContarRegistos(), 1);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("Vendedor"), "V1");
    EXPECT_EQ(rs.Texto("No.Vendas"), "2");
    EXPECT_EQ(ValorComoMoeda(rs.ValorDe("Valor Custo")), Moeda::DeTexto("10.5"));  // 12 - 1.5
    EXPECT_EQ(ValorComoMoeda(rs.ValorDe("Valor Venda")), Moeda::DeUnidades(18));   // 20 - 2
    EXPECT_EQ(ValorComoMoeda(rs.ValorDe("ValorDescritores")), Moeda::DeUnidades(0));
    EXPECT_EQ(ValorComoMoeda(rs.ValorDe("ValorPortes")), Moeda::DeUnidades(5));
    // (18 - 10.5) / 18 * 100 = 41.67: an integer division would give 0.
    EXPECT_EQ(ValorComoMoeda(rs.ValorDe("Mrg %")), Moeda::DeTexto("41.67"));
    EXPECT_EQ(rs.Texto("Mrg Desc"), "100");
}

TEST_F(InstrucoesRelatorio, EmpresaComPrefixoDbo)
{
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT NOME, NumContr FROM dbo.EMPRESA", rs);
    EXPECT_EQ(rs.ContarRegistos(), 0);
    EXPECT_EQ(rs.CampoEm(1).nome, "NumContr");
    EXPECT_EQ(rs.CampoEm(1).tamanho, 20);
}

}  // namespace
