#include "components/database/ReescritaTsql.h"

#include <gtest/gtest.h>

#include "Apoio.h"
#include "EmpresaTeste.h"
#include "components/database/LigacaoBD.h"
#include "data/Erro.h"

using namespace quorvelanti;

namespace {

std::string R(const std::string& tsql) { return ReescritaTsql::Reescrever(tsql); }

TEST(ReescritaTsql, ConvertDeDataLiteralDaTextoComHora)
{
    EXPECT_EQ(R("c.DATA = CONVERT(DATETIME, '2024-05-03', 102)"), "c.DATA = '2024-05-03 00:00:00'");
    EXPECT_EQ(R("c.DATA >= CONVERT(DATETIME, '2020-06-01 00:00:00', 102)"), "c.DATA >= '2020-06-01 00:00:00'");
    EXPECT_EQ(R("convert(datetime,'2024.12.31 23:04:05',102)"), "'2024-12-31 23:04:05'");
    EXPECT_THROW(R("CONVERT(DATETIME, '31-12-2024', 102)"), Erro);  // day first is not style 102
    EXPECT_THROW(R("CONVERT(DATETIME, '2024-02-30', 102)"), Erro);
}

TEST(ReescritaTsql, ConvertParaTextoComEstilo)
{
    EXPECT_EQ(R("convert(nvarchar(10),l.DATA,105) as 'Data Entrega'"),
              "strftime('%d-%m-%Y', l.DATA) as 'Data Entrega'");
    EXPECT_EQ(R("CONVERT(varchar(10), x, 103)"), "strftime('%d/%m/%Y', x)");
    // SQL Server cuts to the declared length: style 120 in 10 characters is the date alone.
    EXPECT_EQ(R("convert(nvarchar(10), x, 120)"), "substr(strftime('%Y-%m-%d %H:%M:%S', x),1,10)");
    EXPECT_EQ(R("convert(nvarchar(4), x)"), "substr(CAST(x AS TEXT),1,4)");
    EXPECT_EQ(R("convert(int, '12')"), "CAST('12' AS int)");
    EXPECT_THROW(R("convert(nvarchar(10), x, 999)"), Erro);
}

TEST(ReescritaTsql, CastParaTextoCorta)
{
    EXPECT_EQ(R("cast(c.NNumDoc as nvarchar(10))"), "substr(CAST(c.NNumDoc AS TEXT),1,10)");
    EXPECT_EQ(R("CAST( c.Ano as nvarchar(4))"), "substr(CAST(c.Ano AS TEXT),1,4)");
    EXPECT_EQ(R("cast(x as varchar)"), "substr(CAST(x AS TEXT),1,30)");
    EXPECT_EQ(R("cast(x as decimal(18,2))"), "CAST(x AS decimal(18,2))");
}

TEST(ReescritaTsql, MaisComTextoPassaAConcatenacao)
{
    EXPECT_EQ(R("c.TPDOC+'/'+c.SERIE"), "c.TPDOC||'/'||c.SERIE");
    EXPECT_EQ(R("c.TPDOC+'/'+ cast(c.Ano as nvarchar(4))as 'Id'"),
              "c.TPDOC||'/'|| substr(CAST(c.Ano AS TEXT),1,4)as 'Id'");
    // A text cast alone makes the chain a text chain.
    EXPECT_EQ(R("cast(a as nvarchar(2))+b"), "substr(CAST(a AS TEXT),1,2)||b");
    // Numbers stay numbers.
    EXPECT_EQ(R("l.QUANT + l.VALOR"), "l.QUANT + l.VALOR");
    EXPECT_EQ(R("sum(l.a) + 1"), "sum(l.a) + 1");
    // || binds tighter than * in SQLite: a product keeps its own parentheses.
    EXPECT_EQ(R("'x' + a*b"), "'x' || (a*b)");
    // Each level of parentheses on its own; a text group counts as text.
    EXPECT_EQ(R("('a'+b)+c"), "('a'||b)||c");
    EXPECT_EQ(R("count( Distinct c.T+'/'+c.S)"), "count( Distinct c.T||'/'||c.S)");
    // Comparisons and keywords end a chain.
    EXPECT_EQ(R("a+'x' = b+1 AND c+d"), "a||'x' = b+1 AND c+d");
}

TEST(ReescritaTsql, TopPassaALimitNoFimDoSeuNivel)
{
    EXPECT_EQ(R("SELECT TOP(1) a FROM t ORDER BY a DESC"), "SELECT a FROM t ORDER BY a COLLATE PORTUGUES DESC LIMIT 1");
    EXPECT_EQ(R(" SELECT TOP 5 a FROM t;"), " SELECT a FROM t LIMIT 5;");
    EXPECT_EQ(R("SELECT DISTINCT TOP (2) a FROM t"), "SELECT DISTINCT a FROM t LIMIT 2");
    EXPECT_EQ(R("SELECT x, (SELECT TOP 1 y FROM u) as z FROM t"), "SELECT x, (SELECT y FROM u LIMIT 1) as z FROM t");
    EXPECT_THROW(R("SELECT TOP 10 PERCENT a FROM t"), Erro);
}

TEST(ReescritaTsql, AliasCitadoEmOrderByPassaAIdentificadorECadaTermoTemAColacao)
{
    EXPECT_EQ(R("order by c.Data,'Id. Doc.'"), "order by c.Data COLLATE PORTUGUES,\"Id. Doc.\" COLLATE PORTUGUES");
    EXPECT_EQ(R("ORDER BY 'a''b' DESC, x"), "ORDER BY \"a'b\" COLLATE PORTUGUES DESC, x COLLATE PORTUGUES");
    // Texts that are values stay values.
    EXPECT_EQ(R("ORDER BY CASE WHEN x='a' THEN 1 END"), "ORDER BY CASE WHEN x='a' THEN 1 END COLLATE PORTUGUES");
    EXPECT_EQ(R("SELECT 'Id. Doc.' as x"), "SELECT 'Id. Doc.' as x");
}

TEST(ReescritaTsql, FuncoesDeDataEPrefixoDbo)
{
    EXPECT_EQ(R("year(c.DATA) = 2024 and month(c.data)=5"),
              "CAST(strftime('%Y', c.DATA) AS INTEGER) = 2024 and CAST(strftime('%m', c.data) AS INTEGER)=5");
    EXPECT_EQ(R("SELECT NOME FROM dbo.EMPRESA"), "SELECT NOME FROM EMPRESA");
    EXPECT_EQ(R("SELECT c.year FROM t as c"), "SELECT c.year FROM t as c");
}

TEST(ReescritaTsql, DivisaoNuncaInteira)
{
    EXPECT_EQ(R("a/b"), "a*1.0/b");
    EXPECT_EQ(R("round((x-y)/(z) *100,2)"), "round((x-y)*1.0/(z) *100,2)");
}

TEST(ReescritaTsql, TextoCitadoEComentariosIntactos)
{
    EXPECT_EQ(R("SELECT 'a+b/c dbo.x TOP 1' as [CONVERT], \"cast(x)\" FROM t"),
              "SELECT 'a+b/c dbo.x TOP 1' as [CONVERT], \"cast(x)\" FROM t");
    EXPECT_EQ(R("c.[convert]=0"), "c.[convert]=0");
    EXPECT_EQ(R("SELECT N'olá' as n"), "SELECT 'olá' as n");
    // The LIMIT goes before a closing line comment, which would swallow it.
    EXPECT_EQ(R("SELECT TOP 1 a FROM t -- fim"), "SELECT a FROM t LIMIT 1 -- fim");
    EXPECT_EQ(R("SELECT a-- x\n-b FROM t"), "SELECT a-- x\n-b FROM t");
    EXPECT_THROW(R("SELECT (a FROM t"), Erro);
}

// The rewritten texts run on SQLite and give what SQL Server gives.
class ReescritaExecutada : public ::testing::Test {
protected:
    void SetUp() override
    {
        apoio::EmpresaTeste emp(pasta_ / "e.db");
        emp.Executar("INSERT INTO DOCGCCAB (TPDOC, SERIE, NNUMDOC, ANO, DATA) VALUES "
                     "('ENC','A',12345,2024,'2024-05-03 00:00:00'), ('ENC','B',7,2024,'2024-04-30 00:00:00');"
                     "INSERT INTO DOCGCLIN (TPDOCUM, QUANT, VlMovstk) VALUES ('ENC', 3, 10), ('ENC', 4, 2);");
        emp.Fechar();
        ligacao_.AbrirLigacao("Motor=SQLite;Database={" + pasta_ / "e.db" + "}");
    }

