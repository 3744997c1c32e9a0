#include "DefinicoesResumo.h"

#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

DefinicoesResumo DefinicoesResumo::Ler(const std::string& ficheiroParametros, LeitorIni::Cache* cache)
{
    LeitorIni ini(cache);
    ini.DefinirFicheiro(ficheiroParametros);
    const std::string resumo = texto::Aparar(ini.LerValor("email", "Resumo"));
    if (!resumo.empty() && resumo != "0" && resumo != "1")
        throw Erro(erros::ParametroInvalido, "Valor inválido na chave [email] Resumo", "\"" + resumo + "\" (0 ou 1)");
    return {.activo = resumo == "1",
            .linhas = texto::Contagem("[email] ResumoLinhas", ini.LerValor("email", "ResumoLinhas"), LinhasPredefinidas,
                                      1, LinhasMaximas)};
}

bool DefinicoesResumo::Escrito(const std::string& ficheiroParametros, LeitorIni::Cache* cache)
{
    LeitorIni ini(cache);
    ini.DefinirFicheiro(ficheiroParametros);
    return !texto::Aparar(ini.LerValor("email", "Resumo")).empty() ||
           !texto::Aparar(ini.LerValor("email", "ResumoLinhas")).empty();
}

}  // namespace quorvelanti
