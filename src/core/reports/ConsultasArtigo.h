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
#include <optional>
#include <string>
#include <unordered_map>

#include "data/Moeda.h"

namespace quorvelanti {

class LigacaoBD;

// The text as it goes between apostrophes in a SQL statement: every ' doubled.
//   "O'BRIEN" -> "O''BRIEN"
std::string TextoSql(const std::string& texto);

class ConsultasArtigo {
public:
    explicit ConsultasArtigo(LigacaoBD& ligacao, bool reutilizar = true);

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

    LigacaoBD& ligacao_;
    bool reutilizar_;
    std::unordered_map<std::string, std::optional<Moeda>> stocks_;
    std::unordered_map<std::string, std::string> notas_;
};

}  // namespace quorvelanti
