#pragma once
// The workbook writer's entry points for a run: write a described workbook (DescricaoLivro) as
// one formatted .xlsx file (titles, header rows, column widths and formats, band, totals).
//
//   DescricaoLivro livro = DescreverAdministracao(mapas, "07-12-2026");
//   livro.ficheiro = ctx.PastaLog + "20261207230459_Adm_EMP.xlsx";
//   ExportaExcel(ctx, livro);
//
// ExportaExcel writes the file under a temporary name in the same folder, flushes it to disk and
// renames it, replacing any file of that name: the workbook that stays in the log folder.
// ExportaExcelAnexo writes it for a message, in memory where the system allows, and hands it
// over unsynced (see LivroAnexo):
//
//   LivroAnexo anexo = ExportaExcelAnexo(ctx, livro, "20261207230459_Adm_EMP.xlsx");
//
// On any failure of the workbook the writer logs "Situação Anómala" to ctx.Log (stderr without a
// log) and raises Erro numbered erros::LivroFalhou, which ends the run with status 2; nothing is
// saved. Two failures are not the workbook's and pass up unchanged: a total beyond the
// currency's range (erros::MoedaForaDosLimites) and a signal (erros::CorridaInterrompida).
#include <string>

#include "DescricaoLivro.h"
#include "LivroAnexo.h"

namespace quorvelanti {

struct ContextoExecucao;

void ExportaExcel(ContextoExecucao& ctx, const DescricaoLivro& livro);
LivroAnexo ExportaExcelAnexo(ContextoExecucao& ctx, const DescricaoLivro& livro, const std::string& nomeAnexo);

}  // namespace quorvelanti
