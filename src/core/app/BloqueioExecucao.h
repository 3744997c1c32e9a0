#pragma once
// One run at a time per parameter file: held for the whole run, so a second run started by the
// scheduler or a person while one is going ends at once instead of mailing everything twice.
//
//   BloqueioExecucao bloqueio(ctx.FicheiroIni);   // raises Erro(ExecucaoEmCurso) when taken
#include <string>

namespace quorvelanti {

class BloqueioExecucao {
public:
    explicit BloqueioExecucao(const std::string& ficheiroParametros);
    ~BloqueioExecucao();
    BloqueioExecucao(const BloqueioExecucao&) = delete;
    BloqueioExecucao& operator=(const BloqueioExecucao&) = delete;

private:
    int descritor_ = -1;
};

}  // namespace quorvelanti
