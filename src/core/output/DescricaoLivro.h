#pragma once
// A workbook told in full: where it goes, its layout kind, its sheets in order and, for the
// weekly kind, the texts of the client rows. The writer (EscritorLivro) needs nothing else, so
// a workbook can be built from result sets alone.
//
//   DescricaoLivro livro;
//   livro.ficheiro = "/var/rel/compras.xlsx";
//   livro.tipo = TipoLivro::Compras;
//   livro.folhas.push_back({"Encomendas Cliente_Fornecedor", "Encomendas a 07-12-2026", rs.Clonar(), {}});
//   EscritorLivro::Gravar(livro);
//
// A sheet whose result set has no rows keeps its place, empty, under the default name.
#include <string>
#include <vector>

#include "data/ConjuntoResultados.h"
#include "output/LivroTipo.h"
#include "output/TipoLivro.h"

namespace quorvelanti {

// Whether a message's summary (ResumoHtml) shows the sheet, and which of its rows.
struct ResumoFolha {
    bool mostrar = false;
    // When set, only the rows whose field 'campo' does not hold 'omitir', under this caption.
    std::string campo{}, omitir{}, legenda{};
};

struct FolhaDescrita {
    std::string nome;
    std::string titulo;
    ConjuntoResultados dados;          // its visible rows are written, from the first, on a cursor of their own
    std::vector<EntradaTotal> totais;  // the totals row's formulas, by column
    ResumoFolha resumo{};
};

// Every field has its initializer: a description names only what it sets.
struct DescricaoLivro {
    std::string ficheiro{};
    TipoLivro tipo = TipoLivro::Administracao;  // the layout: where header, data and band lie
    std::vector<FolhaDescrita> folhas{};
    std::vector<std::string> linhasCliente{};  // the weekly kind's rows 2 to 4; empty for the others
};

}  // namespace quorvelanti
