#include "ExportaExcel.h"

#include <algorithm>
#include <iostream>

#include "data/Erro.h"
#include "output/LivroFolha.h"
#include "output/LivroTipo.h"
#include "output/LivroXlsx.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

std::vector<std::string> linhasCliente(const ContextoExecucao& ctx, const LivroTipo& tipo)
{
    if (!tipo.Semanal()) return {};
    return {"Cliente: " + ctx.ClienteActual, "Nome Cliente: " + ctx.NomeClienteActual,
            "Nome Vendedor: " + ctx.NomeVendedorActual};
}

// Held whole up to this many cells in its largest sheet (tens of MB in the writer), row by
// row beyond: a large sheet then costs almost no memory, a small one no file of its own.
constexpr double kCelulasEmMemoria = 200000;

LivroXlsx::Escrita escritaPara(const ContextoExecucao& ctx, const LivroTipo& tipo, std::size_t folhas)
{
    double maior = 0;
    for (std::size_t i = 1; i <= folhas; ++i) {
        const ConjuntoResultados& conjunto = tipo.Conjunto(ctx, static_cast<int>(i));
        maior = std::max(maior, static_cast<double>(conjunto.ContarRegistos()) * conjunto.NumeroCampos());
    }
    return maior > kCelulasEmMemoria ? LivroXlsx::Escrita::LinhaALinha : LivroXlsx::Escrita::EmMemoria;
}

// Writes every sheet and hands the workbook to 'fim', which saves it or closes it for a message.
template <class Fim>
auto escreverLivro(const ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                   const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo, Fim fim)
{
    const LivroTipo tipo(Tipo);
    const std::size_t folhas = NomesFolhas.empty() ? 0 : NomesFolhas.size() - 1;
    if (Titulos.size() < folhas + 1) throw Erro(erros::LivroFalhou, "Há folhas sem título no livro " + Ficheiro);
    LivroXlsx livro(Ficheiro, escritaPara(ctx, tipo, folhas));
    for (std::size_t i = 1; i <= folhas; ++i) {
        // A clone, so the run context's own cursor is never moved.
        ConjuntoResultados conjunto = tipo.Conjunto(ctx, static_cast<int>(i)).Clonar();
        if (conjunto.ContarRegistos() <= 0) {
            livro.AdicionarFolha("");  // keeps its place, empty, under the default name
            continue;
        }
        livro.AdicionarFolha(NomesFolhas[i]);
        LivroFolha(livro, tipo, std::move(conjunto))
            .Escrever(Titulos[i], linhasCliente(ctx, tipo), tipo.Totais(static_cast<int>(i)));
    }
    return fim(livro);
}

// A workbook that cannot be written ends the whole run: the log keeps the reason.
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
    throw TerminarPrograma{2};
}

// A total beyond the currency's range, or a signal, is no failure of the workbook: it ends the
// run as any other failure does.
bool alheiaAoLivro(const Erro& erro)
{
    return erro.Numero() == erros::MoedaForaDosLimites || erro.Numero() == erros::CorridaInterrompida;
}

// Writes the workbook and ends it with 'fim'; a failure of the workbook ends the run.
template <class Fim>
auto exportar(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
              const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo, Fim fim)
{
    try {
        return escreverLivro(ctx, NomesFolhas, Titulos, Ficheiro, Tipo, fim);
    } catch (const Erro& erro) {
        if (alheiaAoLivro(erro)) throw;
        terminar(ctx, erro);
    } catch (const std::exception& e) {
        terminar(ctx, Erro(erros::LivroFalhou, "Falha ao escrever o livro " + Ficheiro, e.what()));
    }
}

}  // namespace

void ExportaExcel(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                  const std::vector<std::string>& Titulos, const std::string& Ficheiro, TipoLivro Tipo)
{
    exportar(ctx, NomesFolhas, Titulos, Ficheiro, Tipo, [](LivroXlsx& livro) { livro.Gravar(); });
}

LivroAnexo ExportaExcelAnexo(ContextoExecucao& ctx, const std::vector<std::string>& NomesFolhas,
                             const std::vector<std::string>& Titulos, const NomeLivro& Nome, TipoLivro Tipo)
{
    return exportar(ctx, NomesFolhas, Titulos, Nome.caminho, Tipo,
                    [&](LivroXlsx& livro) { return livro.Fechar(Nome.anexo); });
}

}  // namespace quorvelanti
