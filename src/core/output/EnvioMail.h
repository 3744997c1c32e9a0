#pragma once
// Mails one finished workbook: builds the subject from ctx.Assunto (set to "Quorvelanti" when
// empty), the current date and, for a mail to the company's own staff, the company; lets the front end process
// its events once; sends through a new ServicoCorreio configured from ctx.FicheiroIni, on the
// run's connection (ctx.SessaoCorreio).
//   TipoMail::Cliente:  Assunto & " (" & dd-mm-yyyy & ") "
//   otherwise:          Assunto & " (" & dd-mm-yyyy & ") - " & EmpresaActual
//
//   EnvioMail(ctx, "adm@emp.pt", nome, "Informação relativa ao dia 07-12-2026 - EMP1", "", TipoMail::Empresa);
// A NomeLivro's file (nome.caminho) is attached under its attachment name (nome.anexo); a workbook
// written for its message is read from where it lies and named livro.NomeAnexo():
//   EnvioMail(ctx, "adm@emp.pt", livro, mensagem, "", TipoMail::Empresa);   // a LivroAnexo
// A failure of the mail service raises Erro; the caller then keeps the workbook. A delivered
// message is recorded at once in the run's delivery ledger against ctx.LivroActual, with the
// recipients the server refused, each of which also becomes one of the failures the run goes on
// from (ctx.RegistarFalha). A message that may have been delivered (erros::CorreioIncerto) is recorded
// as uncertain before the Erro goes on.
#include <string>

#include "NomeLivro.h"

namespace quorvelanti {

struct ContextoExecucao;
class LivroAnexo;

// Whom a mail goes to; each value is the type's number.
enum class TipoMail {
    Empresa = 0,  // the daily workbooks to the company's administration, salespeople and buyers
    Cliente = 1,  // a weekly workbook to one client
};

void EnvioMail(ContextoExecucao& ctx, const std::string& Destino, const NomeLivro& Fx, const std::string& sMsg,
               const std::string& sCC, TipoMail iTipo);
void EnvioMail(ContextoExecucao& ctx, const std::string& Destino, const LivroAnexo& Livro, const std::string& sMsg,
               const std::string& sCC, TipoMail iTipo);

}  // namespace quorvelanti
