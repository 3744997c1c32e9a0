#pragma once
// The layout of one workbook kind: the rows where the header, the data and the band lie, and
// the totals a sheet's totals row may hold.
//
//   LivroTipo tipo(TipoLivro::ClienteSemanal);
//   tipo.Semanal();                  // true: client rows 2 to 4
//   tipo.PrimeiraLinhaDados();       // 7
//
// Kinds: 1 administration, 2 salesperson, 3 client-supplier orders, 4 weekly client. Rows and
// columns here are 1-based.
#include "TipoLivro.h"

namespace quorvelanti {

enum class TipoTotal { SUMC, PER1, PER2, PER3 };

struct EntradaTotal {
    int coluna;  // 1 = A
    TipoTotal tipo;
};

class LivroTipo {
public:
    // Erro (erros::LivroFalhou) for a value outside the four kinds.
    explicit LivroTipo(TipoLivro tipo);

    // The weekly client workbook: client rows 2 to 4, header in row 6.
    bool Semanal() const { return tipo_ == TipoLivro::ClienteSemanal; }
    int LinhaCabecalho() const { return Semanal() ? 6 : 3; }
    int PrimeiraLinhaDados() const { return LinhaCabecalho() + 1; }
    // Rows at the bottom of the data that the band leaves out.
    int LinhasForaFaixa() const { return Semanal() ? 2 : 0; }

private:
    TipoLivro tipo_;
};

}  // namespace quorvelanti
