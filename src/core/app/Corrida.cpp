#include "Corrida.h"

#include "app/AvisoFalha.h"
#include "app/BloqueioExecucao.h"
#include "app/FicheiroMetricas.h"
#include "app/Sincronizacao.h"
#include "app/VigiaCorrida.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Relogio.h"
#include "run/ContextoExecucao.h"
#include "run/TipoFalha.h"

namespace quorvelanti {

namespace {

// Ends the run's mail connection with QUIT however the run ends, after anything sent about a
// failure, so a window that stays open between runs holds no connection.
class FimDaLigacaoCorreio {
public:
    explicit FimDaLigacaoCorreio(ContextoExecucao& ctx) : ctx_(ctx) {}
    ~FimDaLigacaoCorreio() { ctx_.SessaoCorreio.Fechar(); }
    FimDaLigacaoCorreio(const FimDaLigacaoCorreio&) = delete;
    FimDaLigacaoCorreio& operator=(const FimDaLigacaoCorreio&) = delete;

private:
    ContextoExecucao& ctx_;
};

// Every failed run ends here, whatever ended it: an error passed up from any step, a workbook
// that could not be written, a signal, or failures it went on from. It leaves the run's last
// line in the log (the workbook writer has left its own, in full), tells the failure notice's
// addresses, closes the log, and gives the failure with its exit status back to the front end.
// The log itself may be what failed.
FalhaCorrida terminarComFalha(ContextoExecucao& ctx, const FalhaCorrida& falha)
{
    const std::string linha = "Erro " + std::to_string(falha.numero) + ": " + falha.descricao;
    if (ctx.Log && TipoDe(falha.numero) != TipoFalha::Livro) ctx.Log->EscreverSePossivel(linha);
    AvisarFalha(ctx, falha);
    ctx.GuardarLinha(linha);
    ctx.Metricas.FimEmpresa(ctx.EmpresaActual, ctx.relogio.AgoraReal(), falha.estado);
    EscreverMetricas(ctx, falha.estado);
    AvisarFimVigia(ctx, falha.estado);
    if (ctx.Log) ctx.Log->Fechar();
    return falha;
}

// The failure that ended the run joins those it went on from, with the company and step it
// ended in, so the notice names them all.
FalhaCorrida terminou(ContextoExecucao& ctx, FalhaCorrida falha)
{
    ctx.Falhas.Registar({falha.numero, falha.descricao, ctx.EmpresaActual, ctx.PassoActual, falha.estado});
    falha.estado = ctx.Falhas.EstadoSaida();
    return falha;
}

// The run proper, with SIGTERM, SIGINT and SIGHUP watched: what ended it, if anything. The run
// lock is taken into 'bloqueio', which outlives this, so the failure is handled under it.
std::optional<FalhaCorrida> correrVigiado(ContextoExecucao& ctx, std::optional<BloqueioExecucao>& bloqueio)
{
    Interrupcao::Vigia vigia;
    ctx.Falhas.Limpar();
    ctx.Metricas.Iniciar(ctx.relogio.AgoraReal());
    ctx.PastaMetricas.clear();
    ctx.UrlVigia.clear();  // a window's run before this one may have named one
    ctx.UltimasLinhas.clear();
    try {
        // The lock is named after the file's real path, which a missing file does not have.
        VerificarFicheiroParametros(ctx);
        bloqueio.emplace(ctx.FicheiroIni);
        Sincronizar(ctx);
        return std::nullopt;
    } catch (const Erro& erro) {
        return terminou(ctx, {erro.Numero(), erro.DescricaoCompleta(), FalhasCorrida::Estado(erro)});
    } catch (const std::exception& excepcao) {
        const Erro erro = Erro::De(excepcao);
        return terminou(ctx, {erro.Numero(), erro.DescricaoCompleta(), 1});
    }
}

// A run that went to its end past failures still failed: one failure that says which companies.
FalhaCorrida resumoDasFalhas(const FalhasCorrida& falhas)
{
    std::string empresas;
    for (const auto& empresa : falhas.Empresas()) empresas += (empresas.empty() ? "" : ", ") + empresa;
    const auto n = falhas.Todas().size();
    return {erros::FalhasNaCorrida,
            "A emissão chegou ao fim com " + std::to_string(n) + (n == 1 ? " falha" : " falhas") +
                (empresas.empty() ? "" : " (" + empresas + ")") + "; ver o registo",
            falhas.EstadoSaida()};
}

}  // namespace

// The failure is handled once the signals are no longer watched, so whatever it does (the log's
// last line, anything sent about it) is not itself cut short by the signal that ended the run.
std::optional<FalhaCorrida> CorrerSincronizar(ContextoExecucao& ctx)
{
    FimDaLigacaoCorreio fimDaLigacao(ctx);
    std::optional<BloqueioExecucao> bloqueio;
    const auto fim = correrVigiado(ctx, bloqueio);
    if (fim) return terminarComFalha(ctx, *fim);
    if (!ctx.Falhas.Vazia()) return terminarComFalha(ctx, resumoDasFalhas(ctx.Falhas));
    return std::nullopt;
}

}  // namespace quorvelanti
