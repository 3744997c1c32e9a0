// The daily statements compared with their expected texts, fragment by fragment, for a
// company with carriage groups, one without, and the special company (groups set but unused).
#include <gtest/gtest.h>

#include <functional>

#include "ContextoTeste.h"
#include "reports/daily/EncomendasDia.h"
#include "reports/daily/EncomendasPendentes.h"
#include "reports/daily/VendasDia.h"
#include "reports/daily/VendasMesCliente.h"

namespace {

struct Caso {
    const char* nome;
    const char* grupos;
    bool especial;
    bool comClausula;
};

void PrintTo(const Caso& caso, std::ostream* os) { *os << caso.nome; }

class ConsultasDiarias : public ::testing::TestWithParam<Caso> {
protected:
    void SetUp() override
    {
        t.ctx.Empresa->Definicoes.GrupoPortes = GetParam().grupos;
        t.ctx.Empresa->EmpresaEspecial = GetParam().especial;
    }
    // The expected group piece at a marked place.
    std::string portes(const std::string& abertura) const
    {
        return GetParam().comClausula ? abertura + GetParam().grupos + ")) " : "";
    }
    diario::ContextoTeste t;
};

TEST_P(ConsultasDiarias, EncomendasDiaDetalhe)
{
    const std::string esperado = std::string(
        " SELECT     c.TPDOC+'/'+c.SERIE+'/'+"
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)) as 'Id.Doc.',"
        " l.VENDEDOR as 'Vendedor', v.NOME as 'Nome Vendedor',"
        " convert(nvarchar(10),l.DATA,105) as 'Data Entrega', c.terceiro as Cliente,cl.Nome as 'Nome Cliente',"
        " l.ARTIGO as 'Artigo',a.Nome as 'Designação Artigo',"
        " l.PrUnit as 'Pr.Unit.Venda',"
        " l.QTDORIG as 'Quantidade',l.ValorO as 'Valor Venda' "
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " INNER JOIN Clientes as cl ON cl.Codigo=c.Terceiro"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " Where (c.AREAG = 2) And (c.TPTERC = 2)"
        " AND (l.ARTIGO > '') ")
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0) and l.ValorO>0 "
        " and nvias<>-1"
        " and c.DATA = CONVERT(DATETIME, '" "2026-12-07" "', 102)"
        " and c.Serie <>'0' "
        " Order by c.Data";
    EXPECT_EQ(quorvelanti::SqlEncDiaDetalhe(t.ctx, "2026-12-07"), esperado);
}

TEST_P(ConsultasDiarias, EncomendasDiaResumoDiaEMes)
{
    const std::string dia = std::string(
        " SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',"
        " count( Distinct c.TPDOC+'/'+c.SERIE+'/'+  cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)))  as 'No.Encomendas',"
        " sum(l.valorO) as 'Valor Venda' "
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " Where (c.AREAG = 2) And (c.TPTERC = 2)"
        " AND (l.ARTIGO > '') ")
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0) and l.ValorO>0"
        " and nvias<>-1"
        " and c.DATA = CONVERT(DATETIME, '" "2026-03-01" "', 102)"
        " and c.Serie <>'0' "
        " group by l.vendedor,v.nome";
    EXPECT_EQ(quorvelanti::SqlEncDiaResumoDia(t.ctx, "2026-03-01"), dia);

    // Month and year as plain integers: no leading zero for March.
    const std::string mes = std::string(
        " SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',"
        " count( Distinct c.TPDOC+'/'+c.SERIE+'/'+  cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))) as 'No.Encomendas',"
        " sum(l.valorO) as 'Valor Venda'"
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " Where (c.AREAG = 2) And (c.TPTERC = 2)"
        " AND (l.ARTIGO > '') ")
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0) and l.ValorO>0 "
        " and nvias<>-1"
        " and year(c.DATA) = " "2026" " and month(c.data)=" "3"
        " group by l.vendedor,v.nome";
    EXPECT_EQ(quorvelanti::SqlEncDiaResumoMes(t.ctx, 2026, 3), mes);
}

