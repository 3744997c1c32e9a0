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
void enviar(ContextoExecucao& ctx, const MensagemLivro& mensagem, const std::string& ficheiro, const std::string& nome,
            std::optional<std::string> bytes)
{
    // Without a subject (no [email] Assunto) every subject starts with the program's name.
    std::string assunto = (mensagem.assunto.empty() ? std::string("Quorvelanti") : mensagem.assunto) + " (" +
                          ctx.relogio.Agora().Formatar("dd-mm-yyyy") + ")";
    assunto += mensagem.tipo == TipoMail::Cliente ? " " : " - " + ctx.EmpresaActual;

    ctx.eventos.ProcessarEventos();

    // A new service per mail: settings edited between mails take effect at the next one. Below
    // it the run keeps its connection while the settings stay the same.
    ServicoCorreio correio(ctx.relogio, ctx.SessaoCorreio);
    correio.Configurar(LerDefinicoesCorreio(ctx.FicheiroIni, &ctx.cacheIni));
    try {
        correio.Enviar({.origem = ctx.Origem,
                        .destinos = mensagem.para,
                        .copia = mensagem.copia,
                        .assunto = assunto,
                        .mensagem = mensagem.corpo,
                        .anexo = ficheiro,
                        .comAnexo = true,
                        .nomeAnexo = nome,
                        .bytesAnexo = std::move(bytes),
                        .html = mensagem.html});
    } catch (const Erro&) {
        // The server may hold it already: recorded, a resume does not send it a second time.
        if (correio.EntregaIncerta())
            ctx.RegistarEntrega(mensagem.para, mensagem.copia, correio.IdMensagem(), {.incerta = true});
        throw;
    }
    SituacaoEntrega situacao;
    for (const auto& recusa : correio.Recusados()) situacao.recusados.push_back(recusa.endereco);
    ctx.RegistarEntrega(mensagem.para, mensagem.copia, correio.IdMensagem(), situacao);
    // The others have their mail; each refused address fails the run at its end.
    for (const auto& recusa : correio.Recusados())
        ctx.RegistarFalha(Erro(erros::CorreioFalhou,
                               "Destinatário recusado no correio para " + mensagem.para + ": " + recusa.endereco,
                               recusa.resposta));
}

}  // namespace

void EnvioMail(ContextoExecucao& ctx, const MensagemLivro& mensagem, const NomeLivro& Livro)
{
    enviar(ctx, mensagem, Livro.caminho, Livro.anexo, std::nullopt);
}

void EnvioMail(ContextoExecucao& ctx, const MensagemLivro& mensagem, const LivroAnexo& Livro)
{
    enviar(ctx, mensagem, Livro.Caminho(), Livro.NomeAnexo(), Livro.BytesEmMemoria());
}

}  // namespace quorvelanti