    std::string Um(const std::string& sql)
    {
        ConjuntoResultados rs;
        ligacao_.AbrirConsulta(sql, rs);
        rs.MoverPrimeiro();
        return rs.FimDados() ? "(nenhuma)" : ValorComoTexto(rs.ValorDe(std::size_t{0}));
    }

    apoio::PastaTemporaria pasta_;
    LigacaoBD ligacao_;
};

TEST_F(ReescritaExecutada, ResultadosComoNoServidor)
{
    EXPECT_EQ(Um("SELECT '12'+'/'+'3' as x"), "12/3");  // SQLite alone: 15
    EXPECT_EQ(Um("SELECT c.TPDOC+'/'+c.SERIE+'/'+cast(c.NNumDoc as nvarchar(3)) as x FROM DOCGCCAB as c "
                 "ORDER BY c.NNUMDOC DESC"),
              "ENC/A/123");
    EXPECT_EQ(Um("SELECT convert(nvarchar(10),c.DATA,105) as x FROM dbo.DOCGCCAB as c WHERE c.SERIE='A'"),
              "03-05-2024");
    EXPECT_EQ(Um("SELECT count(*) as n FROM DOCGCCAB as c WHERE c.DATA = CONVERT(DATETIME, '2024-05-03', 102)"), "1");
    EXPECT_EQ(Um("SELECT count(*) as n FROM DOCGCCAB as c WHERE year(c.DATA) = 2024 and month(c.data)=4"), "1");
    EXPECT_EQ(Um("SELECT sum(l.VlMovstk/l.QUANT) as x FROM DOCGCLIN as l"), "3.83333333333333");
    EXPECT_EQ(Um("SELECT TOP(1) c.SERIE FROM DOCGCCAB as c ORDER BY c.DATA DESC"), "A");
}

// Names sort as on the server, letters before accents and case; numbers still by value.
TEST_F(ReescritaExecutada, OrderByDeNomesComoNoServidor)
{
    const std::string nomes = "SELECT column1 AS n FROM (VALUES ('Zé'), ('ana'), ('Jorge'), ('Bruno'), ('João'), "
                              "(''), ('Álvaro'), (NULL), (10), (9))";
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta(nomes + " ORDER BY n", rs);
    std::vector<std::string> ordem;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) ordem.push_back(rs.Texto("n"));
    EXPECT_EQ(ordem, (std::vector<std::string>{"", "9", "10", "", "Álvaro", "ana", "Bruno", "João", "Jorge", "Zé"}));
    EXPECT_EQ(Um(nomes + " ORDER BY n DESC"), "Zé");
}

TEST_F(ReescritaExecutada, OrderByPeloAliasCitado)
{
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT c.SERIE as 'Id. Doc.', c.NNUMDOC as n FROM DOCGCCAB as c order by 'Id. Doc.' DESC",
                           rs);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("Id. Doc."), "B");  // a constant would leave the rows in table order
}

}  // namespace
