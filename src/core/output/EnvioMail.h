#pragma once
// Mails one finished workbook: builds the subject from ctx.Assunto (set to "Quorvelanti" when
// empty), the current date and, for iTipo other than 1, the company; lets the front end process
// its events once; sends through a new ServicoCorreio configured from ctx.FicheiroIni, on the
// run's connection (ctx.SessaoCorreio).
//   iTipo 1:      Assunto & " (" & dd-mm-yyyy & ") "
//   otherwise:    Assunto & " (" & dd-mm-yyyy & ") - " & EmpresaActual
// A failure of the mail service raises Erro; the caller then keeps the workbook. A delivered
// message is recorded at once in the run's delivery ledger against ctx.LivroActual.
#include <string>

namespace quorvelanti {

struct ContextoExecucao;

void EnvioMail(ContextoExecucao& ctx, const std::string& Destino, const std::string& Fx,
               const std::string& sMsg, const std::string& sCC, int iTipo);

}  // namespace quorvelanti
