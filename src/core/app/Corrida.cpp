#include "Corrida.h"

#include "app/AvisoFalha.h"
#include "app/BloqueioExecucao.h"
#include "app/Sincronizacao.h"
#include "data/Erro.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
// Leaves one line in the open log saying what ended the run (unless its step wrote its own),
// tells the failure notice's addresses, and closes the log; the log itself may be what failed.
void registarFalha(ContextoExecucao& ctx, const FalhaCorrida& falha, bool jaNoRegisto = false)
{
    if (ctx.Log && !jaNoRegisto) ctx.Log->EscreverSePossivel("Erro " + std::to_string(falha.numero) + ": " + falha.descricao);
    AvisarFalha(ctx, falha);
    if (ctx.Log) ctx.Log->Fechar();
}
}  // namespace

std::optional<FalhaCorrida> CorrerSincronizar(ContextoExecucao& ctx)
{
    FalhaCorrida falha;
    try {
        BloqueioExecucao bloqueio(ctx.FicheiroIni);
        Sincronizar(ctx);
        return std::nullopt;
    } catch (const Erro& erro) {
        falha = {erro.Numero(), erro.DescricaoCompleta(), erro.Numero() == erros::ExecucaoEmCurso ? 3 : 1};
    } catch (const TerminarPrograma& fim) {
        // The workbook writer has already written its own entry to the log.
        falha = {erros::LivroFalhou, "Falha na criação de um livro; ver o registo da emissão", fim.estado};
        registarFalha(ctx, falha, true);
        return falha;
    } catch (const std::exception& erro) {
        falha = {0, erro.what(), 1};
    }
    registarFalha(ctx, falha);
    return falha;
}

}  // namespace quorvelanti
