#include "ConsultasArtigo.h"

#include "components/database/LigacaoBD.h"
#include "data/ConjuntoResultados.h"

namespace quorvelanti {

std::string TextoSql(const std::string& texto)
{
    std::string saida;
    saida.reserve(texto.size());
    for (char c : texto) {
        saida += c;
        if (c == '\'') saida += '\'';
    }
    return saida;
}

ConsultasArtigo::ConsultasArtigo(LigacaoBD& ligacao, bool reutilizar) : ligacao_(ligacao), reutilizar_(reutilizar) {}

// The stock and the supplier orders do not change while one company's report runs, so the first
// answer for an article serves all its later lines; a new object (a new run) asks again.
std::optional<Moeda> ConsultasArtigo::Stock(const std::string& artigo)
{
    if (!reutilizar_) return consultarStock(artigo);
    auto it = stocks_.find(artigo);
    if (it == stocks_.end()) it = stocks_.emplace(artigo, consultarStock(artigo)).first;
    return it->second;
}

std::string ConsultasArtigo::UltimaNotaFornecedor(const std::string& artigo)
{
    if (!reutilizar_) return consultarNota(artigo);
    auto it = notas_.find(artigo);
    if (it == notas_.end()) it = notas_.emplace(artigo, consultarNota(artigo)).first;
    return it->second;
}

std::string ConsultasArtigo::DataPrevista(const std::string& artigo, Moeda quantidade)
{
    const auto stock = Stock(artigo);
    if (stock && *stock >= quantidade) return "Imediata";
    return UltimaNotaFornecedor(artigo);
}

std::optional<Moeda> ConsultasArtigo::consultarStock(const std::string& artigo)
{
    // clang-format off
    const std::string sql =
        std::string("select coalesce(sum(EXISTENC),0)-coalesce(sum(ArmEncCl),0) as stock  from ARTARM ") +
        " where ARTIGO = '" + TextoSql(artigo) + "' and" +
        " (ARMAZEM ='001' or ARMAZEM ='002' or ARMAZEM ='016')";
    // clang-format on
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta(sql, rs);
    if (rs.ContarRegistos() <= 0) return std::nullopt;
    rs.MoverPrimeiro();
    return rs.ComoMoeda("stock");
}

std::string ConsultasArtigo::consultarNota(const std::string& artigo)
{
    // clang-format off
    const std::string sql =
        std::string(" SELECT TOP(1) ll.Obs as DataPrev,ll.tpdocum,ll.serie,ll.nnumdoc,ll.ano,ll.NumLinha") +
        " FROM DOCGCCAB as c" +
        " Inner JOIN  DocGcLin as l ON c.TPDOC = l.TPDOCUM AND c.NNUMDOC = l.NNUMDOC AND c.SERIE = l.SERIE AND c.ANO = l.ANO" +
        " INNER JOIN  U_DOCGCLIN as ll ON ll.TPDOCUM = l.TPDOCUM AND ll.NNUMDOC = l.NNUMDOC AND ll.SERIE = l.SERIE AND ll.ANO = l.ANO and ll.NumLinha=l.NumLinha" +
        " Where c.AREAG = 2 AND c.TPTERC=1" +
        " AND l.ARTIGO='" + TextoSql(artigo) + "' " +
        " AND c.NVIAS>=0 AND  l.LINANU=0 AND l.QUANT<>0 " +
        " AND ( l.QTDORIG<>0)" +
        " ORDER BY        c.DATA DESC";
    // clang-format on
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta(sql, rs);
    if (rs.ContarRegistos() < 1) return "";
    rs.MoverPrimeiro();
    return rs.Texto("DataPrev");
}

}  // namespace quorvelanti
