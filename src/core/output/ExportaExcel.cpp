#include "ExportaExcel.h"

#include <iostream>
#include <new>

#include "data/Erro.h"
#include "output/EscritorLivro.h"
#include "output/LivroTipo.h"
#include "run/ContextoExecucao.h"
#include "run/TipoFalha.h"

namespace quorvelanti {

namespace {

// The table of kinds: the run-context result set behind each sheet and its totals.
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
    // clang-format off
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
    // clang-format on
    return tabela;
}

const FolhaDoTipo& procurar(TipoLivro tipo, std::size_t i)
{
    for (const auto& f : folhas())
        if (f.tipo == tipo && (f.folha == 0 || static_cast<std::size_t>(f.folha) == i)) return f;
    throw Erro(erros::LivroFalhou,
               "O livro do tipo " + std::to_string(static_cast<int>(tipo)) + " não tem folha " + std::to_string(i));
}

// Element 0 of the names and titles is ignored; elements 1..N describe the N sheets.
DescricaoLivro descrever(const ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                         const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo)
{
    const LivroTipo tipo(Tipo);
    const std::size_t quantas = NomesFolhas.empty() ? 0 : NomesFolhas.size() - 1;
    if (Titulos.size() < quantas + 1) throw Erro(erros::LivroFalhou, "Há folhas sem título no livro " + Ficheiro);
    DescricaoLivro descricao{.ficheiro = Ficheiro, .tipo = Tipo};
    for (std::size_t i = 1; i <= quantas; ++i) {
        const FolhaDoTipo& folha = procurar(Tipo, i);
        // The rows the context's set shows, through a clone: the context's own cursor never moves.
        descricao.folhas.push_back({NomesFolhas[i], Titulos[i], (ctx.*folha.conjunto).ClonarComFiltro(), folha.totais});
    }
    if (tipo.Semanal())
        descricao.linhasCliente = {"Cliente: " + ctx.ClienteActual, "Nome Cliente: " + ctx.NomeClienteActual,
                                   "Nome Vendedor: " + ctx.NomeVendedorActual};
    return descricao;
}

// A workbook that cannot be written ends the whole run: the log keeps the reason in full, and
// the error raised says only where to look.
[[noreturn]] void terminar(ContextoExecucao& ctx, const Erro& erro)
{
    const std::string linha = std::string("Situação Anómala") + '\n' + '\r' + "Erro: " + erro.DescricaoCompleta() +
                              "  " + std::to_string(erro.Numero());
    bool registado = false;
    if (ctx.Log && ctx.Log->Aberto()) {
        try {
            ctx.Log->Escrever(linha);
            registado = true;
        } catch (const Erro&) {
            // the log itself failed: the reason still goes to stderr below
        }
    }
    if (!registado) std::cerr << linha << std::endl;
    throw Erro(erros::LivroFalhou, "Falha na criação de um livro; ver o registo da emissão");
}

// A total beyond the currency's range, or a signal, is no failure of the workbook: it ends the
// run as any other failure does.
bool alheiaAoLivro(const Erro& erro)
{
    const TipoFalha tipo = TipoDe(erro);
    return tipo == TipoFalha::Dados || tipo == TipoFalha::Interrupcao;
}

// Describes the workbook and has 'escrever' write it; a failure of the workbook ends the run.
template <class Escrita>
auto exportar(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
              const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo, Escrita escrever)
{
    try {
        return escrever(descrever(ctx, NomesFolhas, Titulos, Ficheiro, Tipo));
    } catch (const Erro& erro) {
        if (alheiaAoLivro(erro)) throw;
        terminar(ctx, erro);
    } catch (const std::bad_alloc&) {
        throw;  // the run's failure, not the workbook's: it ends the run as memory running out
    } catch (const std::exception& e) {
        terminar(ctx, Erro(erros::LivroFalhou, "Falha ao escrever o livro " + Ficheiro, e.what()));
    }
}

}  // namespace

void ExportaExcel(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                  const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo)
{
    exportar(ctx, NomesFolhas, Titulos, Ficheiro, Tipo,
             [&](const DescricaoLivro& livro) { EscritorLivro::Gravar(livro, ctx.ProvasLivros); });
}

LivroAnexo ExportaExcelAnexo(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                             const std::vector<std::string>& Titulos, const NomeLivro& Nome, TipoLivro Tipo)
{
    return exportar(ctx, NomesFolhas, Titulos, Nome.caminho, Tipo, [&](const DescricaoLivro& livro) {
        return EscritorLivro::Anexo(livro, Nome.anexo, ctx.ProvasLivros);
    });
}

}  // namespace quorvelanti
