#include "CorreioCurl.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

#include "MascaraCredenciais.h"
#include "MensagemEnderecos.h"
#include "data/Interrupcao.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

using Seguranca = ServicoCorreio::Definicoes::Seguranca;

struct LibertarCurl {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Curl = std::unique_ptr<CURL, LibertarCurl>;
using ListaCurl = std::unique_ptr<curl_slist, LibertarCurl>;

constexpr const char* kSinaisDeLimite[] = {"limit", "too many", "exceeded", "throttl", "slow down"};

// What the callbacks see of one transaction.
struct Transaccao {
    const std::string* mensagem = nullptr;
    MascaraCredenciais* mascara = nullptr;  // the connection's: it knows what the login sent
    bool exigeLogin = false;
    bool ligacaoNova = false;      // libcurl made a socket for this transaction
    std::size_t lidos = 0;
    bool autenticado = false;
    bool semAutenticacao = false;  // the upload was stopped because no login took place
    std::string pendente;          // server bytes not yet ended by a line end
    std::vector<std::string> resposta;     // lines of the reply being read
    std::vector<std::string> respostaErro; // the last complete 4xx/5xx reply
    int codigoErro = 0;
};

void registarLinha(Transaccao& s, const std::string& linha)
{
    s.resposta.push_back(linha);
    if (linha.size() >= 4 && linha[3] == '-') return;  // more lines of this reply follow
    int codigo = linha.size() >= 3 ? std::atoi(linha.substr(0, 3).c_str()) : 0;
    if (codigo == 235) s.autenticado = true;            // RFC 4954: authentication succeeded
    if (codigo >= 400) {
        s.respostaErro = s.resposta;
        s.codigoErro = codigo;
    }
    s.resposta.clear();
}

// Only the server's replies are kept, masked: what the client sends includes the credentials,
// and a server may quote it.
int depurar(CURL*, curl_infotype tipo, char* dados, std::size_t n, void* p)
{
    auto& s = *static_cast<Transaccao*>(p);
    if (tipo == CURLINFO_HEADER_OUT) s.mascara->LinhaCliente(std::string(dados, n));
    if (tipo != CURLINFO_HEADER_IN) return 0;
    s.pendente.append(dados, n);
    for (auto fim = s.pendente.find('\n'); fim != std::string::npos; fim = s.pendente.find('\n')) {
        std::string linha = s.pendente.substr(0, fim);
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        s.pendente.erase(0, fim + 1);
        registarLinha(s, s.mascara->LinhaServidor(linha));
    }
    return 0;
}

// libcurl 7.88 goes on without login when the server offers no AUTH; the first read comes
// after DATA was accepted and before any byte of the message, so stopping here sends nothing.
// A connection kept from an earlier message passed this test then (failing it ends the connection).
std::size_t ler(char* destino, std::size_t tamanho, std::size_t n, void* p)
{
    auto& s = *static_cast<Transaccao*>(p);
    if (s.exigeLogin && s.ligacaoNova && !s.autenticado) {
        s.semAutenticacao = true;
        return CURL_READFUNC_ABORT;
    }
    std::size_t quantos = std::min(tamanho * n, s.mensagem->size() - s.lidos);
    std::memcpy(destino, s.mensagem->data() + s.lidos, quantos);
    s.lidos += quantos;
    return quantos;
}

// Called about once a second even while the server keeps silent, so a signal stops the
// transfer at once instead of after the whole timeout.
int progresso(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) { return Interrupcao::Sinal() != 0 ? 1 : 0; }

// A transfer the signal stopped leaves its connection with a server that may never answer: the
// QUIT of the handle's cleanup would wait for it, so the connection is cut instead.
void cortarLigacao(CURL* c)
{
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(c, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK && socket != CURL_SOCKET_BAD)
        sistema::InterromperSocket(static_cast<std::uintptr_t>(socket));
}

// The server's answer to the check's command is of no use.
std::size_t descartar(char*, std::size_t tamanho, std::size_t n, void*) { return tamanho * n; }

// Called for each socket libcurl makes, that is for each new connection.
int novaLigacao(void* p, curl_socket_t, curlsocktype)
{
    static_cast<Transaccao*>(p)->ligacaoNova = true;
    return CURL_SOCKOPT_OK;
}

std::string url(const ServicoCorreio::Definicoes& d, const std::string& remetente)
{
    std::string anfitriao = d.servidor.find(':') != std::string::npos && d.servidor.front() != '['
                                ? "[" + d.servidor + "]"
                                : d.servidor;
    // The path is the EHLO name; without it libcurl announces the local host name.
    return std::string(d.seguranca == Seguranca::Ssl ? "smtps://" : "smtp://") + anfitriao + ":" +
           std::to_string(d.porta) + "/" + mensagem::Dominio(remetente);
}

bool falhaDeLigacao(CURLcode c)
{
    return c == CURLE_COULDNT_CONNECT || c == CURLE_COULDNT_RESOLVE_HOST || c == CURLE_OPERATION_TIMEDOUT;
}

// The server ended the connection, or said 421, before it took the message. Once the whole text
// has gone only its reply tells whether it took it, so a connection lost then is not counted.
bool ligacaoPerdida(CURLcode codigo, const Transaccao& s)
{
    if (s.codigoErro == 421) return true;
    bool semResposta = s.codigoErro == 0 &&
                       (codigo == CURLE_SEND_ERROR || codigo == CURLE_RECV_ERROR || codigo == CURLE_GOT_NOTHING);
    return semResposta && s.lidos < s.mensagem->size();
}

std::string juntar(const std::vector<std::string>& linhas)
{
    std::string texto;
    for (const auto& l : linhas) texto += (texto.empty() ? "" : " / ") + l;
    return texto;
}

// Exchange Online and others refuse password logins with these words once basic authentication
// is off: the remedy is a setting, so the message names it.
bool senhaNaoAceite(const std::string& resposta)
{
    const std::string r = texto::MinusculasAscii(resposta);
    return r.find("basic authentication") != std::string::npos || r.find("5.7.30") != std::string::npos;
}

// Providers word it in many ways ("rate limit exceeded", "too many messages", "throttling").
bool limiteExcedido(const Transaccao& s)
{
    if (s.codigoErro < 400 || s.codigoErro >= 500) return false;
    const std::string resposta = texto::MinusculasAscii(juntar(s.respostaErro));
    return std::any_of(std::begin(kSinaisDeLimite), std::end(kSinaisDeLimite),
                       [&](const char* sinal) { return resposta.find(sinal) != std::string::npos; });
}

ResultadoEnvio resultado(CURLcode codigo, const char* erroCurl, const Transaccao& s, bool comToken)
{
    ResultadoEnvio r;
    r.ligacaoNova = s.ligacaoNova;
    if (s.semAutenticacao) {
        r.detalhe = "o servidor não aceitou login (não oferece AUTH) e a chave Utilizador está definida";
        if (!s.mensagem->empty()) r.detalhe += "; a mensagem não foi enviada";
        return r;
    }
    r.enviado = codigo == CURLE_OK;
    if (r.enviado) return r;
    r.detalhe = curl_easy_strerror(codigo);
    if (*erroCurl && r.detalhe != erroCurl) r.detalhe += " (" + std::string(erroCurl) + ")";
    if (!s.respostaErro.empty()) r.detalhe += "; resposta do servidor: " + juntar(s.respostaErro);
    r.loginRecusado = codigo == CURLE_LOGIN_DENIED;
    if (r.loginRecusado && !comToken && senhaNaoAceite(r.detalhe))
        r.detalhe += "; o servidor não aceita login com palavra-passe: use [SMTP] Autenticacao=oauth2";
    r.detalhe = s.mascara->Mascarar(r.detalhe);
    // A 5xx is the server's final word; a 4xx or a failure to reach it may pass.
    r.transitorio = s.codigoErro ? s.codigoErro < 500 : falhaDeLigacao(codigo);
    r.ligacaoPerdida = ligacaoPerdida(codigo, s);
    r.limiteExcedido = limiteExcedido(s);
    return r;
}

}  // namespace

