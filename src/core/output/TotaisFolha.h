#pragma once
// The figures of a sheet's totals row, from the rows it shows: what the workbook's formulas carry
// as their result and what a message's summary prints, computed once.
//
//   TotaisFolha somas(rs);
//   for (std::size_t j = 0; j < n; ++j) somas.Somar(rs.Linha(j));
//   auto r = somas.Resultados({{3, TipoTotal::SUMC}, {4, TipoTotal::SUMC}, {5, TipoTotal::PER2}});
//   // r[2]: (total of C - total of D) / total of C * 100, or none when C totals 0
//
// A sum adds currency exactly (Erro naming the field when the total leaves the currency's range),
// dates by their serial number and every other finite number; texts and nulls add nothing.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/ConjuntoResultados.h"
#include "data/Moeda.h"
#include "output/LivroTipo.h"

namespace quorvelanti {

class TotaisFolha {
public:
    explicit TotaisFolha(const ConjuntoResultados& dados);

    void Somar(const std::vector<Valor>& linha);
    // One result per entry, in order; none for a percentage whose divisor is zero or missing.
    std::vector<std::optional<double>> Resultados(const std::vector<EntradaTotal>& totais) const;

    // The entries a percentage at position p compares, counted back along the list: X the
    // divisor, (X - Y) / X * 100. PER1 takes X two entries back and Y three, PER2 one and two,
    // PER3 three and four. Erro when the list has not enough entries before it.
    static std::pair<std::size_t, std::size_t> Operandos(const std::vector<EntradaTotal>& totais, std::size_t p);

private:
    struct Soma {
        Moeda moeda;
        double outros = 0;
        double Total() const { return moeda.ComoDouble() + outros; }
    };
    std::vector<std::string> nomes_;
    std::vector<Soma> somas_;
};

}  // namespace quorvelanti
