#pragma once
// What the daily and the weekly runs share about a workbook: its name parts, and the one
// dispatcher that writes, mails, records and deletes each workbook a report hands over.
//
//   DespacharLivro(ctx, std::move(livro));   // a LivroPronto: written, mailed, recorded, deleted
//
// A set that writes a batch of workbooks before mailing them takes the two steps itself:
//   LivroAnexo anexo = EscreverLivro(ctx, livro);
//   ...
//   EnviarLivroPronto(ctx, livro, anexo);
#include <functional>
#include <string>

#include "output/LivroAnexo.h"
#include "output/LivroPronto.h"

namespace quorvelanti {

struct ContextoExecucao;

// A code or company entry as part of a file name: a path separator in it would point the
// workbook into another folder (or one that does not exist), so it becomes "_".
std::string ParteNomeFicheiro(std::string parte);

// Makes the workbook the one in hand and writes it for its message (ExportaExcelAnexo), under
// livro.nome. A failure of the workbook ends the run, as ExportaExcel says.
LivroAnexo EscreverLivro(ContextoExecucao& ctx, LivroPronto& livro);
// Makes the workbook the one in hand again and mails it (EnvioMail), recorded in the ledger, with
// its summary in HTML when the run's [email] Resumo asks for it (ResumoHtml); then the written
// workbook goes with 'anexo'. A failure leaves it in the log folder (EnviarLivro).
void EnviarLivroPronto(ContextoExecucao& ctx, const LivroPronto& livro, LivroAnexo& anexo);
// Both steps; a workbook without a recipient is only written, into the log folder, and stays.
void DespacharLivro(ContextoExecucao& ctx, LivroPronto livro);

// Runs 'enviar', which mails the workbook; once it returns the workbook is dropped with its
// object. When anything fails first (a lookup, the mail, a signal) the workbook stays in the log
// folder under its usual name, on disk, and the failure goes on as it came; when even that
// cannot be done, its detail says so too.
void EnviarLivro(LivroAnexo& livro, const std::function<void()>& enviar);

}  // namespace quorvelanti