TEST_P(ConsultasDiarias, VendasDiaDetalhe)
{
    const std::string esperado = std::string(
        " SELECT     c.TPDOC+'/'+c.SERIE+'/'+"
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)) as 'Id.Doc.',"
        " l.VENDEDOR as 'Vendedor', v.NOME as 'Nome Vendedor',"
        " c.terceiro as Cliente,cl.Nome as 'Nome Cliente',"
        " l.ARTIGO as 'Artigo',a.Nome as 'Designação Artigo',"
        " l.Quant as 'Quantidade',"
        " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk)/l.Quant as 'Pr.Unit.Custo',"
        " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) as 'Valor Custo',"
        " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.PRUNIT ) as 'Pr.Unit.Venda',"
        " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor) as 'Valor Venda' ,"
        " case"
        " when ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor)<>0 Then"
        " round((((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR )-((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) )/((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor) *100,2)"
        " Else"
        " 100 End as 'Mrg %'"
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " INNER JOIN Clientes as cl ON cl.Codigo=c.Terceiro"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " Where (AREAG = 4) And (TPTERC = 2) And (NATCONTA = 1)"
        " AND (l.ARTIGO > '') ")
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0)"
        " and nvias<>-1 and  (l.QUANT*l.PrUnit <>0  OR l.quant*l.vlmovstk <>0)"
        " and c.DATA = CONVERT(DATETIME, '" "2026-12-07" "', 102)"
        " Order by l.Vendedor";
    EXPECT_EQ(quorvelanti::SqlVendasDiaDetalhe(t.ctx, "2026-12-07"), esperado);
}

// The summary shape with its three date conditions; each sub-query written out in full.
std::string vendasResumo(const std::function<std::string(const std::string&)>& portes,
                         const std::string& condicao, const std::string& condicaoSub)
{
    return std::string(
        " SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',"
        " count( Distinct c.TPDOC+'/'+c.SERIE+'/'+  cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))) as 'No.Vendas',"
        " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) as 'Valor Custo', "
        " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR) as 'Valor Venda',"
        " coalesce (("
        " SELECT "
        " Sum ((Abs(cab.TPTERC - cab.SINALCT) * 2 - 1) * lin.valor)"
        " FROM       DOCGCCAB as cab INNER JOIN DOCGCLIN as lin"
        " ON cab.NNUMDOC = lin.NNUMDOC AND cab.TPDOC = lin.TPDOCUM AND cab.SERIE = lin.SERIE AND cab.ANO = lin.ANO"
        " INNER JOIN ARTIGOS as ar ON lin.ARTIGO = ar.CODIGO"
        " where (cab.AREAG = 4) AND (cab.TPTERC  = 2) AND (cab.NATCONTA = 1) AND (lin.ARTIGO > '')")
        + portes(" AND (ar.Grupo Not IN (") +
        " AND (ar.INACTIVO = 0) and cab.nvias<>-1"
        + condicaoSub +
        " and ar.artoudes=-1"
        " and lin.vendedor=l.vendedor"
        " ),0) as ValorDescritores ,"
        " coalesce (("
        " SELECT "
        " Sum ((Abs(cab.TPTERC - cab.SINALCT) * 2 - 1) * lin.valor)"
        " FROM       DOCGCCAB as cab INNER JOIN DOCGCLIN as lin"
        " ON cab.NNUMDOC = lin.NNUMDOC AND cab.TPDOC = lin.TPDOCUM AND cab.SERIE = lin.SERIE AND cab.ANO = lin.ANO"
        " INNER JOIN ARTIGOS as ar ON lin.ARTIGO = ar.CODIGO"
        " where (cab.AREAG = 4) AND (cab.TPTERC  = 2) AND (cab.NATCONTA = 1) AND (lin.ARTIGO > '')"
        + portes(" AND (ar.Grupo IN (") +
        " AND (ar.INACTIVO = 0) and cab.nvias<>-1"
        + condicaoSub +
        " and ar.artoudes=-1"
        " and lin.vendedor=l.vendedor"
        " ),0) as ValorPortes ,"
        " case when SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor)<>0 Then"
        " round((SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR )-SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) )/SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor) *100,2)"
        " Else 100 End as 'Mrg %',"
        " 100 as 'Mrg Desc'"
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " where (c.AREAG = 4) AND (c.TPTERC  = 2) AND (c.NATCONTA = 1)"
        " AND (l.ARTIGO > '') "
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0)"
        " and c.nvias<>-1 and a.artoudes<>-1 "
        + condicao +
        " group by l.vendedor,v.nome";
}

TEST_P(ConsultasDiarias, VendasDiaResumoDiaEMes)
{
    auto p = [this](const std::string& abertura) { return portes(abertura); };
    EXPECT_EQ(quorvelanti::SqlVendasDiaResumoDia(t.ctx, "2026-12-07"),
              vendasResumo(p, " and c.DATA = CONVERT(DATETIME, '2026-12-07', 102)",
                           " and cab.DATA = CONVERT(DATETIME, '2026-12-07', 102)"));
    EXPECT_EQ(quorvelanti::SqlVendasDiaResumoMes(t.ctx, 2026, 12),
              vendasResumo(p, " and year(c.DATA) = 2026 and month(c.data)=12",
                           " and year(cab.DATA) = 2026 and month(cab.data)=12"));
}

