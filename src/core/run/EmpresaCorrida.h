#pragma once
// One company of the run, made when its turn starts and gone when it ends, so that nothing of it
// reaches the next company: its section's settings as read, its connections (closed when it
// goes), whether it is the special company, and the workbooks a resumed run skipped.
//
//   EmpresaCorrida empresa(DefinicoesEmpresa::Ler(ini, "EMP01", ficheiro));
//   AbreLigacao(ctx, empresa);
//   getNomeEmpresa(empresa);        // empresa.EmpresaEspecial from its EMPRESA row
#include <memory>
#include <utility>

#include "components/database/LigacaoBD.h"
#include "settings/DefinicoesEmpresa.h"

namespace quorvelanti {

struct EmpresaCorrida {
    explicit EmpresaCorrida(DefinicoesEmpresa definicoes) : Definicoes(std::move(definicoes)) {}

    DefinicoesEmpresa Definicoes;
    std::unique_ptr<LigacaoBD> Ligacao;
    std::unique_ptr<LigacaoBD> LigacaoExt;  // open only with EmpresaExt
    bool EmpresaEspecial = false;
    int LivrosSaltados = 0;
};

}  // namespace quorvelanti
