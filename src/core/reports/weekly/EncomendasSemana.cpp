#include "EncomendasSemana.h"

#include "components/database/LigacaoBD.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "reports/ClausulaPortes.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

const char* const MarcaSemDocumento = "&&%%";

ConjuntoResultados criaRsEncSemanal()
{
    return ConjuntoResultados({
        {"Id.Doc.", TipoCampo::Texto, 35},
        {"Data Doc.", TipoCampo::Texto, 10},
        {"Artigo", TipoCampo::Texto, 15},
        {"Designação Artigo", TipoCampo::Texto, 80},
        {"Pr.Unit.Venda", TipoCampo::Moeda},
        {"Quantidade", TipoCampo::Moeda},
        {"Desc %", TipoCampo::Moeda},
        {"Valor Venda", TipoCampo::Moeda},
        {"Data Prev.", TipoCampo::Texto, 20},
    });
}

void acrescentarTotal(ConjuntoResultados& rs, const std::string& rotulo, Moeda total)
{
    rs.AdicionarLinha();
    rs.Definir("Designação Artigo", rotulo);
    rs.Definir("Valor Venda", total);
}

// A total beyond the currency's range ends the run naming it, never a wrapped figure.
void somar(Moeda& total, Moeda valor, const std::string& rotulo)
{
    try {
        total += valor;
    } catch (const Erro& erro) {
        throw ErroNoCampo(erro, "Valor Venda (" + rotulo + ")");
    }
}

}  // namespace

void ClientesSemana(ContextoExecucao& ctx, ConjuntoResultados& rsCli)
{
    // clang-format off
    const std::string sql =
        std::string(" SELECT c.TERCEIRO , cl.Nome, l.VENDEDOR as 'Vendedor',v.Nome as NomeVendedor,cl.Email_Envio_Documentos as EmailCliente ") +
        " FROM       DOCGCCAB as c" +
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM" +
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO" +
        " INNER JOIN Clientes as cl ON cl.Codigo=c.Terceiro" +
        " Left outer Join VENDEDOR as v ON v.CODIGO =l.VENDEDOR" +
        " Where (c.AREAG = 2) And (c.TPTERC = 2) And (l.QUANT > 0)" +
        " AND (l.ARTIGO > '') " +
        " and c.[convert]=0 and nvias<>-1 and l.VALOR >0" +
        " and (c.DATA >= CONVERT(DATETIME, '2020-06-01 00:00:00', 102))" +
        " and c.Serie <>'0' " +
        " Group by c.terceiro,l.Vendedor,cl.Nome,v.Nome,cl.Email_Envio_Documentos " +
        " order by c.terceiro";
    // clang-format on
    ctx.EmpresaEmCurso().Ligacao->AbrirConsulta(sql, rsCli);
}

std::string InstrucaoEncSemanal(const ContextoExecucao& ctx, const std::string& sCli)
{
    // clang-format off
    return std::string(" SELECT c.TPDOC+'/'+c.SERIE+'/'+") +
        " cast(c.NNumDoc as nvarchar(10))+'/'+cast(c.Ano as nvarchar(4))as 'IdDoc'," +
        " convert(nvarchar(10),c.DATA,105) as 'DataDoc'," +
        " l.ARTIGO ,a.Nome ," +
        " l.PrUnit ,l.Quant ,l.valor,l.TxDesc " +
        " FROM       DOCGCCAB as c" +
        " INNER JOIN DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM" +
        " AND c.SERIE = l.SERIE AND c.ANO = l.ANO" +
        " INNER JOIN ARTIGOS as a ON l.ARTIGO = a.CODIGO" +
        " Where (c.AREAG = 2) And (c.TPTERC = 2) And (l.QUANT > 0)" +
        " AND (l.ARTIGO > '') " +
        ClausulaPortes(ctx, " AND (a.Grupo Not IN (") +
        " AND (a.INACTIVO = 0)" +
        " and c.[convert]=0 and nvias<>-1 and l.VALOR >0" +
        " and (c.DATA >= CONVERT(DATETIME, '2020-06-01 00:00:00', 102))" +
        " and c.Serie <>'0' and c.Terceiro='" + TextoSql(sCli) + "' " +
        " order by c.Data ";
    // clang-format on
}

void ExtrairEncSemanal(ContextoExecucao& ctx, ConjuntoResultados& rsEncSemana, const std::string& sCli)
{
    ctx.EmpresaEmCurso().Ligacao->AbrirConsulta(InstrucaoEncSemanal(ctx, sCli), rsEncSemana);
}

std::vector<LinhaArtigo> LinhasArtigo(ConjuntoResultados linhas)
{
    std::vector<LinhaArtigo> artigos;
    for (linhas.MoverPrimeiro(); !linhas.FimDados(); linhas.MoverSeguinte())
        artigos.push_back({linhas.Texto("Artigo"), linhas.ComoMoeda("Quant")});
    return artigos;
}

std::string CalculaDataPrev(ConsultasArtigo& consultas, const ConjuntoResultados& linhas)
{
    return consultas.DataPrevista(linhas.Texto("Artigo"), linhas.ComoMoeda("Quant"));
}

void PreencheEncSemanal(ConjuntoResultados& rsEncSemanal, ConjuntoResultados& linhas, ConsultasArtigo& consultas)
{
    Moeda totalEncomenda, totalGeral;
    rsEncSemanal = criaRsEncSemanal();
    std::string anterior = MarcaSemDocumento;
    // An order closes at every change of "IdDoc" between consecutive lines; the lines come in
    // document-date order, so two orders of one day may interleave and close more than once.
    for (linhas.MoverPrimeiro(); !linhas.FimDados(); linhas.MoverSeguinte()) {
        const std::string idDoc = linhas.Texto("IdDoc");
        if (idDoc != anterior && anterior != MarcaSemDocumento) {
            acrescentarTotal(rsEncSemanal, "Total Encomenda", totalEncomenda);
            totalEncomenda = Moeda{};
        }
        const Moeda valor = linhas.ComoMoeda("Valor");
        rsEncSemanal.AdicionarLinha();
        // The document's identifier is shown cut to its column; the order's grouping uses it whole.
        rsEncSemanal.Definir("Id.Doc.", texto::Primeiros(idDoc, 35));
        rsEncSemanal.Definir("Data Doc.", linhas.ValorDe("DataDoc"));
        rsEncSemanal.Definir("Artigo", linhas.ValorDe("Artigo"));
        rsEncSemanal.Definir("Designação Artigo", linhas.ValorDe("Nome"));
        rsEncSemanal.Definir("Pr.Unit.Venda", linhas.ValorDe("PrUnit"));
        rsEncSemanal.Definir("Quantidade", linhas.ValorDe("Quant"));
        rsEncSemanal.Definir("Desc %", linhas.ValorDe("TxDesc"));
        rsEncSemanal.Definir("Valor Venda", linhas.ValorDe("Valor"));
        // Codes, names and notes stay whole past their columns' sizes.
        rsEncSemanal.Definir("Data Prev.", CalculaDataPrev(consultas, linhas));
        anterior = idDoc;
        somar(totalEncomenda, valor, "Total Encomenda");
        somar(totalGeral, valor, "Total Geral");
    }
    acrescentarTotal(rsEncSemanal, "Total Encomenda", totalEncomenda);
    rsEncSemanal.AdicionarLinha();
    acrescentarTotal(rsEncSemanal, "Total Geral", totalGeral);
    rsEncSemanal.MoverPrimeiro();
}

}  // namespace quorvelanti
