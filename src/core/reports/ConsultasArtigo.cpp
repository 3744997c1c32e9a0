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

namespace {

std::string instrucaoStock(const std::string& artigo)
{
    // clang-format off
    return std::string("select coalesce(sum(EXISTENC),0)-coalesce(sum(ArmEncCl),0) as stock  from ARTARM ") +
           " where ARTIGO = '" + TextoSql(artigo) + "' and" +
           " (ARMAZEM ='001' or ARMAZEM ='002' or ARMAZEM ='016')";
    // clang-format on
}

std::string instrucaoNota(const std::string& artigo)
{
    // clang-format off
    return std::string(" SELECT TOP(1) ll.Obs as DataPrev,ll.tpdocum,ll.serie,ll.nnumdoc,ll.ano,ll.NumLinha") +
           " FROM DOCGCCAB as c" +
           " Inner JOIN  DocGcLin as l ON c.TPDOC = l.TPDOCUM AND c.NNUMDOC = l.NNUMDOC AND c.SERIE = l.SERIE AND c.ANO = l.ANO" +
           " INNER JOIN  U_DOCGCLIN as ll ON ll.TPDOCUM = l.TPDOCUM AND ll.NNUMDOC = l.NNUMDOC AND ll.SERIE = l.SERIE AND ll.ANO = l.ANO and ll.NumLinha=l.NumLinha" +
           " Where c.AREAG = 2 AND c.TPTERC=1" +
           " AND l.ARTIGO='" + TextoSql(artigo) + "' " +
           " AND c.NVIAS>=0 AND  l.LINANU=0 AND l.QUANT<>0 " +
           " AND ( l.QTDORIG<>0)" +
           " ORDER BY        c.DATA DESC";
    // clang-format on
}

std::optional<Moeda> stockDe(ConjuntoResultados& rs)
{
    if (rs.ContarRegistos() <= 0) return std::nullopt;
    rs.MoverPrimeiro();
    return rs.ComoMoeda("stock");
}

bool cobre(const std::optional<Moeda>& stock, Moeda quantidade) { return stock && *stock >= quantidade; }

}  // namespace

ConsultasArtigo::ConsultasArtigo(LigacaoBD& ligacao, bool reutilizar) : ligacao_(ligacao), reutilizar_(reutilizar) {}

void ConsultasArtigo::Antecipar(const std::vector<LinhaArtigo>& linhas, const std::vector<std::string>& depois)
{
    if (!reutilizar_) {
        ligacao_.Antecipar(depois);
        return;
    }
    std::vector<std::string> sqls;
    for (const auto& linha : linhas)
        if (!stocks_.count(linha.artigo) && stocksAntecipados_.insert(linha.artigo).second)
            sqls.push_back(instrucaoStock(linha.artigo));
    sqls.insert(sqls.end(), depois.begin(), depois.end());
    ligacao_.Antecipar(sqls);
    sqls.clear();
    for (const auto& linha : linhas)
        if (precisaDeNota(linha)) sqls.push_back(instrucaoNota(linha.artigo));
    ligacao_.Antecipar(sqls);
}

// True when the line will ask for its article's note and nobody asked or sent it yet: its stock,
// asked or sent ahead, does not cover it. A stock whose statement failed sends nothing more.
bool ConsultasArtigo::precisaDeNota(const LinhaArtigo& linha)
{
    if (notas_.count(linha.artigo) || notasAntecipadas_.count(linha.artigo)) return false;
    std::optional<Moeda> stock;
    if (auto dito = stocks_.find(linha.artigo); dito != stocks_.end()) {
        stock = dito->second;
    } else {
        auto previsto = ligacao_.Antevisao(instrucaoStock(linha.artigo));
        if (!previsto) return false;
        stock = stockDe(*previsto);
    }
    if (cobre(stock, linha.quantidade)) return false;
    notasAntecipadas_.insert(linha.artigo);
    return true;
}

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
    if (cobre(Stock(artigo), quantidade)) return "Imediata";
    return UltimaNotaFornecedor(artigo);
}

std::optional<Moeda> ConsultasArtigo::consultarStock(const std::string& artigo)
{
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta(instrucaoStock(artigo), rs);
    return stockDe(rs);
}

std::string ConsultasArtigo::consultarNota(const std::string& artigo)
{
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta(instrucaoNota(artigo), rs);
    if (rs.ContarRegistos() < 1) return "";
    rs.MoverPrimeiro();
    return rs.Texto("DataPrev");
}

}  // namespace quorvelanti
