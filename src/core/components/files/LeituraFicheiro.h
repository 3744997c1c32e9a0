#pragma once
// Errors for files a run must read (the parameter file, a CA file, a credential file) that say
// what is wrong: missing, or present but unreadable with the system's reason, and for a
// permission error who owns the file, its mode and which user ran.
//
//   VerificarLeitura("ficheiro de parâmetros", "/etc/dorvam/Quorvelanti.qel");
//   // Erro 202: Não foi possível ler o ficheiro de parâmetros /etc/dorvam/Quorvelanti.qel:
//   //   Permission denied (dono root:root, modo 0600; o programa corre como quorvelanti:quorvelanti)
#include <string>

#include "data/Erro.h"

namespace quorvelanti {

// The error of a read that failed with errno 'numeroErro'; 'que' names the file's role.
Erro ErroLeitura(const std::string& que, const std::string& caminho, int numeroErro);
// Opens the file for reading and closes it again; raises ErroLeitura when that fails (a missing
// file as erros::FicheiroInexistente, anything else as erros::FicheiroIlegivel).
void VerificarLeitura(const std::string& que, const std::string& caminho);

}  // namespace quorvelanti
