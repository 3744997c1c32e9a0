#include "EncomendasPendentes.h"

#include "ApoioRelatorio.h"
#include "reports/ClausulaPortes.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
// FROM, joins and conditions shared by the three statements; the summary has no Clientes join,
// so an order whose client is missing there still counts in it.
std::string origem(const ContextoExecucao& ctx, bool comClientes)
{
    // clang-format off
    return JuncoesEncomendas(comClientes)
         + " Where (c.AREAG = 2) And (c.TPTERC = 2) And (l.QUANT > 0)"
         + " AND (l.ARTIGO > '') "
         + ClausulaPortes(ctx, " AND (a.Grupo Not IN (")
         + " AND (a.INACTIVO = 0)"
         + " and c.[convert]=0 and nvias<>-1 and l.VALOR >0"
         + " and (c.DATA >= CONVERT(DATETIME, '2020-06-01 00:00:00', 102))"
         + " and c.Serie <>'0' ";
    // clang-format on
}
}  // namespace

std::string SqlEncPendentesResumo(const ContextoExecucao& ctx)
{
    // clang-format off
    return std::string("SELECT l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',   count( Distinct c.TPDOC+'/'+c.SERIE +'/'+")
         + " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)) )  as 'No.Enc',"
         + " sum(l.valor) as 'Valor Pendente'"
         + origem(ctx, false)
         + " group by l.VENDEDOR,v.NOME"
         + " order by v.Nome";
    // clang-format on
}

std::string SqlEncPendentesDetalhe(const ContextoExecucao& ctx)
{
    // clang-format off
    return std::string(" SELECT   c.TPDOC+'/'+c.SERIE +'/'+")
         + " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))as 'Id. Doc.',"
         + " convert(nvarchar(10),c.DATA,105) as 'Data Doc.',c.TERCEIRO as 'Cliente',cl.Nome as 'Nome Cliente',"
         + " l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',  sum(l.valor) as 'Valor Pendente'"
         + origem(ctx, true)
         + " group by c.TPDOC+'/'+c.SERIE+'/'+"
         + " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4)),c.DATA,c.TERCEIRO ,cl.Nome ,l.VENDEDOR,v.NOME"
         + " order by c.Data,'Id. Doc.'";
    // clang-format on
}

std::string SqlEncPendentesLinhas(const ContextoExecucao& ctx)
{
    // clang-format off
    return std::string(" SELECT   c.TPDOC+'/'+c.SERIE+'/'+")
         + " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))as 'Id. Doc.',"
         + " convert(nvarchar(10),c.DATA,105) as 'Data Doc.',c.TERCEIRO as 'Cliente',cl.Nome as 'Nome Cliente',"
         + " l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor',"
         + " l.ARTIGO as 'Artigo',a.Nome as 'Designação Artigo',"
         + " l.Quant as 'Quantidade',l.PrUnit as 'Pr.Unit.Venda',(l.valor) as 'Valor Pendente'"
         + origem(ctx, true)
         + " order by c.Data,'Id. Doc.'";
    // clang-format on
}

ConjuntoResultados ExtrairEncomendasPendentesResumo(ContextoExecucao& ctx)
{
    ConjuntoResultados rs;
    AbrirRelatorio(ctx, SqlEncPendentesResumo(ctx), rs);
    return rs;
}

void ExtrairEncomendasPendentesDetalhe(ContextoExecucao& ctx, ConjuntoResultados& rs, ConjuntoResultados& rsLinhas)
{
    AbrirRelatorio(ctx, SqlEncPendentesDetalhe(ctx), rs);
    AbrirRelatorio(ctx, SqlEncPendentesLinhas(ctx), rsLinhas);
}

}  // namespace quorvelanti
