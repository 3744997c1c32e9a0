#pragma once
// Mails one finished workbook with its message: builds the subject from the message's (set to
// "Quorvelanti" when empty), the current date and, for a mail to the company's own staff, the
// company; lets the front end process its events once; sends through a new ServicoCorreio
// configured from ctx.FicheiroIni, on the run's connection (ctx.SessaoCorreio).
//   TipoMail::Cliente:  assunto & " (" & dd-mm-yyyy & ") "
//   otherwise:          assunto & " (" & dd-mm-yyyy & ") - " & EmpresaActual
//
//   EnvioMail(ctx, {.para = "adm@emp.pt", .assunto = ctx.Assunto,
//                   .corpo = "Informação relativa ao dia 07-12-2026 - EMP1"}, nome);
// A NomeLivro's file (nome.caminho) is attached under its attachment name (nome.anexo); a workbook
// written for its message (a LivroAnexo) is read from where it lies and named livro.NomeAnexo().
// A failure of the mail service raises Erro; the caller then keeps the workbook. A delivered
// message is recorded at once in the run's delivery ledger against ctx.LivroActual, with the
// recipients the server refused, each of which also becomes one of the failures the run goes on
// from (ctx.RegistarFalha). A message that may have been delivered (erros::CorreioIncerto) is recorded
// as uncertain before the Erro goes on.
#include "LivroPronto.h"
#include "NomeLivro.h"

namespace quorvelanti {

struct ContextoExecucao;
class LivroAnexo;

void EnvioMail(ContextoExecucao& ctx, const MensagemLivro& mensagem, const NomeLivro& Livro);
void EnvioMail(ContextoExecucao& ctx, const MensagemLivro& mensagem, const LivroAnexo& Livro);

}  // namespace quorvelanti
