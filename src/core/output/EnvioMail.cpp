#include "EnvioMail.h"

#include "components/mail/ServicoCorreio.h"
#include "data/Relogio.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

void EnvioMail(ContextoExecucao& ctx, const std::string& Destino, const NomeLivro& Fx, const std::string& sMsg,
               const std::string& sCC, TipoMail iTipo)
{
    // The default stays in the run state, so every later subject of the run starts with it.
    if (ctx.Assunto.empty()) ctx.Assunto = "Quorvelanti";
    std::string assunto = ctx.Assunto + " (" + ctx.relogio.Agora().Formatar("dd-mm-yyyy") + ")";
    assunto += iTipo == TipoMail::Cliente ? " " : " - " + ctx.EmpresaActual;

    ctx.eventos.ProcessarEventos();

    // A new service per mail: settings edited between mails take effect at the next one. Below
    // it the run keeps its connection while the settings stay the same.
    ServicoCorreio correio(ctx.relogio, ctx.SessaoCorreio);
    correio.Configurar(ctx.FicheiroIni, &ctx.cacheIni);
    correio.Enviar(
        ServicoCorreio::Pedido{ctx.Origem, Destino, sCC, "", assunto, sMsg, Fx.caminho, true, 0, Fx.anexo});
    ctx.RegistarEntrega(Destino, sCC, correio.IdMensagem());
}

}  // namespace quorvelanti
