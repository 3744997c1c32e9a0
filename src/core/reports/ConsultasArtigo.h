#pragma once
// The per-article lookups of the order reports: the free stock of warehouses 001, 002 and 016
// and the note of the article's most recent supplier-order line, each run once per distinct
// article on one connection and reused for the article's later lines (the data does not change
// during a company's run). One object serves one company's run of one report.
//
//   ConsultasArtigo consultas(*empresa.Ligacao);
//   consultas.DataPrevista("A1", Moeda::DeUnidades(4));   // "Imediata", a note, or ""
//   ConsultasArtigo semReutilizar(*empresa.Ligacao, false);     // one query per call (benchmark)
//
// Article codes go into the statements with their apostrophes doubled, so "O'BRIEN" is looked up.
//
// A report that knows its lines before it asks sends their lookups ahead (LigacaoBD::Antecipar),
// to be in flight together, and then asks as ever:
//   consultas.Antecipar({{"A1", Moeda::DeUnidades(4)}, {"A2", Moeda::DeUnidades(1)}});
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/Moeda.h"

namespace quorvelanti {

class LigacaoBD;

// The text as it goes between apostrophes in a SQL statement: every ' doubled.
//   "O'BRIEN" -> "O''BRIEN"
std::string TextoSql(const std::string& texto);

// One line of a report as the lookups see it.
struct LinhaArtigo {
    std::string artigo;
    Moeda quantidade;
};

class ConsultasArtigo {
public:
    explicit ConsultasArtigo(LigacaoBD& ligacao, bool reutilizar = true);

    // Sends ahead the statements DataPrevista will run for these lines, in this order: the stock
    // of every article not asked yet, then 'depois' (the caller's own), then, once the stocks
    // are in, the note of every article whose stock will not cover one of its lines. Every line
    // given must then go through DataPrevista. Nothing is sent ahead without reuse.
    void Antecipar(const std::vector<LinhaArtigo>& linhas, const std::vector<std::string>& depois = {});

    // Existences minus client reservations over the three warehouses; std::nullopt when the
    // statement returns no row.
    std::optional<Moeda> Stock(const std::string& artigo);
    // The "DataPrev" note of the most recent supplier-order line of the article that has an
    // extension row; "" when there is none (or the note is null).
    std::string UltimaNotaFornecedor(const std::string& artigo);
    // "Imediata" when the stock covers the quantity, otherwise UltimaNotaFornecedor. Each line
    // is compared on its own: earlier lines do not reduce the stock seen by later ones.
    std::string DataPrevista(const std::string& artigo, Moeda quantidade);

private:
    std::optional<Moeda> consultarStock(const std::string& artigo);
    std::string consultarNota(const std::string& artigo);
    bool precisaDeNota(const LinhaArtigo& linha);

    LigacaoBD& ligacao_;
    bool reutilizar_;
    std::unordered_map<std::string, std::optional<Moeda>> stocks_;
    std::unordered_map<std::string, std::string> notas_;
    std::unordered_set<std::string> stocksAntecipados_, notasAntecipadas_;
};

}  // namespace quorvelanti
