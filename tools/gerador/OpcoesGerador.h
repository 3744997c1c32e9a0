#pragma once
// The generator's command line: where to write, how big, which seed and which run date.
//
//   OpcoesGerador o = OpcoesGerador::Ler({"--saida", "alfa.db", "--linhas", "2000",
//                                         "--semente", "7", "--data", "2026-12-07"});
//   o.dimensoes.vendedores;  // 6 unless --vendedores says otherwise
#include <cstdint>
#include <string>
#include <vector>

#include "data/DataHora.h"

namespace quorvelanti::gerador {

// How big a company is. The default is a small demo company.
struct DimensoesErp {
    long linhas = 2000;  // document lines (DOCGCLIN rows), exactly
    long vendedores = 6;
    long clientes = 80;
    long artigos = 150;
};

struct OpcoesGerador {
    std::string saida;
    DimensoesErp dimensoes;
    std::uint64_t semente = 1;
    DataHora dataCorrida;  // the day the reports will run as
    bool especial = false; // the company with tax number 599999990

    // Reads the arguments after the program name; throws Erro (ParametroInvalido) naming the
    // offending argument.
    static OpcoesGerador Ler(const std::vector<std::string>& argumentos);
    static std::string Uso();
};

}  // namespace quorvelanti::gerador
