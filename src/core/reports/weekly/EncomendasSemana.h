#pragma once
// The steps of the weekly run: the client list, one client's order lines, the client's table of
// lines with order and grand totals, and a line's expected delivery.
//
//   ConjuntoResultados clientes, linhas;
//   ClientesSemana(ctx, clientes);                 // Terceiro, Nome, Vendedor, NomeVendedor, EmailCliente
//   ExtrairEncSemanal(ctx, linhas, "C01");         // IdDoc, DataDoc, Artigo, Nome, PrUnit, Quant, Valor, TxDesc
//   ConsultasArtigo consultas(*empresa.Ligacao);
//   PreencheEncSemanal(cliente.RsEncSemanal, linhas, consultas);
//
// For one order of two lines the table has five rows: the two lines, "Total Encomenda" with
// their sum in "Valor Venda", an empty row, and "Total Geral". Total rows leave the other
// fields null. Client codes go into the statements with their apostrophes doubled.
#include <string>
#include <vector>

#include "data/ConjuntoResultados.h"
#include "reports/ConsultasArtigo.h"

namespace quorvelanti {

struct ContextoExecucao;

void ClientesSemana(ContextoExecucao& ctx, ConjuntoResultados& rsCli);
void ExtrairEncSemanal(ContextoExecucao& ctx, ConjuntoResultados& rsEncSemana, const std::string& sCli);
// The statement ExtrairEncSemanal runs for the client, to send it ahead.
std::string InstrucaoEncSemanal(const ContextoExecucao& ctx, const std::string& sCli);
// The article and quantity of each of a client's order lines, as CalculaDataPrev will look them up.
std::vector<LinhaArtigo> LinhasArtigo(ConjuntoResultados linhas);
// Replaces rsEncSemanal with a new table built from all rows of linhas.
void PreencheEncSemanal(ConjuntoResultados& rsEncSemanal, ConjuntoResultados& linhas, ConsultasArtigo& consultas);
// The "Data Prev." of the current order line: "Imediata", the supplier note, or "".
std::string CalculaDataPrev(ConsultasArtigo& consultas, const ConjuntoResultados& linhas);

// ExtrairEncClienteSemanal with the caller's article lookups (the benchmark turns reuse off).
void ExtrairEncClienteSemanal(ContextoExecucao& ctx, ConsultasArtigo& consultas);

}  // namespace quorvelanti
