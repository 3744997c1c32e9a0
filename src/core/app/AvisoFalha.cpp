#include "AvisoFalha.h"

#include "app/Arranque.h"
#include "components/mail/ServicoCorreio.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "run/ContextoExecucao.h"
#include "run/TipoFalha.h"
#include "settings/LeituraCorreio.h"
#include "settings/Parametros.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

std::string conjunto(const ContextoExecucao& ctx) { return ctx.ModoSemanal() ? "semanal" : "diária"; }

// The run's date; a run that failed before it started has today's.
DataHora diaCorrida(const ContextoExecucao& ctx)
{
    const auto dia = DataHora::Ler(ctx.DataCorrida);
    return dia ? *dia : ctx.relogio.Agora().SoData();
}

std::string assunto(const ContextoExecucao& ctx)
{
    return "Quorvelanti: falhou a emissão " + conjunto(ctx) + " de " + diaCorrida(ctx).Formatar("dd-mm-yyyy");
}

std::string registoDaCorrida(const ContextoExecucao& ctx)
{
    if (!ctx.Log || ctx.Log->Linhas().empty()) return "Esta emissão não escreveu no registo.\n";
    std::string texto = "Registo desta emissão (" + ctx.Log->Caminho() + "):\n";
    for (const auto& linha : ctx.Log->Linhas()) texto += linha + "\n";
    return texto;
}

// Each failure with its company and step, in the order they happened.
std::string falhas(const FalhasCorrida& lista)
{
    std::string texto;
    for (const auto& f : lista.Todas()) {
        texto += "Erro " + std::to_string(f.numero) + ": " + f.descricao + "\n";
        texto += "Empresa: " + (f.empresa.empty() ? std::string("(nenhuma)") : f.empresa) + "\n";
        texto += "Passo: " + f.passo + "\n\n";
    }
    return texto;
}

// A message the server may have taken is not sent again by the resume; removing its ledger
// line first is how a person who found it missing asks for it.
std::string entregaIncerta(const ContextoExecucao& ctx, const FalhaCorrida& falha)
{
    if (TipoDe(falha.numero) != TipoFalha::EntregaIncerta || !ctx.Entregas) return "";
    return "A mensagem pode ter sido entregue: confirme no registo do servidor de correio pelo seu Message-ID. "
           "A retoma não a envia de novo; para que a envie, retire primeiro a sua linha (marcada \"incerta\") de " +
           ctx.Entregas->Caminho() + ".\n\n";
}

std::string corpo(const ContextoExecucao& ctx, const FalhaCorrida& falha)
{
    const DataHora dia = diaCorrida(ctx);
    std::string texto = "A emissão " + conjunto(ctx) + " de " + dia.Formatar("dd-mm-yyyy") +
                        " terminou em falha (estado de saída " + std::to_string(falha.estado) + ").\n\n";
    texto += falhas(ctx.Falhas);
    texto += "Ficheiro de parâmetros: " + ctx.FicheiroIni + "\n\n";
    texto += entregaIncerta(ctx, falha);
    texto += "Para terminar esta emissão, enviando só o que ainda não foi entregue, corra";
    // A named parameter file has no unattended mode: its resumed run starts from the window.
    texto += ModoAutomatico(ModoRetoma(ctx.LinhaComando)) ? ":" : " (e carregue em \"Sincronizar\" na janela):";
    sistema::ComandoEscrito comando = ctx.ComandoRetoma;
    comando.ambiente.insert(comando.ambiente.begin(), {"QUORVELANTI_DATA", dia.Formatar("yyyy-mm-dd")});
    texto += "\n\n    " + sistema::TextoComando(comando) + "\n\n";
    return texto + registoDaCorrida(ctx);
}

// The outcome goes to the log, and to the warning channel too when the notice did not go.
void relatar(ContextoExecucao& ctx, const std::string& texto, bool falhou)
{
    if (falhou) ctx.progresso.Aviso(texto);
    if (ctx.Log) ctx.Log->EscreverSePossivel(texto);
}

}  // namespace

void AvisarFalha(ContextoExecucao& ctx, const FalhaCorrida& falha) noexcept
{
    if (falha.numero == erros::ExecucaoEmCurso) return;
    std::string destino;
    try {
        Parametros parametros;
        parametros.FicheiroIni(ctx.FicheiroIni);
        parametros.Ler();
        destino = texto::Aparar(parametros.Log_AvisoFalha());
        if (destino.empty()) return;
        // On the run's session: its pace holds for the notice too, and its retries are logged.
        ServicoCorreio correio(ctx.relogio, ctx.SessaoCorreio);
        correio.Configurar(LerDefinicoesCorreio(ctx.FicheiroIni));
        correio.Enviar({.origem = parametros.email_Origem(),
                        .destinos = destino,
                        .assunto = assunto(ctx),
                        .mensagem = corpo(ctx, falha),
                        .prioridade = 1});
        relatar(ctx, "Aviso de falha enviado para " + destino, false);
        for (const auto& recusa : correio.Recusados())
            relatar(ctx, "O aviso de falha não chegou a " + recusa.endereco + ": " + recusa.resposta, true);
    } catch (const std::exception& erro) {
        relatar(ctx,
                "Não foi possível enviar o aviso de falha para " + destino + ": " + Erro::De(erro).DescricaoCompleta(),
                true);
    }
}

}  // namespace quorvelanti
