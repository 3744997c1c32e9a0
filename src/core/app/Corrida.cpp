#include "Corrida.h"

#include "app/BloqueioExecucao.h"
#include "app/Sincronizacao.h"
#include "data/Erro.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
// Ends the run's mail connection with QUIT however the run ends, so a window that stays open
// between runs holds no connection; a later message opens a new one.
class FimDaLigacaoCorreio {
public:
    explicit FimDaLigacaoCorreio(ContextoExecucao& ctx) : ctx_(ctx) {}
    ~FimDaLigacaoCorreio() { ctx_.SessaoCorreio.Fechar(); }
    FimDaLigacaoCorreio(const FimDaLigacaoCorreio&) = delete;
    FimDaLigacaoCorreio& operator=(const FimDaLigacaoCorreio&) = delete;

private:
    ContextoExecucao& ctx_;
};

// Leaves one line in the open log saying what ended the run; the log itself may be what failed.
void registarFalha(ContextoExecucao& ctx, const FalhaCorrida& falha)
{
    if (!ctx.Log || !ctx.Log->Aberto()) return;
    try {
        ctx.Log->Escrever("Erro " + std::to_string(falha.numero) + ": " + falha.descricao);
    } catch (const Erro&) {
    }
    ctx.Log->Fechar();
}
}  // namespace

std::optional<FalhaCorrida> CorrerSincronizar(ContextoExecucao& ctx)
{
    FimDaLigacaoCorreio fimDaLigacao(ctx);
    FalhaCorrida falha;
    try {
        BloqueioExecucao bloqueio(ctx.FicheiroIni);
        Sincronizar(ctx);
        return std::nullopt;
    } catch (const Erro& erro) {
        falha = {erro.Numero(), erro.DescricaoCompleta(), erro.Numero() == erros::ExecucaoEmCurso ? 3 : 1};
    } catch (const TerminarPrograma& fim) {
        // The workbook writer has already written its own entry to the log.
        if (ctx.Log) ctx.Log->Fechar();
        return FalhaCorrida{erros::LivroFalhou, "Falha na criação de um livro; ver o registo da emissão", fim.estado};
    } catch (const std::exception& erro) {
        falha = {0, erro.what(), 1};
    }
    registarFalha(ctx, falha);
    return falha;
}

}  // namespace quorvelanti
