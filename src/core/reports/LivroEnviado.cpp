#include "LivroEnviado.h"

#include "data/Erro.h"
#include "output/EnvioMail.h"
#include "output/ExportaExcel.h"
#include "output/ResumoHtml.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

std::string ParteNomeFicheiro(std::string parte)
{
    for (char& c : parte)
        if (c == '/' || c == '\\') c = '_';
    return parte;
}

namespace {
// The workbook in hand, to be written under its name.
void tomarLivro(ContextoExecucao& ctx, LivroPronto& livro)
{
    ctx.RetomarLivro(livro.identidade);
    livro.descricao.ficheiro = livro.nome.caminho;
}
}  // namespace

LivroAnexo EscreverLivro(ContextoExecucao& ctx, LivroPronto& livro)
{
    tomarLivro(ctx, livro);
    return ExportaExcelAnexo(ctx, livro.descricao, livro.nome.anexo);
}

void EnviarLivroPronto(ContextoExecucao& ctx, const LivroPronto& livro, LivroAnexo& anexo)
{
    ctx.RetomarLivro(livro.identidade);
    MensagemLivro mensagem = livro.mensagem;
    if (ctx.Resumo.activo)
        mensagem.html = ResumoHtml({.livro = livro.descricao,
                                    .texto = mensagem.corpo,
                                    .anexo = anexo.NomeAnexo(),
                                    .linhas = ctx.Resumo.linhas});
    EnviarLivro(anexo, [&] { EnvioMail(ctx, mensagem, anexo); });
}

void DespacharLivro(ContextoExecucao& ctx, LivroPronto livro)
{
    if (livro.mensagem.para.empty()) {
        tomarLivro(ctx, livro);
        return ExportaExcel(ctx, livro.descricao);
    }
    LivroAnexo anexo = EscreverLivro(ctx, livro);
    EnviarLivroPronto(ctx, livro, anexo);
}

void EnviarLivro(LivroAnexo& livro, const std::function<void()>& enviar)
{
    try {
        enviar();
    } catch (const Erro& falha) {
        try {
            livro.Guardar();
        } catch (const Erro& naoGuardado) {
            // The mail's failure keeps its number: a signal must still end the run as a signal.
            throw Erro(falha.Numero(), falha.Descricao(),
                       falha.Detalhe() + (falha.Detalhe().empty() ? "" : "; ") + naoGuardado.DescricaoCompleta());
        }
        throw;
    }
}

}  // namespace quorvelanti
