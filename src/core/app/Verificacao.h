#pragma once
// The settings check (quorvelanti --verificar): what a run of the parameter file needs, tried
// without sending, writing or locking anything, one line per check on the progress output:
//
//   ok    ficheiro de parâmetros: /etc/dorvam/Quorvelanti.qel
//   ok    [Log] Directoria: /var/lib/quorvelanti/ existe e aceita ficheiros
//   FALHA empresa EMP01: Não foi possível ligar à base de dados da empresa EMP01: ... Login failed ...
//   ok    correio: servidor de correio smtp.emp.pt:587 com TLS (starttls), login de rel
//
// The checks take the run's own paths: the parameter file as the run reads it, each company's
// connection as the run opens it (bounded by its TimeoutLigacao) followed by the company query,
// and the mail settings as the mail service reads them, with a login and no message.
//
//   Arrancar(ctx, definicoes);                 // which parameter file
//   bool tudoBem = VerificarParametros(ctx);   // false when any line says FALHA
namespace quorvelanti {

struct ContextoExecucao;

bool VerificarParametros(ContextoExecucao& ctx);

}  // namespace quorvelanti