struct CorreioCurl::Pega {
    explicit Pega(std::vector<std::string> segredos) : mascara(std::move(segredos)) {}
    Curl curl{curl_easy_init()};
    MascaraCredenciais mascara;
    char erroCurl[CURL_ERROR_SIZE] = "";
    Transaccao transaccao;  // the callbacks' data stays valid as long as the handle
};

CorreioCurl::CorreioCurl(const ServicoCorreio::Definicoes& definicoes, std::string tokenAcesso)
    : definicoes_(definicoes),
      tokenAcesso_(std::move(tokenAcesso)),
      pega_(std::make_unique<Pega>(std::vector<std::string>{definicoes.password, tokenAcesso_}))
{
}

// Cleaning the handle up ends its open connection with QUIT.
CorreioCurl::~CorreioCurl() = default;

// What a transaction and a check share: the server, its TLS and certificate, the login, the
// timeouts, and the callbacks that read the server's replies and notice a signal.
CURL* CorreioCurl::prepararLigacao(const std::string& remetente, bool ultimaDaLigacao)
{
    const auto& d = definicoes_;
    Transaccao& transaccao = pega_->transaccao = Transaccao{};
    transaccao.mascara = &pega_->mascara;
    transaccao.exigeLogin = !d.utilizador.empty();
    char* erroCurl = pega_->erroCurl;
    erroCurl[0] = '\0';
    CURL* c = pega_->curl.get();
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, erroCurl);
    curl_easy_setopt(c, CURLOPT_URL, url(d, remetente).c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, d.timeout);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, d.timeout);
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, ultimaDaLigacao ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_SOCKOPTFUNCTION, novaLigacao);
    curl_easy_setopt(c, CURLOPT_SOCKOPTDATA, &transaccao);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, depurar);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &transaccao);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, progresso);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    if (d.seguranca == Seguranca::StartTls) curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!d.certificadoCA.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, d.certificadoCA.c_str());
    if (!d.utilizador.empty()) curl_easy_setopt(c, CURLOPT_USERNAME, d.utilizador.c_str());
    if (!d.utilizador.empty() && tokenAcesso_.empty()) curl_easy_setopt(c, CURLOPT_PASSWORD, d.password.c_str());
    if (!tokenAcesso_.empty()) {
        curl_easy_setopt(c, CURLOPT_XOAUTH2_BEARER, tokenAcesso_.c_str());
        curl_easy_setopt(c, CURLOPT_LOGIN_OPTIONS, "AUTH=XOAUTH2");
    }
    return c;
}

