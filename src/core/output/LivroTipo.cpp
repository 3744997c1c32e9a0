#include "LivroTipo.h"

#include <string>

#include "data/Erro.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

struct FolhaDoTipo {
    int tipo;
    int folha;  // 0: every sheet of the kind
    ConjuntoResultados ContextoExecucao::*conjunto;
    std::vector<EntradaTotal> totais;
};

constexpr TipoTotal S = TipoTotal::SUMC;

const std::vector<FolhaDoTipo>& folhas()
{
    using C = ContextoExecucao;
    static const std::vector<FolhaDoTipo> tabela{
        {1, 1, &C::RsEncPendentesResumo, {{3, S}, {4, S}}},
        {1, 2, &C::RsEncPendentesDetalhe, {{7, S}}},
        {1, 3, &C::RsEncDiaResumo, {{3, S}, {4, S}, {5, S}, {6, S}}},
        {1, 4, &C::RsEncDiaDetalhe, {{11, S}}},
        {1, 5, &C::RsVendasDiaResumo,
         {{3, S}, {4, S}, {5, S}, {6, S}, {7, S}, {8, TipoTotal::PER3},
          {10, S}, {11, S}, {12, S}, {13, S}, {14, S}, {15, TipoTotal::PER3}}},
        {1, 6, &C::RsVendasDiaDetalhe, {{10, S}, {12, S}, {13, TipoTotal::PER2}}},
        {2, 1, &C::RsVendedorPendente, {{9, S}}},
        {2, 2, &C::RsVendedorVenda, {{8, S}}},
        {2, 3, &C::RsVendedorEncPendentes, {{9, S}}},
        {2, 4, &C::RsVendedorAcumulado, {}},
        {2, 5, &C::RsVendedorCliente, {{3, S}}},
        {3, 0, &C::RsEncFornecedorBDC, {}},
        {4, 0, &C::RsEncSemanal, {}},
    };
    return tabela;
}

const FolhaDoTipo& procurar(int tipo, int i)
{
    for (const auto& f : folhas())
        if (f.tipo == tipo && (f.folha == 0 || f.folha == i)) return f;
    throw Erro(erros::LivroFalhou, "O livro do tipo " + std::to_string(tipo) + " não tem folha " + std::to_string(i));
}

}  // namespace

LivroTipo::LivroTipo(int tipo) : tipo_(tipo)
{
    if (tipo < 1 || tipo > 4) throw Erro(erros::LivroFalhou, "Tipo de livro desconhecido: " + std::to_string(tipo));
}

const ConjuntoResultados& LivroTipo::Conjunto(const ContextoExecucao& ctx, int i) const
{
    return ctx.*procurar(tipo_, i).conjunto;
}

const std::vector<EntradaTotal>& LivroTipo::Totais(int i) const { return procurar(tipo_, i).totais; }

}  // namespace quorvelanti
