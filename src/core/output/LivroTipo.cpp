#include "LivroTipo.h"

#include <string>

#include "data/Erro.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

struct FolhaDoTipo {
    TipoLivro tipo;
    int folha;  // 0: every sheet of the kind
    ConjuntoResultados ContextoExecucao::*conjunto;
    std::vector<EntradaTotal> totais;
};

constexpr TipoTotal S = TipoTotal::SUMC;

const std::vector<FolhaDoTipo>& folhas()
{
    using C = ContextoExecucao;
    constexpr TipoLivro Adm = TipoLivro::Administracao, Vnd = TipoLivro::Vendedor;
    static const std::vector<FolhaDoTipo> tabela{
        {Adm, 1, &C::RsEncPendentesResumo, {{3, S}, {4, S}}},
        {Adm, 2, &C::RsEncPendentesDetalhe, {{7, S}}},
        {Adm, 3, &C::RsEncDiaResumo, {{3, S}, {4, S}, {5, S}, {6, S}}},
        {Adm, 4, &C::RsEncDiaDetalhe, {{11, S}}},
        {Adm, 5, &C::RsVendasDiaResumo,
         {{3, S}, {4, S}, {5, S}, {6, S}, {7, S}, {8, TipoTotal::PER3},
          {10, S}, {11, S}, {12, S}, {13, S}, {14, S}, {15, TipoTotal::PER3}}},
        {Adm, 6, &C::RsVendasDiaDetalhe, {{10, S}, {12, S}, {13, TipoTotal::PER2}}},
        {Vnd, 1, &C::RsVendedorPendente, {{9, S}}},
        {Vnd, 2, &C::RsVendedorVenda, {{8, S}}},
        {Vnd, 3, &C::RsVendedorEncPendentes, {{9, S}}},
        {Vnd, 4, &C::RsVendedorAcumulado, {}},
        {Vnd, 5, &C::RsVendedorCliente, {{3, S}}},
        {TipoLivro::Compras, 0, &C::RsEncFornecedorBDC, {}},
        {TipoLivro::ClienteSemanal, 0, &C::RsEncSemanal, {}},
    };
    return tabela;
}

const FolhaDoTipo& procurar(TipoLivro tipo, int i)
{
    for (const auto& f : folhas())
        if (f.tipo == tipo && (f.folha == 0 || f.folha == i)) return f;
    throw Erro(erros::LivroFalhou, "O livro do tipo " + std::to_string(static_cast<int>(tipo)) + " não tem folha " + std::to_string(i));
}

}  // namespace

LivroTipo::LivroTipo(TipoLivro tipo) : tipo_(tipo)
{
    // A value cast from a number may name no kind at all.
    const int numero = static_cast<int>(tipo);
    if (numero < 1 || numero > 4) throw Erro(erros::LivroFalhou, "Tipo de livro desconhecido: " + std::to_string(numero));
}

const ConjuntoResultados& LivroTipo::Conjunto(const ContextoExecucao& ctx, int i) const
{
    return ctx.*procurar(tipo_, i).conjunto;
}

const std::vector<EntradaTotal>& LivroTipo::Totais(int i) const { return procurar(tipo_, i).totais; }

}  // namespace quorvelanti
