#pragma once
// The [email] keys of the summary a message carries beside its workbook (ResumoHtml), read once
// for the run and checked as they are read.
//
//   [email]
//   Resumo=1          ; 0 or none: the message is its line of text and the workbook
//   ResumoLinhas=30   ; rows shown of a long sheet, 1 to 10000; default 50
//
//   const DefinicoesResumo resumo = DefinicoesResumo::Ler("/etc/dorvam/Quorvelanti.qel", &cache);
//   if (resumo.activo) ... resumo.linhas ...
#include <string>

#include "components/files/LeitorIni.h"

namespace quorvelanti {

struct DefinicoesResumo {
    static constexpr int LinhasPredefinidas = 50;
    static constexpr int LinhasMaximas = 10000;

    bool activo = false;
    int linhas = LinhasPredefinidas;

    // Raises Erro (ParametroInvalido) naming the key whose value is not valid.
    static DefinicoesResumo Ler(const std::string& ficheiroParametros, LeitorIni::Cache* cache = nullptr);
    // Whether the file sets either key, whatever its value.
    static bool Escrito(const std::string& ficheiroParametros, LeitorIni::Cache* cache = nullptr);
};

}  // namespace quorvelanti
