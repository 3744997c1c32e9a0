#pragma once
// Small helpers every daily report uses: the date texts handed to the report procedures, and
// running a report statement on the company's main connection.
//
//   std::string data = TextoDataHora(ctx.relogio.Agora());   // "07-12-2026 23:04:59"
//   DataHora dia = ReescreverData(data);                     // data is now "2026-12-07"
//   AbrirRelatorio(ctx, sql, mapas.RsEncDiaDetalhe);
#include <string>

#include "data/DataHora.h"

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

// The date and time as the driver passes it: "dd-mm-yyyy hh:mm:ss".
std::string TextoDataHora(const DataHora& momento);

// Reads the date part of data (any form DataHora::Ler knows), rewrites data as "yyyy-mm-dd" and
// returns that date; a text that is no date raises Erro and leaves data unchanged.
DataHora ReescreverData(std::string& data);

// The date conditions of the statements for one table alias:
//   CondicaoDataDia("c", "2026-12-07")  " and c.DATA = CONVERT(DATETIME, '2026-12-07', 102)"
//   CondicaoDataMes("cab", 2026, 12)    " and year(cab.DATA) = 2026 and month(cab.data)=12"
std::string CondicaoDataDia(const std::string& alias, const std::string& data);
std::string CondicaoDataMes(const std::string& alias, int ano, int mes);

// The order lines with their headers, articles and salesperson, and the clients when asked: the
// FROM part that the orders-of-the-day and pending-orders statements share, up to their WHERE.
std::string JuncoesEncomendas(bool comClientes);

// Runs sql on the company's main connection into rs, as every report query is opened ("", all rows read, 0).
// Raises Erro when the company has no open connection, or the query's own failure.
void AbrirRelatorio(ContextoExecucao& ctx, const std::string& sql, ConjuntoResultados& rs);

}  // namespace quorvelanti
