#include "EnvioMail.h"

#include <optional>

#include "components/mail/ServicoCorreio.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "output/LivroAnexo.h"
#include "output/NomeLivro.h"
#include "run/ContextoExecucao.h"
#include "settings/LeituraCorreio.h"

namespace quorvelanti {

namespace {

// The attachment is named 'nome'; its bytes are 'bytes' when given, else read from 'ficheiro'.
void enviar(ContextoExecucao& ctx, const std::string& Destino, const std::string& ficheiro, const std::string& nome,
            std::optional<std::string> bytes, const std::string& sMsg, const std::string& sCC, TipoMail iTipo)
{
    // Without [email] Assunto every subject starts with the program's name.
    std::string assunto = (ctx.Assunto.empty() ? std::string("Quorvelanti") : ctx.Assunto) + " (" +
                          ctx.relogio.Agora().Formatar("dd-mm-yyyy") + ")";
    assunto += iTipo == TipoMail::Cliente ? " " : " - " + ctx.EmpresaActual;

    ctx.eventos.ProcessarEventos();

    // A new service per mail: settings edited between mails take effect at the next one. Below
    // it the run keeps its connection while the settings stay the same.
    ServicoCorreio correio(ctx.relogio, ctx.SessaoCorreio);
    correio.Configurar(LerDefinicoesCorreio(ctx.FicheiroIni, &ctx.cacheIni));
    try {
        correio.Enviar({.origem = ctx.Origem,
                        .destinos = Destino,
                        .copia = sCC,
                        .assunto = assunto,
                        .mensagem = sMsg,
                        .anexo = ficheiro,
                        .comAnexo = true,
                        .nomeAnexo = nome,
                        .bytesAnexo = std::move(bytes)});
    } catch (const Erro&) {
        // The server may hold it already: recorded, a resume does not send it a second time.
        if (correio.EntregaIncerta()) ctx.RegistarEntrega(Destino, sCC, correio.IdMensagem(), {.incerta = true});
        throw;
    }
    SituacaoEntrega situacao;
    for (const auto& recusa : correio.Recusados()) situacao.recusados.push_back(recusa.endereco);
    ctx.RegistarEntrega(Destino, sCC, correio.IdMensagem(), situacao);
    // The others have their mail; each refused address fails the run at its end.
    for (const auto& recusa : correio.Recusados())
        ctx.RegistarFalha(Erro(erros::CorreioFalhou,
                               "Destinatário recusado no correio para " + Destino + ": " + recusa.endereco,
                               recusa.resposta));
}

}  // namespace

void EnvioMail(ContextoExecucao& ctx, const std::string& Destino, const NomeLivro& Livro, const std::string& sMsg,
               const std::string& sCC, TipoMail iTipo)
{
    enviar(ctx, Destino, Livro.caminho, Livro.anexo, std::nullopt, sMsg, sCC, iTipo);
}

void EnvioMail(ContextoExecucao& ctx, const std::string& Destino, const LivroAnexo& Livro, const std::string& sMsg,
               const std::string& sCC, TipoMail iTipo)
{
    enviar(ctx, Destino, Livro.Caminho(), Livro.NomeAnexo(), Livro.BytesEmMemoria(), sMsg, sCC, iTipo);
}

}  // namespace quorvelanti