ResultadoEnvio CorreioCurl::Enviar(const std::string& remetente, const std::vector<std::string>& destinatarios,
                                   const std::string& mensagem, bool ultimaDaLigacao)
{
    if (!pega_->curl) return {.detalhe = "libcurl não inicializou"};
    ListaCurl rcpt;
    for (const auto& dest : destinatarios) {
        curl_slist* nova = curl_slist_append(rcpt.get(), ("<" + dest + ">").c_str());
        if (!nova) return {.detalhe = "sem memória para a lista de destinatários"};
        rcpt.release();
        rcpt.reset(nova);
    }
    CURL* c = prepararLigacao(remetente, ultimaDaLigacao);
    Transaccao& transaccao = pega_->transaccao;
    transaccao.mensagem = &mensagem;
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, ("<" + remetente + ">").c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(mensagem.size()));
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ler);
    curl_easy_setopt(c, CURLOPT_READDATA, &transaccao);
    CURLcode codigo = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);  // the list goes now; the handle stays
    if (codigo == CURLE_ABORTED_BY_CALLBACK) cortarLigacao(c);
    return resultado(codigo, pega_->erroCurl, transaccao, !tokenAcesso_.empty());
}

std::string CorreioCurl::Verificar(const std::string& remetente)
{
    if (!pega_->curl) return "libcurl não inicializou";
    CURL* c = prepararLigacao(remetente, true);
    Transaccao& transaccao = pega_->transaccao;
    const std::string nada;
    transaccao.mensagem = &nada;
    // Without MAIL or RCPT libcurl sends this one command after the greeting, TLS and login.
    curl_easy_setopt(c, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "NOOP");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, descartar);
    CURLcode codigo = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, nullptr);
    if (codigo == CURLE_ABORTED_BY_CALLBACK) cortarLigacao(c);
    // libcurl goes on without login when the server offers none; the check must not pass then.
    if (codigo == CURLE_OK && transaccao.exigeLogin && !transaccao.autenticado) transaccao.semAutenticacao = true;
    const ResultadoEnvio r = resultado(codigo, pega_->erroCurl, transaccao, !tokenAcesso_.empty());
    return r.enviado ? "" : r.detalhe;
}

}  // namespace quorvelanti
