#include "EncomendasFornecedor.h"

#include "EncomendasFornecedorConsultas.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "AlocacaoArtigo.h"
#include "ApoioRelatorio.h"
#include "components/database/LigacaoBD.h"
#include "data/DataHora.h"
#include "data/Texto.h"
#include "reports/ConsultasArtigo.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

// The join of headers and lines, shared by the main statement and the supplier-order sum.
const char* const DeCabecalhosELinhas =
    " FROM    DOCGCCAB as c INNER JOIN  DOCGCLIN as l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM AND c.SERIE = l.SERIE AND c.ANO = l.ANO";

std::string instrucaoPrincipal(const std::string& dataInicio)
{
    // clang-format off
    return std::string(" SELECT c.data,c.TpDoc+'/'+CAST( c.Ano as nvarchar(4))+'/'+c.Serie+'/'+CAST(c.NNumDoc as nvarchar(10))+'/'+Cast(l.NUMLINHA as nvarchar(4)) as Doc,") +
           " cl.Nome as NomeCli,coalesce(v.Nome,'') as Vendedor," +
           " l.Artigo," +
           " l.Quant," +
           " ar.Nome as 'NomeArtigo'," +
           " '' as Notas" +
           DeCabecalhosELinhas +
           " Inner Join Clientes as cl ON cl.Codigo=c.Terceiro" +
           " Inner Join Artigos as ar ON ar.Codigo=l.Artigo" +
           " Left Outer Join Vendedor as v ON v.Codigo=c.Vendedor" +
           " where   c.nvias<>-1 and c.areag=2 and c.Tpterc=2 and l.quant>0 and [convert]<>-1 and l.ARTIGO >'' and ar.ArtouDes=0" +
           " and c.Data >= CONVERT(DATETIME, '" + dataInicio + "', 102)" +
           " and c.Serie <>'0' " +
           " Order by c.Data";
    // clang-format on
}

// The single value of a one-row aggregate statement; 0 when it returns no row.
Moeda valorUnico(LigacaoBD& ligacao, const std::string& sql, const std::string& campo)
{
    ConjuntoResultados rs;
    ligacao.AbrirConsulta(sql, rs);
    if (rs.ContarRegistos() <= 0) return Moeda{};
    rs.MoverPrimeiro();
    return rs.ComoMoeda(campo);
}

std::string instrucaoExistencia(const std::string& artigo)
{
    // clang-format off
    return "Select coalesce(sum(Existenc),0)-coalesce(sum(ArmEncCl),0) as Existencia from ArtArm where (Armazem='001' or Armazem='002' or Armazem='016') and Artigo='" +
           TextoSql(artigo) + "' ";
    // clang-format on
}

// Quantity of the article's supplier-order lines dated on or after the start date.
std::string instrucaoEncomendado(const std::string& artigo, const std::string& dataInicio)
{
    // clang-format off
    return std::string("Select coalesce(sum(l.Quant),0) as Qtd ") + DeCabecalhosELinhas +
           " where   c.nvias<>-1 and c.areag=2 and c.Tpterc=1 and l.quant>0 and [convert]<>-1 and l.ARTIGO >'' and Artigo='" +
           TextoSql(artigo) + "' " + " and c.Data >= CONVERT(DATETIME, '" + dataInicio + "', 102)";
    // clang-format on
}

// The engines give the document date as a date or as its text; either way "yyyy-mm-dd".
std::string dataIso(const Valor& valor)
{
    if (auto d = std::get_if<DataHora>(&valor)) return d->Formatar("yyyy-mm-dd");
    const std::string texto = ValorComoTexto(valor);
    const auto lida = DataHora::Ler(texto);
    return lida ? lida->Formatar("yyyy-mm-dd") : texto;
}

