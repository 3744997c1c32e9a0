#pragma once
// Writes one result set as a formatted sheet, top to bottom: the merged red title row, the
// weekly client rows, the header row of field names, the data rows under a light-blue band,
// and the totals row with its sum and percentage formulas.
//
//   livro.AdicionarFolha("Vendas Dia Resumo");
//   const LivroTipo tipo(TipoLivro::Administracao);
//   LivroFolha folha(livro, tipo, rs.Clonar());
//   folha.Escrever("Vendas do dia 07-12-2026", {}, {{3, TipoTotal::SUMC}, {4, TipoTotal::SUMC}});
//
// Column widths and number formats follow the field types: counts, doubles and currency 15
// wide with "###,###,##0.00"; numeric fields keep their defined size with that format; dates
// are fitted to the rows above the data and shown "dd-mm-yyyy"; other fields keep their size.
// Formulas carry their computed result; a percentage over a zero total carries "#DIV/0!".
// The sheet prints landscape, one page wide, with the rows from the title to the header on
// every page, and its panes are frozen below the header row.
#include <array>
#include <string>
#include <vector>

#include "data/ConjuntoResultados.h"
#include "output/AspectoFolha.h"
#include "output/LivroTipo.h"
#include "output/LivroXlsx.h"
#include "output/TotaisFolha.h"

namespace quorvelanti {

class LivroFolha {
public:
    // The result set must have at least one row; the sheet must be the one just added.
    LivroFolha(LivroXlsx& livro, const LivroTipo& tipo, ConjuntoResultados dados);

    // linhasCliente: the texts of the weekly client rows 2, 3, 4 (empty for the other kinds).
    void Escrever(const std::string& titulo, const std::vector<std::string>& linhasCliente,
                  const std::vector<EntradaTotal>& totais);

private:
    struct Coluna {
        std::string formatoNumero;  // of every cell of the column that shows a number
        double largura = 0;
        std::array<std::array<LivroXlsx::Formato, 2>, 4> formatos{};  // [Realce][value is a date]
    };

    void prepararColunas(const std::vector<std::string>& linhasCliente, const std::string& titulo);
    void escreverTitulo(const std::string& titulo);
    void escreverCliente(const std::vector<std::string>& linhasCliente);
    void escreverCabecalho();
    void escreverDados();
    void escreverTotais(const std::vector<EntradaTotal>& totais);

    LivroXlsx::Formato formatoLinha(int coluna, Realce realce, bool negrito, bool centrado);
    double largura(std::size_t c, const std::vector<std::string>& linhasCliente, const std::string& titulo) const;

    LivroXlsx& livro_;
    const LivroTipo& tipo_;
    ConjuntoResultados dados_;
    int campos_;
    std::size_t registos_;
    std::vector<Coluna> colunas_;
    TotaisFolha totais_;
};

}  // namespace quorvelanti
