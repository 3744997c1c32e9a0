#include "EncomendasDia.h"

#include "ApoioRelatorio.h"
#include "FusaoDiaMes.h"
#include "data/ConjuntoResultados.h"
#include "reports/ClausulaPortes.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
// Joins and first conditions of the three statements; the summaries have no Clientes join, so
// an order counts for its salesperson even when its client is unknown.
std::string origem(bool comClientes)
{
    // clang-format off
    return JuncoesEncomendas(comClientes)
         + " Where (c.AREAG = 2) And (c.TPTERC = 2)"
         + " AND (l.ARTIGO > '') ";
    // clang-format on
}

}  // namespace

std::string SqlEncDiaDetalhe(const ContextoExecucao& ctx, const std::string& data)
{
    // clang-format off
    return std::string(" SELECT     c.TPDOC+'/'+c.SERIE+'/'+")
         + " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)) as 'Id.Doc.',"
         + " l.VENDEDOR as 'Vendedor', v.NOME as 'Nome Vendedor',"
         + " convert(nvarchar(10),l.DATA,105) as 'Data Entrega', c.terceiro as Cliente,cl.Nome as 'Nome Cliente',"
         + " l.ARTIGO as 'Artigo',a.Nome as 'Designação Artigo',"
         + " l.PrUnit as 'Pr.Unit.Venda',"
         + " l.QTDORIG as 'Quantidade',l.ValorO as 'Valor Venda' "
         + origem(true)
         + ClausulaPortes(ctx, " AND (a.Grupo Not IN (")
         + " AND (a.INACTIVO = 0) and l.ValorO>0 "
         + " and nvias<>-1"
         + CondicaoDataDia("c", data)
         + " and c.Serie <>'0' "
         + " Order by c.Data";
    // clang-format on
}

std::string SqlEncDiaResumoDia(const ContextoExecucao& ctx, const std::string& data)
{
    // clang-format off
    return std::string(" SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',")
         + " count( Distinct c.TPDOC+'/'+c.SERIE+'/'+  cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)))  as 'No.Encomendas',"
         + " sum(l.valorO) as 'Valor Venda' "
         + origem(false)
         + ClausulaPortes(ctx, " AND (a.Grupo Not IN (")
         + " AND (a.INACTIVO = 0) and l.ValorO>0"
         + " and nvias<>-1"
         + CondicaoDataDia("c", data)
         + " and c.Serie <>'0' "
         + " group by l.vendedor,v.nome";
    // clang-format on
}

// No series condition here: series '0' documents count in the month, not in the day.
std::string SqlEncDiaResumoMes(const ContextoExecucao& ctx, int ano, int mes)
{
    // clang-format off
    return std::string(" SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',")
         + " count( Distinct c.TPDOC+'/'+c.SERIE+'/'+  cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))) as 'No.Encomendas',"
         + " sum(l.valorO) as 'Valor Venda'"
         + origem(false)
         + ClausulaPortes(ctx, " AND (a.Grupo Not IN (")
         + " AND (a.INACTIVO = 0) and l.ValorO>0 "
         + " and nvias<>-1"
         + CondicaoDataMes("c", ano, mes)
         + " group by l.vendedor,v.nome";
    // clang-format on
}

ConjuntoResultados ExtrairEncomendasDiaResumo(ContextoExecucao& ctx, std::string data)
{
    ConjuntoResultados rs;
    const DataHora dia = ReescreverData(data);
    ConjuntoResultados d, m;
    AbrirRelatorio(ctx, SqlEncDiaResumoDia(ctx, data), d);
    AbrirRelatorio(ctx, SqlEncDiaResumoMes(ctx, dia.Ano(), dia.Mes()), m);
    FundirDiaMes(rs, d, m, {{"No.Enc(Dia)", "No.Encomendas"}, {"Valor Venda(Dia)", "Valor Venda"}},
                 {{"No.Enc(Mês)", "No.Encomendas"}, {"Valor Venda(Mês)", "Valor Venda"}});
    return rs;
}

ConjuntoResultados ExtrairEncomendasDiaDetalhe(ContextoExecucao& ctx, std::string data)
{
    ConjuntoResultados rs;
    ReescreverData(data);
    AbrirRelatorio(ctx, SqlEncDiaDetalhe(ctx, data), rs);
    return rs;
}

}  // namespace quorvelanti
