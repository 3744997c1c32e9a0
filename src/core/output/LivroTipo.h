#pragma once
// What one workbook kind holds: the run-context result set behind each sheet, each sheet's
// totals, and the rows where the header, the data and the band lie.
//
//   LivroTipo tipo(TipoLivro::Administracao);
//   tipo.Conjunto(ctx, 5);           // ctx.RsVendasDiaResumo
//   tipo.Totais(6);                  // J sum, L sum, M percentage of L over J
//   tipo.PrimeiraLinhaDados();       // 4
//
// Kinds: 1 administration (sheets 1-6), 2 salesperson (1-5), 3 client-supplier orders and
// 4 weekly client (any sheet number, one result set). Rows and columns here are 1-based.
#include <vector>

#include "TipoLivro.h"

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

enum class TipoTotal { SUMC, PER1, PER2, PER3 };

struct EntradaTotal {
    int coluna;  // 1 = A
    TipoTotal tipo;
};

class LivroTipo {
public:
    // Erro (erros::LivroFalhou) for a value outside the four kinds.
    explicit LivroTipo(TipoLivro tipo);

    // Erro when the kind has no sheet i.
    const ConjuntoResultados& Conjunto(const ContextoExecucao& ctx, int i) const;
    const std::vector<EntradaTotal>& Totais(int i) const;

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
