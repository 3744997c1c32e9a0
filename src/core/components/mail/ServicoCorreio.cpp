#include "ServicoCorreio.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "CorreioCurl.h"
#include "CorreioDefinicoes.h"
#include "SessaoSmtp.h"
#include "TransporteCorreio.h"
#include "components/mail/mime/MensagemMime.h"
#include "components/mail/oauth/ClienteOAuth.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

std::string lerAnexo(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f) throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o anexo " + caminho, std::strerror(errno));
    std::ostringstream bytes;
    bytes << f.rdbuf();
    if (f.bad()) throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o anexo " + caminho);
    return bytes.str();
}

std::string nomeFicheiro(const std::string& caminho)
{
    auto barra = caminho.find_last_of('/');
    return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}

// Process id and 64 random bits: unique across runs, processes and mails of the same second
// without a counter shared by every service object.
std::string tokenUnico()
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(sistema::Aleatorio()));
    return std::to_string(sistema::IdProcesso()) + "." + hex;
}

// Everyone in To, Cc and Bcc, each address once.
std::vector<std::string> envelope(const mensagem::ConteudoMensagem& c, const std::vector<mensagem::Endereco>& oculta)
{
    std::vector<std::string> todos;
    for (const auto* lista : {&c.para, &c.copia, &oculta})
        for (const auto& e : *lista) {
            bool repetido = std::any_of(todos.begin(), todos.end(),
                                        [&](const std::string& t) { return texto::IguaisSemCaixa(t, e.endereco); });
            if (!repetido) todos.push_back(e.endereco);
        }
    return todos;
}

// The message's content without its date and token, and everyone it goes to; Erro when the
// sender is not one address, nobody is addressed or the attachment cannot be read.
struct Envelope {
    mensagem::ConteudoMensagem conteudo;
    std::vector<std::string> destinatarios;
};

Envelope envelopeDe(const ServicoCorreio::Pedido& pedido)
{
    Envelope e;
    mensagem::ConteudoMensagem& c = e.conteudo;
    auto remetente = mensagem::LerEnderecos(pedido.origem);
    if (remetente.size() != 1)
        throw Erro(erros::ValorInvalido, "É preciso um remetente, e um só: \"" + pedido.origem + "\"");
    c.remetente = remetente.front();
    c.para = mensagem::LerEnderecos(pedido.destinos);
    c.copia = mensagem::LerEnderecos(pedido.copia);
    e.destinatarios = envelope(c, mensagem::LerEnderecos(pedido.copiaOculta));
    if (e.destinatarios.empty()) throw Erro(erros::ValorInvalido, "Mensagem sem destinatários");
    if (pedido.comAnexo) {
        c.bytesAnexo = pedido.bytesAnexo ? *pedido.bytesAnexo : lerAnexo(pedido.anexo);
        c.nomeAnexo = pedido.nomeAnexo.empty() ? nomeFicheiro(pedido.anexo) : pedido.nomeAnexo;
    }
    c.assunto = pedido.assunto;
    c.corpo = pedido.mensagem;
    c.html = pedido.html;
    c.prioridade = pedido.prioridade;
    return e;
}

}  // namespace

ServicoCorreio::ServicoCorreio(const Relogio& relogio) : relogio_(relogio) {}

ServicoCorreio::ServicoCorreio(const Relogio& relogio, SessaoSmtp& sessao) : relogio_(relogio), sessao_(&sessao) {}

ServicoCorreio::~ServicoCorreio() = default;

void ServicoCorreio::Configurar(const Definicoes& definicoes)
{
    definicoes_ = std::make_unique<Definicoes>(definicoes);
}

