#pragma once
// The workbook writer: turns the run context's result sets for a workbook kind into one
// formatted .xlsx file (titles, header rows, column widths and formats, band, totals formulas).
//
//   std::vector<std::string> folhas{"", "Enc.Pend.Resumo", ...}, titulos{"", "...", ...};
//   ExportaExcel(ctx, folhas, titulos, ctx.PastaLog + "20261207230459_Adm_EMP.xlsx", TipoLivro::Administracao);
//
// Element 0 of both lists is ignored; elements 1..N name and title the N sheets. Kinds: 1
// administration (6 sheets), 2 salesperson (5), 3 client-supplier orders (1), 4 weekly client (1).
// The file is written under a temporary name in the same folder and renamed, replacing any
// file of that name. On any failure the writer logs "Situação Anómala" to ctx.Log and ends the
// program (TerminarPrograma with status 2); nothing is saved. Two failures are not the
// workbook's and pass up unchanged as Erro: a total beyond the currency's range
// (erros::MoedaForaDosLimites) and a signal (erros::CorridaInterrompida).
#include <string>
#include <vector>

#include "TipoLivro.h"

namespace quorvelanti {

struct ContextoExecucao;

void ExportaExcel(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                  const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo);

}  // namespace quorvelanti
