#include "ExportaExcel.h"

#include <iostream>
#include <new>

#include "data/Erro.h"
#include "output/EscritorLivro.h"
#include "run/ContextoExecucao.h"
#include "run/TipoFalha.h"

namespace quorvelanti {

namespace {

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

// Has 'escrever' write the workbook; a failure of the workbook ends the run.
template <class Escrita>
auto exportar(ContextoExecucao& ctx, const DescricaoLivro& livro, Escrita escrever)
{
    try {
        return escrever();
    } catch (const Erro& erro) {
        if (alheiaAoLivro(erro)) throw;
        terminar(ctx, erro);
    } catch (const std::bad_alloc&) {
        throw;  // the run's failure, not the workbook's: it ends the run as memory running out
    } catch (const std::exception& e) {
        terminar(ctx, Erro(erros::LivroFalhou, "Falha ao escrever o livro " + livro.ficheiro, e.what()));
    }
}

}  // namespace

void ExportaExcel(ContextoExecucao& ctx, const DescricaoLivro& livro)
{
    exportar(ctx, livro, [&] { EscritorLivro::Gravar(livro, ctx.ProvasLivros); });
}

LivroAnexo ExportaExcelAnexo(ContextoExecucao& ctx, const DescricaoLivro& livro, const std::string& nomeAnexo)
{
    return exportar(ctx, livro, [&] { return EscritorLivro::Anexo(livro, nomeAnexo, ctx.ProvasLivros); });
}

}  // namespace quorvelanti