TEST_P(ConsultasDiarias, VendasMesCliente)
{
    const std::string esperado = std::string(
        " SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor', c.terceiro as Cliente,cl.Nome as NomeCliente,"
        " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR) as 'Valor Venda'"
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " Inner Join Clientes as cl ON cl.CODIGO =c.Terceiro"
        " where (c.AREAG = 4) AND (c.TPTERC  = 2) AND (c.NATCONTA = 1)"
        " AND (l.ARTIGO > '') ")
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0)"
        " and c.nvias<>-1 "
        " and c.Ano = " "2027" " and month(c.data)=" "1" " "
        " group by l.vendedor,v.nome,c.TERCEIRO,cl.NOME"
        " order by l.vendedor,c.Terceiro";
    EXPECT_EQ(quorvelanti::SqlVendasMesCliente(t.ctx, 2027, 1), esperado);
}

TEST_P(ConsultasDiarias, EncomendasPendentes)
{
    const std::string resumo = std::string(
        "SELECT l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',   count( Distinct c.TPDOC+'/'+c.SERIE +'/'+"
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)) )  as 'No.Enc',"
        " sum(l.valor) as 'Valor Pendente'"
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " Where (c.AREAG = 2) And (c.TPTERC = 2) And (l.QUANT > 0)"
        " AND (l.ARTIGO > '') ")
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0)"
        " and c.[convert]=0 and nvias<>-1 and l.VALOR >0"
        " and (c.DATA >= CONVERT(DATETIME, '2020-06-01 00:00:00', 102))"
        " and c.Serie <>'0' "
        " group by l.VENDEDOR,v.NOME"
        " order by v.Nome";
    EXPECT_EQ(quorvelanti::SqlEncPendentesResumo(t.ctx), resumo);

    const std::string condicoesB = std::string(
        " FROM       DOCGCCAB as c"
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
        " INNER JOIN Clientes as cl ON cl.Codigo=c.Terceiro"
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
        " Where (c.AREAG = 2) And (c.TPTERC = 2) And (l.QUANT > 0)"
        " AND (l.ARTIGO > '') ")
        + portes(" AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0)"
        " and c.[convert]=0 and nvias<>-1 and l.VALOR >0"
        " and (c.DATA >= CONVERT(DATETIME, '2020-06-01 00:00:00', 102))"
        " and c.Serie <>'0' ";
    const std::string detalhe = std::string(
        " SELECT   c.TPDOC+'/'+c.SERIE +'/'+"
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))as 'Id. Doc.',"
        " convert(nvarchar(10),c.DATA,105) as 'Data Doc.',c.TERCEIRO as 'Cliente',cl.Nome as 'Nome Cliente',"
        " l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',  sum(l.valor) as 'Valor Pendente'")
        + condicoesB +
        " group by c.TPDOC+'/'+c.SERIE+'/'+"
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)),c.DATA,c.TERCEIRO ,cl.Nome ,l.VENDEDOR,v.NOME"
        " order by c.Data,'Id. Doc.'";
    EXPECT_EQ(quorvelanti::SqlEncPendentesDetalhe(t.ctx), detalhe);

    const std::string linhas = std::string(
        " SELECT   c.TPDOC+'/'+c.SERIE+'/'+"
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))as 'Id. Doc.',"
        " convert(nvarchar(10),c.DATA,105) as 'Data Doc.',c.TERCEIRO as 'Cliente',cl.Nome as 'Nome Cliente',"
        " l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',"
        " l.ARTIGO as 'Artigo',a.Nome as 'Designação Artigo',"
        " l.Quant as 'Quantidade',l.PrUnit as 'Pr.Unit.Venda',(l.valor) as 'Valor Pendente'")
        + condicoesB +
        " order by c.Data,'Id. Doc.'";
    EXPECT_EQ(quorvelanti::SqlEncPendentesLinhas(t.ctx), linhas);
}

INSTANTIATE_TEST_SUITE_P(Empresas, ConsultasDiarias,
                         ::testing::Values(Caso{"ComGrupos", "'PT', 'TR'", false, true},
                                           Caso{"SemGrupos", "", false, false},
                                           Caso{"EmpresaEspecial", "'PT', 'TR'", true, false}),
                         [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
