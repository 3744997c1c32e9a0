#include "ApoioRelatorio.h"

#include "data/Erro.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

std::string TextoDataHora(const DataHora& momento) { return momento.Formatar("dd-mm-yyyy hh:mm:ss"); }

DataHora ReescreverData(std::string& data)
{
    const DataHora dia = DataHora::DeTexto(data).SoData();
    data = dia.Formatar("yyyy-mm-dd");
    return dia;
}

std::string CondicaoDataDia(const std::string& alias, const std::string& data)
{
    return " and " + alias + ".DATA = CONVERT(DATETIME, '" + data + "', 102)";
}

std::string CondicaoDataMes(const std::string& alias, int ano, int mes)
{
    return " and year(" + alias + ".DATA) = " + std::to_string(ano) + " and month(" + alias +
           ".data)=" + std::to_string(mes);
}

void AbrirRelatorio(ContextoExecucao& ctx, const std::string& sql, ConjuntoResultados& rs)
{
    // A report called outside the company loop would otherwise dereference nothing.
    if (!ctx.Empresa || !ctx.Empresa->Ligacao)
        throw Erro(erros::LigacaoFechada, "Não há ligação aberta à empresa", ctx.EmpresaActual);
    ctx.Empresa->Ligacao->AbrirConsulta(sql, rs);
}

std::string JuncoesEncomendas(bool comClientes)
{
    // clang-format off
    return std::string(" FROM       DOCGCCAB as c")
         + " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
         + " AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
         + " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO"
         + (comClientes ? " INNER JOIN Clientes as cl ON cl.Codigo=c.Terceiro" : "")
         + " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR";
    // clang-format on
}

}  // namespace quorvelanti
