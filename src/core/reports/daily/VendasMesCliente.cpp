#include "VendasMesCliente.h"

#include "ApoioRelatorio.h"
#include "reports/ClausulaPortes.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

// The year is the document's year field, not the year of its date: a document of the month
// whose Ano differs from its date's year is left out.
std::string SqlVendasMesCliente(const ContextoExecucao& ctx, int ano, int mes)
{
    // clang-format off
    return std::string(" SELECT  l.VENDEDOR as 'Vendedor',v.NOME as 'Nome Vendedor', c.terceiro as Cliente,cl.Nome as NomeCliente,")
         + " SUM((ABS(c.TPTERC - c.SINALCT) * 2 - 1) * l.VALOR) as 'Valor Venda'"
         + " FROM       DOCGCCAB as c"
         + " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
         + " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
         + " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
         + " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR"
         + " Inner Join Clientes as cl ON cl.CODIGO =c.Terceiro"
         + " where (c.AREAG = 4) AND (c.TPTERC  = 2) AND (c.NATCONTA = 1)"
         + " AND (l.ARTIGO > '') "
         + ClausulaPortes(ctx, " AND (a.Grupo Not IN (")
         + " AND (a.INACTIVO = 0)"
         + " and c.nvias<>-1 "
         + " and c.Ano = " + std::to_string(ano) + " and month(c.data)=" + std::to_string(mes) + " "
         + " group by l.vendedor,v.nome,c.TERCEIRO,cl.NOME"
         + " order by l.vendedor,c.Terceiro";
    // clang-format on
}

ConjuntoResultados ExtrairVendasMesCliente(ContextoExecucao& ctx, std::string data)
{
    ConjuntoResultados rs;
    const DataHora dia = ReescreverData(data);
    AbrirRelatorio(ctx, SqlVendasMesCliente(ctx, dia.Ano(), dia.Mes()), rs);
    return rs;
}

}  // namespace quorvelanti
