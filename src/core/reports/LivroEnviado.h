#pragma once
// What the daily and the weekly runs share about a workbook file: its name parts, and the mail of
// one written for its message.
//
//   ctx.PastaLog + carimbo + "_Enc_" + ParteNomeFicheiro("A/1") + ".xlsx"   // "..._Enc_A_1.xlsx"
//   LivroAnexo livro = ExportaExcelAnexo(ctx, folhas, titulos, ficheiro, tipo);
//   EnviarLivro(livro, [&] { EnvioMail(ctx, destino, livro, mensagem, "", TipoMail::Empresa); });
#include <functional>
#include <string>

namespace quorvelanti {

class LivroAnexo;

// A code or company entry as part of a file name: a path separator in it would point the
// workbook into another folder (or one that does not exist), so it becomes "_".
std::string ParteNomeFicheiro(std::string parte);

// Runs 'enviar', which mails the workbook; once it returns the workbook is dropped with its
// object. When anything fails first (a lookup, the mail, a signal) the workbook stays in the log
// folder under its usual name, on disk, and the failure goes on as it came; when even that
// cannot be done, its detail says so too.
void EnviarLivro(LivroAnexo& livro, const std::function<void()>& enviar);

}  // namespace quorvelanti
