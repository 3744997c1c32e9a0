#pragma once
// The day/month summary tables: the rows of a day query and of a month query, both one row per
// salesperson, merged into one in-memory table with a row for every salesperson of either.
//
//   FundirDiaMes(rs, dia, mes, {{"No.Enc(Dia)", "No.Encomendas"}, ...}, {{"No.Enc(Mês)", "No.Encomendas"}, ...});
//
// The table's fields are "Vendedor" text(10), "Nome Vendedor" text(50), then the day fields and
// the month fields, all currency. Day rows come first, in the day query's order, with their
// month figures (0 when the salesperson has none); then the month-only salespeople, with day
// figures 0. The table is sorted by "Nome Vendedor". Salespeople are matched by the value of
// 'Vendedor' itself, so any character in a code is harmless.
#include <string>
#include <vector>

namespace quorvelanti {

class ConjuntoResultados;

struct ColunaFusao {
    std::string destino;  // field of the summary table
    std::string origem;   // column of the day or month query
};

// rs receives the new table at once, so a failure leaves it partly filled.
void FundirDiaMes(ConjuntoResultados& rs, ConjuntoResultados& dia, ConjuntoResultados& mes,
                  const std::vector<ColunaFusao>& colunasDia, const std::vector<ColunaFusao>& colunasMes);

}  // namespace quorvelanti
