#include "VendasDia.h"

#include "ApoioRelatorio.h"
#include "FusaoDiaMes.h"
#include "data/ConjuntoResultados.h"
#include "reports/ClausulaPortes.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
// The signed value of one sub-query sum: descriptor lines of the salesperson in the period,
// outside the carriage groups (ValorDescritores) or inside them (ValorPortes).
std::string subSoma(const std::string& grupos, const std::string& condicaoSub, const std::string& alias)
{
    // clang-format off
    return std::string(" coalesce ((")
         + " SELECT "
         + " Sum ((Abs(cab.TPTERC - cab.SINALCT) * 2 - 1) * lin.valor)"
         + " FROM       DOCGCCAB as cab INNER JOIN DOCGCLIN as lin"
         + " ON cab.NNUMDOC = lin.NNUMDOC AND cab.TPDOC = lin.TPDOCUM AND cab.SERIE = lin.SERIE AND cab.ANO = lin.ANO"
         + " INNER JOIN ARTIGOS as ar ON lin.ARTIGO = ar.CODIGO"
         + " where (cab.AREAG = 4) AND (cab.TPTERC  = 2) AND (cab.NATCONTA = 1) AND (lin.ARTIGO > '')"
         + grupos
         + " AND (ar.INACTIVO = 0) and cab.nvias<>-1"
         + condicaoSub
         + " and ar.artoudes=-1"
         + " and lin.vendedor=l.vendedor"
         + " ),0) as " + alias + " ,";
    // clang-format on
}

// The day and month statements differ only in their date conditions.
std::string resumo(const ContextoExecucao& ctx, const std::string& condicao, const std::string& condicaoSub)
{
    // clang-format off
    return std::string(" SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',")
         + " count( Distinct c.TPDOC+'/'+c.SERIE+'/'+  cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))) as 'No.Vendas',"
         + " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) as 'Valor Custo', "
         + " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR) as 'Valor Venda',"
         + subSoma(ClausulaPortes(ctx, " AND (ar.Grupo Not IN ("), condicaoSub, "ValorDescritores")
         + subSoma(ClausulaPortes(ctx, " AND (ar.Grupo IN ("), condicaoSub, "ValorPortes")
         + " case when SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor)<>0 Then"
         + " round((SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR )-SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) )/SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor) *100,2)"
         + " Else 100 End as 'Mrg %',"
         + " 100 as 'Mrg Desc'"
         + " FROM       DOCGCCAB as c"
         + " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
         + " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
         + " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
         + " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
         + " where (c.AREAG = 4) AND (c.TPTERC  = 2) AND (c.NATCONTA = 1)"
         + " AND (l.ARTIGO > '') "
         + ClausulaPortes(ctx, " AND (a.Grupo Not IN (")
         + " AND (a.INACTIVO = 0)"
         + " and c.nvias<>-1 and a.artoudes<>-1 "
         + condicao
         + " group by l.vendedor,v.nome";
    // clang-format on
}

// Summary field, day query column, month summary field.
struct Figura {
    const char* dia;
    const char* coluna;
    const char* mes;
};
constexpr Figura figuras[] = {
    {"No.Vnd(Dia)", "No.Vendas", "No.Vnd(Mês)"},
    {"Valor Custo(Dia)", "Valor Custo", "Valor Custo(Mês)"},
    {"Valor Venda(Dia)", "Valor Venda", "Valor Venda(Mês)"},
    {"Venda Descr(Dia)", "ValorDescritores", "Venda Descr(Mês)"},
    {"Venda Portes(Dia)", "ValorPortes", "Venda Portes(Mês)"},
    {"% Margem(Dia)", "Mrg %", "% Margem(Mês)"},
    {"% Margem Descr(Dia)", "Mrg Desc", "% Margem Descr(Mês)"},
};
}  // namespace

std::string SqlVendasDiaDetalhe(const ContextoExecucao& ctx, const std::string& data)
{
    // clang-format off
    return std::string(" SELECT     c.TPDOC+'/'+c.SERIE+'/'+")
         + " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)) as 'Id.Doc.',"
         + " l.VENDEDOR as 'Vendedor', v.NOME as 'Nome Vendedor',"
         + " c.terceiro as Cliente,cl.Nome as 'Nome Cliente',"
         + " l.ARTIGO as 'Artigo',a.Nome as 'Designação Artigo',"
         + " l.Quant as 'Quantidade',"
         + " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk)/l.Quant as 'Pr.Unit.Custo',"
         + " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) as 'Valor Custo',"
         + " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.PRUNIT ) as 'Pr.Unit.Venda',"
         + " ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor) as 'Valor Venda' ,"
         + " case"
         + " when ((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor)<>0 Then"
         + " round((((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR )-((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VlMovstk) )/((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.Valor) *100,2)"
         + " Else"
         + " 100 End as 'Mrg %'"
         + " FROM       DOCGCCAB as c"
         + " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
         + " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
         + " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
         + " INNER JOIN Clientes as cl ON cl.Codigo=c.Terceiro"
         + " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
         + " Where (AREAG = 4) And (TPTERC = 2) And (NATCONTA = 1)"
         + " AND (l.ARTIGO > '') "
         + ClausulaPortes(ctx, " AND (a.Grupo Not IN (")
         + " AND (a.INACTIVO = 0)"
         + " and nvias<>-1 and  (l.QUANT*l.PrUnit <>0  OR l.quant*l.vlmovstk <>0)"
         + CondicaoDataDia("c", data)
         + " Order by l.Vendedor";
    // clang-format on
}

std::string SqlVendasDiaResumoDia(const ContextoExecucao& ctx, const std::string& data)
{
    return resumo(ctx, CondicaoDataDia("c", data), CondicaoDataDia("cab", data));
}

std::string SqlVendasDiaResumoMes(const ContextoExecucao& ctx, int ano, int mes)
{
    return resumo(ctx, CondicaoDataMes("c", ano, mes), CondicaoDataMes("cab", ano, mes));
}

ConjuntoResultados ExtrairVendasDiaResumo(ContextoExecucao& ctx, std::string data)
{
    ConjuntoResultados rs;
    const DataHora dia = ReescreverData(data);
    ConjuntoResultados d, m;
    AbrirRelatorio(ctx, SqlVendasDiaResumoDia(ctx, data), d);
    AbrirRelatorio(ctx, SqlVendasDiaResumoMes(ctx, dia.Ano(), dia.Mes()), m);
    std::vector<ColunaFusao> colunasDia, colunasMes;
    for (const auto& f : figuras) {
        colunasDia.push_back({f.dia, f.coluna});
        colunasMes.push_back({f.mes, f.coluna});
    }
    FundirDiaMes(rs, d, m, colunasDia, colunasMes);
    return rs;
}

ConjuntoResultados ExtrairVendasDiaDetalhe(ContextoExecucao& ctx, std::string data)
{
    ConjuntoResultados rs;
    ReescreverData(data);
    AbrirRelatorio(ctx, SqlVendasDiaDetalhe(ctx, data), rs);
    return rs;
}

}  // namespace quorvelanti
