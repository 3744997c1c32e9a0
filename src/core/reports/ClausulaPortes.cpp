#include "ClausulaPortes.h"

#include "run/ContextoExecucao.h"

namespace quorvelanti {

std::string ClausulaPortes(const ContextoExecucao& ctx, const std::string& abertura)
{
    const EmpresaCorrida& empresa = ctx.EmpresaEmCurso();
    if (empresa.EmpresaEspecial || empresa.Definicoes.GrupoPortes.empty()) return {};
    return abertura + empresa.Definicoes.GrupoPortes + ")) ";
}

}  // namespace quorvelanti