void acrescentarLinha(ConjuntoResultados& rs, const ConjuntoResultados& principal, ConsultasArtigo& consultas)
{
    const std::string artigo = principal.Texto("Artigo");
    const Moeda quantidade = principal.ComoMoeda("Quant");
    rs.AdicionarLinha();
    rs.Definir("Doc.", texto::Primeiros(principal.Texto("Doc"), 20));
    // Text, not a date: the sheet shows it as written and it sorts chronologically.
    rs.Definir("Data", " " + dataIso(principal.ValorDe("data")));
    rs.Definir("Nome Cliente", texto::Primeiros(principal.Texto("NomeCli"), 80));
    rs.Definir("Nome Vendedor", texto::Primeiros(principal.Texto("Vendedor"), 40));
    // The whole code, even past the column's 15 characters: the allocation finds the lines by it.
    rs.Definir("Artigo", artigo);
    rs.Definir("Nome Artigo", texto::Primeiros(principal.Texto("NomeArtigo"), 80));
    rs.Definir("Quant", quantidade);
    // The supplier's note whole, even past the column's 160 characters.
    rs.Definir("Prazo Estimado", consultas.DataPrevista(artigo, quantidade));
    rs.Definir("Disponibilidade", std::string());
}

}  // namespace

ConjuntoResultados CriaRsEncFornecedor()
{
    return ConjuntoResultados({
        {"Data", TipoCampo::Texto, 15},
        {"Doc.", TipoCampo::Texto, 20},
        {"Nome Cliente", TipoCampo::Texto, 80},
        {"Nome Vendedor", TipoCampo::Texto, 40},
        {"Artigo", TipoCampo::Texto, 15},
        {"Nome Artigo", TipoCampo::Texto, 80},
        {"Quant", TipoCampo::Moeda},
        {"Disponibilidade", TipoCampo::Texto, 80},
        {"Prazo Estimado", TipoCampo::Texto, 160},
    });
}

ConjuntoResultados ExtrairEncomendasFornecedorBDC(ContextoExecucao& ctx, std::string data)
{
    ConsultasArtigo consultas(*ctx.EmpresaEmCurso().Ligacao);
    return ExtrairEncomendasFornecedorBDC(ctx, std::move(data), consultas);
}

ConjuntoResultados ExtrairEncomendasFornecedorBDC(ContextoExecucao& ctx, std::string data, ConsultasArtigo& consultas)
{
    ReescreverData(data);
    ConjuntoResultados rs = CriaRsEncFornecedor();
    LigacaoBD& ligacao = *ctx.EmpresaEmCurso().Ligacao;

    ConjuntoResultados principal;
    ligacao.AbrirConsulta(instrucaoPrincipal(data), principal);
    std::vector<LinhaArtigo> linhas;
    std::vector<std::string> artigos;  // distinct codes, in order of first appearance
    std::unordered_set<std::string> vistos;
    for (principal.MoverPrimeiro(); !principal.FimDados(); principal.MoverSeguinte()) {
        linhas.push_back({principal.Texto("Artigo"), principal.ComoMoeda("Quant")});
        if (vistos.insert(linhas.back().artigo).second) artigos.push_back(linhas.back().artigo);
    }
    // Every statement below is known now: all go ahead, to be in flight together.
    std::vector<std::string> totaisArtigos;
    for (const auto& artigo : artigos) {
        totaisArtigos.push_back(instrucaoExistencia(artigo));
        totaisArtigos.push_back(instrucaoEncomendado(artigo, data));
    }
    consultas.Antecipar(linhas, totaisArtigos);

    rs.ReservarLinhas(static_cast<std::size_t>(principal.ContarRegistos()));
    for (principal.MoverPrimeiro(); !principal.FimDados(); principal.MoverSeguinte())
        acrescentarLinha(rs, principal, consultas);
    if (rs.ContarRegistos() == 0) return rs;

    // Each article's stock, then its open supplier orders, go to its lines in date order. A line
    // belongs to the article whose code equals its "Artigo". One pass over the table sorted by
    // date gives every article its lines in that order, the same as filtering the table by each
    // code in turn, without rescanning it per article.
    std::unordered_map<std::string, AlocacaoArtigo> alocacoes;
    for (const auto& artigo : artigos) {
        const Moeda existencia = valorUnico(ligacao, instrucaoExistencia(artigo), "Existencia");
        alocacoes.emplace(artigo,
                          AlocacaoArtigo(existencia, valorUnico(ligacao, instrucaoEncomendado(artigo, data), "Qtd")));
    }
    rs.LimparFiltro();
    rs.Ordenar("Data");
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) {
        auto alocacao = alocacoes.find(rs.Texto("Artigo"));
        if (alocacao != alocacoes.end()) rs.Definir("Disponibilidade", alocacao->second.Alocar(rs.ComoMoeda("Quant")));
    }
    rs.MoverPrimeiro();
    return rs;
}

}  // namespace quorvelanti
