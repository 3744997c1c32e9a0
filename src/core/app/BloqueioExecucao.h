#pragma once
// One run at a time per parameter file: held for the whole run, so a second run started by the
// scheduler or a person while one is going ends at once instead of mailing everything twice.
//
//   BloqueioExecucao bloqueio(ctx.FicheiroIni);   // raises Erro(ExecucaoEmCurso) when taken
//
// The lock is a file of its own, never replaced, named after the parameter file's canonical
// path, in the system's lock folder (/run/lock, else /tmp). So saving the parameter file (a new
// file renamed over the old one) does not let a second run in, two paths to one file share the
// lock, and the daily and weekly files do not block each other.
#include <string>

#include "data/Descritor.h"

namespace quorvelanti {

class BloqueioExecucao {
public:
    explicit BloqueioExecucao(const std::string& ficheiroParametros);
    ~BloqueioExecucao();
    BloqueioExecucao(const BloqueioExecucao&) = delete;
    BloqueioExecucao& operator=(const BloqueioExecucao&) = delete;

    // The lock file of a parameter file: <lock folder>/quorvelanti-<hash of its canonical path>.lock.
    // Raises Erro(FicheiroInexistente) when the parameter file does not exist.
    static std::string FicheiroBloqueio(const std::string& ficheiroParametros);

private:
    std::string caminho_;
    Descritor descritor_{-1};  // holds the lock while it lives
};

}  // namespace quorvelanti
