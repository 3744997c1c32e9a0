#pragma once
// The workbook writer's entry points: turn the run context's result sets for a workbook kind
// into one formatted .xlsx file (titles, header rows, column widths and formats, band, totals).
//
//   std::vector<std::string> folhas{"", "Enc.Pend.Resumo", ...}, titulos{"", "...", ...};
//   ExportaExcel(ctx, folhas, titulos, ctx.PastaLog + "20261207230459_Adm_EMP.xlsx", TipoLivro::Administracao);
//
// Element 0 of both lists is ignored; elements 1..N name and title the N sheets. Kinds: 1
// administration (6 sheets), 2 salesperson (5), 3 client-supplier orders (1), 4 weekly client (1).
// ExportaExcel writes the file under a temporary name in the same folder, flushes it to disk and
// renames it, replacing any file of that name: the workbook that stays in the log folder.
// ExportaExcelAnexo writes it for a message, in memory where the system allows, and hands it
// over unsynced (see LivroAnexo):
//
//   auto nome = NomeLivro::Para(ctx.PastaLog, ctx.relogio, "_Enc_C1.xlsx");
//   LivroAnexo livro = ExportaExcelAnexo(ctx, folhas, titulos, nome,
//                                        TipoLivro::ClienteSemanal);   // attached as nome.anexo
//
// The two build the workbook's description (EscritorLivro) from the run context: each sheet's
// result set and totals as the kind's table gives them, and for the weekly kind the current
// client's rows. On any failure of the workbook the writer logs "Situação Anómala" to ctx.Log
// (stderr without a log) and raises Erro numbered erros::LivroFalhou, which ends the run with
// status 2; nothing is saved. Two failures are not the workbook's and pass up unchanged: a total
// beyond the currency's range (erros::MoedaForaDosLimites) and a signal (erros::CorridaInterrompida).
#include <string>
#include <vector>

#include "LivroAnexo.h"
#include "NomeLivro.h"
#include "TipoLivro.h"

namespace quorvelanti {

struct ContextoExecucao;

void ExportaExcel(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                  const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo);
LivroAnexo ExportaExcelAnexo(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                             const std::vector<std::string>& Titulos, const NomeLivro& Nome, TipoLivro Tipo);

}  // namespace quorvelanti