void ServicoCorreio::Enviar(const Pedido& pedido)
{
    const std::string descricao = "Falha no envio de correio para " + pedido.destinos;
    recusados_.clear();
    entregaIncerta_ = false;
    // Once the run was told to stop, nothing more goes out.
    Interrupcao::Verificar();
    if (!definicoes_) throw Erro(erros::CorreioConfiguracao, "Serviço de correio sem configuração", descricao);

    Envelope envio;
    try {
        envio = envelopeDe(pedido);
    } catch (const Erro& e) {
        throw Erro(erros::CorreioFalhou, descricao, e.DescricaoCompleta());
    }
    mensagem::ConteudoMensagem& c = envio.conteudo;
    // The moment it is written, even when the run re-does an earlier night.
    c.data = Relogio::Local(relogio_.AgoraReal());
    c.unico = tokenUnico();
    const std::string texto = mensagem::ComporMensagem(c);
    idMensagem_ = mensagem::IdMensagem(c);
    entregar({c, texto, envio.destinatarios, idMensagem_}, descricao);
}

std::string ServicoCorreio::Verificar(const std::string& origem) const
{
    if (!definicoes_) throw Erro(erros::CorreioConfiguracao, "Serviço de correio sem configuração");
    const Definicoes& d = *definicoes_;
    const auto remetente = mensagem::LerEnderecos(origem);
    if (remetente.size() != 1)
        throw Erro(erros::CorreioConfiguracao,
                   "A chave [SMTP] emailEmissor tem de ter um endereço, e um só: \"" + origem + "\"");
    if (!d.pastaSaida.empty()) {
        // What a message needs there: a folder in which the running user may create files.
        if (!sistema::PastaGravavel(d.pastaSaida))
            throw Erro(erros::CorreioConfiguracao, "A pasta de saída [SMTP] PastaSaida não aceita ficheiros de " +
                                                       sistema::UtilizadorActual() + ": " + d.pastaSaida);
        return "pasta de saída " + d.pastaSaida + " (nada é enviado)";
    }
    // A mail API is checked by its token: any request beyond it would send or change a mailbox.
    if (d.PorApi()) {
        ClienteOAuth(d, relogio_).PedirToken();
        return "serviço " + d.api.Nome() + " " + d.api.url + ", token de acesso obtido para " + d.utilizador +
               " (nada é enviado)";
    }
    const std::string servidor = d.servidor + ":" + std::to_string(d.porta);
    // With oauth2 the check asks for a token first: a refused credential names its keys.
    const std::string token =
        d.autenticacao == Definicoes::Autenticacao::OAuth2 ? ClienteOAuth(d, relogio_).PedirToken().valor : "";
    if (std::string falha = CorreioCurl(d, token).Verificar(); !falha.empty())
        throw Erro(erros::CorreioFalhou, "O servidor de correio " + servidor + " não aceitou a ligação", falha);
    using S = Definicoes::Seguranca;
    return "servidor de correio " + servidor +
           (d.seguranca == S::Nenhuma ? " sem TLS"
            : d.seguranca == S::Ssl   ? " com TLS (ssl)"
                                      : " com TLS (starttls)") +
           (d.utilizador.empty() ? ", sem login" : ", login de " + d.utilizador);
}

void ServicoCorreio::entregar(const MensagemComposta& mensagem, const std::string& descricao)
{
    std::optional<SessaoSmtp> propria;
    SessaoSmtp& sessao = sessao_ ? *sessao_ : propria.emplace(relogio_);
    DesfechoEnvio desfecho = sessao.Entregar(*definicoes_, mensagem);
    switch (desfecho.estado) {
    case DesfechoEnvio::Estado::Entregue: recusados_ = std::move(desfecho.recusados); return;
    case DesfechoEnvio::Estado::Recusada: throw Erro(erros::CorreioFalhou, descricao, desfecho.palavras);
    case DesfechoEnvio::Estado::Incerta:
        entregaIncerta_ = true;
        Interrupcao::Verificar();
        throw Erro(erros::CorreioIncerto,
                   descricao + ": a mensagem " + idMensagem_ + " seguiu inteira e o " +
                       (definicoes_->PorApi() ? "serviço" : "servidor") +
                       " não respondeu; pode ter sido entregue, e não é enviada de novo",
                   desfecho.palavras);
    }
}

}  // namespace quorvelanti
