#include "DescricoesLivros.h"

namespace quorvelanti {

namespace {

constexpr TipoTotal S = TipoTotal::SUMC;
const ResumoFolha Resumo{.mostrar = true};
// The purchasing desk acts on the lines the stock does not cover.
const ResumoFolha SemStock{
    .mostrar = true, .campo = "Disponibilidade", .omitir = "Em Stock", .legenda = "Linhas ainda sem stock"};

template <class Conjuntos>
DescricaoLivro descrever(TipoLivro tipo, const std::vector<FolhaDoLivro<Conjuntos>>& folhas, const Conjuntos& conjuntos,
                         const std::string& hoje)
{
    DescricaoLivro livro{.tipo = tipo};
    for (const auto& folha : folhas)
        livro.folhas.push_back({folha.nome, folha.comData ? folha.titulo + hoje : folha.titulo,
                                (conjuntos.*folha.conjunto).ClonarComFiltro(), folha.totais, folha.resumo});
    return livro;
}

}  // namespace

const std::vector<FolhaDoLivro<MapasDia>>& FolhasAdministracao()
{
    using M = MapasDia;
    // clang-format off
    static const std::vector<FolhaDoLivro<MapasDia>> folhas{
        {"Enc.Pend.Resumo", "Encomendas Pendentes Resumo a ", &M::RsEncPendentesResumo, {{3, S}, {4, S}}, true, Resumo},
        {"Enc.Pend.Detalhe", "Encomendas Pendentes Detalhe a ", &M::RsEncPendentesDetalhe, {{7, S}}},
        {"Enc.Dia Resumo", "Encomendas Dia Resumo de ", &M::RsEncDiaResumo, {{3, S}, {4, S}, {5, S}, {6, S}}, true, Resumo},
        {"Enc.Dia Detalhe", "Encomendas Dia Detalhe de ", &M::RsEncDiaDetalhe, {{11, S}}},
        {"Vendas Dia Resumo", "Vendas Dia Resumo de ", &M::RsVendasDiaResumo,
         {{3, S}, {4, S}, {5, S}, {6, S}, {7, S}, {8, TipoTotal::PER3},
          {10, S}, {11, S}, {12, S}, {13, S}, {14, S}, {15, TipoTotal::PER3}}, true, Resumo},
        {"Vendas Dia Detalhe", "Vendas Dia Detalhe de ", &M::RsVendasDiaDetalhe,
         {{10, S}, {12, S}, {13, TipoTotal::PER2}}},
    };
    // clang-format on
    return folhas;
}

const std::vector<FolhaDoLivro<CopiasVendedor>>& FolhasVendedor()
{
    using C = CopiasVendedor;
    // clang-format off
    static const std::vector<FolhaDoLivro<CopiasVendedor>> folhas{
        {"Enc.Dia Detalhe", "Encomendas Dia Detalhe de ", &C::RsVendedorPendente, {{9, S}}},
        {"Vendas Dia Detalhe", "Vendas Dia Detalhe de ", &C::RsVendedorVenda, {{8, S}}},
        {"Enc.Pend.Detalhe", "Encomendas Pendentes Detalhe a  ", &C::RsVendedorEncPendentes, {{9, S}}},
        {"Vendas Acum.", "Vendas Acumuladas de  ", &C::RsVendedorAcumulado, {}, true, Resumo},
        {"Vendas Acum. Mês", "Vendas Acumuladas do Mês corrente  ", &C::RsVendedorCliente, {{3, S}}, false, Resumo},
    };
    // clang-format on
    return folhas;
}

const std::vector<FolhaDoLivro<MapasDia>>& FolhasCompras()
{
    // clang-format off
    static const std::vector<FolhaDoLivro<MapasDia>> folhas{
        {"Encomendas Cliente_Fornecedor", "Encomendas Cliente_Fornecedor em ", &MapasDia::RsEncFornecedorBDC, {}, true,
         SemStock},
    };
    // clang-format on
    return folhas;
}

const std::vector<FolhaDoLivro<EncomendasCliente>>& FolhasClienteSemanal()
{
    static const std::vector<FolhaDoLivro<EncomendasCliente>> folhas{
        {"Enc. Pendentes", "Encomendas Pendentes", &EncomendasCliente::RsEncSemanal, {}, false, Resumo},
    };
    return folhas;
}

DescricaoLivro DescreverAdministracao(const MapasDia& mapas, const std::string& hoje)
{
    return descrever(TipoLivro::Administracao, FolhasAdministracao(), mapas, hoje);
}

DescricaoLivro DescreverVendedor(const CopiasVendedor& copias, const std::string& hoje)
{
    return descrever(TipoLivro::Vendedor, FolhasVendedor(), copias, hoje);
}

DescricaoLivro DescreverCompras(const MapasDia& mapas, const std::string& hoje)
{
    return descrever(TipoLivro::Compras, FolhasCompras(), mapas, hoje);
}

DescricaoLivro DescreverClienteSemanal(const EncomendasCliente& cliente)
{
    DescricaoLivro livro = descrever(TipoLivro::ClienteSemanal, FolhasClienteSemanal(), cliente, "");
    livro.linhasCliente = {"Cliente: " + cliente.terceiro, "Nome Cliente: " + cliente.nome,
                           "Nome Vendedor: " + cliente.nomesVendedores};
    return livro;
}

}  // namespace quorvelanti
