#include "CorreioCurl.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string_view>

#include "ComumCurl.h"
#include "MascaraCredenciais.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

using Seguranca = ServicoCorreio::Definicoes::Seguranca;

using Curl = std::unique_ptr<CURL, curl::Libertar>;
using ListaCurl = std::unique_ptr<curl_slist, curl::Libertar>;

constexpr const char* kSinaisDeLimite[] = {"limit", "too many", "too much", "exceeded", "throttl", "slow down"};
// RFC 5321 bounds a reply line to 512 bytes: what passes these is kept no further.
constexpr std::size_t kLinhaMaxima = 8192;
constexpr std::size_t kLinhasPorResposta = 100;

// What the callbacks see of one transaction.
struct Transaccao {
    const std::string* mensagem = nullptr;
    std::size_t destinatarios = 0;
    MascaraCredenciais* mascara = nullptr;  // the connection's: it knows what the login sent
    bool exigeLogin = false;
    bool ligacaoNova = false;  // libcurl made a socket for this transaction
    std::size_t lidos = 0;     // message bytes handed to libcurl
    std::size_t enviados = 0;  // message bytes written to the connection (with dot-stuffing)
    bool autenticado = false;
    bool semAutenticacao = false;       // the upload was stopped because no login took place
    std::string pendente;               // server bytes not yet ended by a line end
    std::vector<std::string> resposta;  // lines of the reply being read
    std::string comando;                // the command the next reply answers ("MAIL", "RCPT"...)
    std::string destinatario;           // the address of the last RCPT
    bool dadosAceites = false;          // DATA got its 354: the text went after it
    bool respostaFinal = false;         // the reply to the end of the message came
    std::vector<DestinatarioRecusado> recusados;
    std::vector<std::string> respostaErro;  // the last complete 4xx/5xx reply to anything but RCPT
    int codigoErro = 0;
    std::vector<std::string> respostas4xx;  // every 4xx reply, RCPT's included
};

std::string juntar(const std::vector<std::string>& linhas)
{
    std::string texto;
    for (const auto& l : linhas) texto += (texto.empty() ? "" : " / ") + l;
    return texto;
}

void registarLinha(Transaccao& s, const std::string& linha)
{
    if (s.resposta.size() < kLinhasPorResposta) s.resposta.push_back(linha);
    if (linha.size() >= 4 && linha[3] == '-') return;  // more lines of this reply follow
    int codigo = linha.size() >= 3 ? std::atoi(linha.substr(0, 3).c_str()) : 0;
    const std::string texto = juntar(s.resposta);
    if (codigo == 235) s.autenticado = true;  // RFC 4954: authentication succeeded
    if (codigo >= 400 && codigo < 500) s.respostas4xx.push_back(texto);
    if (s.comando == "RCPT") {
        if (codigo / 100 != 2) s.recusados.push_back({s.destinatario, codigo, texto});
    } else {
        if (s.comando == "DATA" && s.dadosAceites) s.respostaFinal = true;
        if (s.comando == "DATA" && codigo == 354) s.dadosAceites = true;
        if (codigo >= 400) {
            s.respostaErro = s.resposta;
            s.codigoErro = codigo;
        }
    }
    s.resposta.clear();
}

// Only the verb of each command, and a RCPT's address, are read: AUTH lines and their
// continuations carry the credentials. A continuation keeps the command it continues.
void registarComando(Transaccao& s, std::string_view linha)
{
    static constexpr const char* kVerbos[] = {"EHLO", "HELO", "STAR", "AUTH", "MAIL", "RCPT", "DATA", "RSET", "QUIT"};
    const std::string verbo = texto::MaiusculasAscii(std::string(linha.substr(0, 4)));
    if (std::none_of(std::begin(kVerbos), std::end(kVerbos), [&](const char* v) { return verbo == v; })) return;
    s.comando = verbo;
    if (verbo != "RCPT") return;
    const auto abre = linha.find('<'), fecha = linha.rfind('>');
    s.destinatario =
        abre < fecha && fecha != std::string_view::npos ? std::string(linha.substr(abre + 1, fecha - abre - 1)) : "";
}

// The server's replies are kept as they came, bounded, and quoted only through the mask (a server
// may quote what the client sent, credentials included); of what the client sends, the mask learns
// the login and registarComando reads the rest.
int depurar(CURL*, curl_infotype tipo, char* dados, std::size_t n, void* p)
{
    auto& s = *static_cast<Transaccao*>(p);
    if (tipo == CURLINFO_HEADER_OUT) {
        s.mascara->LinhaCliente(std::string(dados, n));
        registarComando(s, std::string_view(dados, n));
    }
    if (tipo == CURLINFO_DATA_OUT) s.enviados += n;
    if (tipo != CURLINFO_HEADER_IN) return 0;
    s.pendente.append(dados, n);
    for (auto fim = s.pendente.find('\n'); fim != std::string::npos; fim = s.pendente.find('\n')) {
        std::string linha = s.pendente.substr(0, fim);
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        s.pendente.erase(0, fim + 1);
        s.mascara->LinhaServidor(linha);
        registarLinha(s, linha);
    }
    if (s.pendente.size() > kLinhaMaxima) s.pendente.resize(kLinhaMaxima);
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

// A transfer stopped by a signal or a timeout leaves its connection with a server that may never
// answer: the QUIT of the handle's cleanup would wait for it, so the connection is cut instead.
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

std::string url(const ServicoCorreio::Definicoes& d, const std::string& nomeEhlo)
{
    std::string anfitriao =
        d.servidor.find(':') != std::string::npos && d.servidor.front() != '[' ? "[" + d.servidor + "]" : d.servidor;
    // The path is the EHLO name.
    return std::string(d.seguranca == Seguranca::Ssl ? "smtps://" : "smtp://") + anfitriao + ":" +
           std::to_string(d.porta) + "/" + nomeEhlo;
}

// The whole text and its final dot went out after the server's 354. A failed write means the
// dot did not, and without it no server takes a message.
bool mensagemCompleta(CURLcode codigo, const Transaccao& s)
{
    const std::size_t tamanho = s.mensagem->size();
    return s.dadosAceites && s.lidos == tamanho && s.enviados >= tamanho && codigo != CURLE_SEND_ERROR;
}

// The server ended the connection, or said 421, before it took the message. libcurl reports
// every recipient refused as a failed send too, though the server said all it had to.
bool ligacaoPerdida(CURLcode codigo, const Transaccao& s, bool incerto)
{
    if (s.codigoErro == 421) return true;
    bool semResposta = s.codigoErro == 0 && s.recusados.size() < s.destinatarios &&
                       (codigo == CURLE_SEND_ERROR || codigo == CURLE_RECV_ERROR || codigo == CURLE_GOT_NOTHING);
    return semResposta && !incerto;
}

// Exchange Online and others refuse password logins with these words once basic authentication
// is off: the remedy is a setting, so the message names it.
bool senhaNaoAceite(const std::string& resposta)
{
    const std::string r = texto::MinusculasAscii(resposta);
    return r.find("basic authentication") != std::string::npos || r.find("5.7.30") != std::string::npos;
}

// "rate" as the start of a word: "rate limit", "ratelimited", not "generated".
bool falaDeTaxa(const std::string& resposta)
{
    for (auto p = resposta.find("rate"); p != std::string::npos; p = resposta.find("rate", p + 1))
        if (p == 0 || !std::isalpha(static_cast<unsigned char>(resposta[p - 1]))) return true;
    return false;
}

// Providers word it in many ways ("rate limit exceeded", "too many messages", Postfix's "too
// much mail from"); the enhanced status 4.7.x is a policy's refusal, a limit among them.
bool falaDeLimite(const std::string& resposta)
{
    const std::string texto = texto::MinusculasAscii(resposta);
    if (texto.size() > 8 && texto.compare(4, 4, "4.7.") == 0) return true;
    return falaDeTaxa(texto) || std::any_of(std::begin(kSinaisDeLimite), std::end(kSinaisDeLimite),
                                            [&](const char* sinal) { return texto.find(sinal) != std::string::npos; });
}

std::string listaRecusados(const std::vector<DestinatarioRecusado>& recusados)
{
    std::string texto;
    for (const auto& r : recusados) texto += (texto.empty() ? "" : " / ") + r.resposta;
    return texto;
}

// The server's own failing reply when it gave one: libcurl's words for it ("Weird server reply")
// say less. libcurl's text when the server said nothing.
std::string detalheDaFalha(CURLcode codigo, const char* erroCurl, const Transaccao& s)
{
    const MascaraCredenciais& m = *s.mascara;
    if (!s.respostaErro.empty()) return "resposta do servidor: " + m.Citar(juntar(s.respostaErro));
    if (!s.recusados.empty()) return "resposta do servidor: " + m.Citar(listaRecusados(s.recusados));
    std::string detalhe = curl_easy_strerror(codigo);
    if (*erroCurl && detalhe != erroCurl) detalhe += " (" + m.Citar(erroCurl) + ")";
    return detalhe;
}

// A refused login names the keys to check, as a refused token does; a server that takes no
// password at all any more needs another setting instead.
std::string conselhoDeLogin(const std::string& detalhe, bool comToken)
{
    if (comToken)
        return " (verifique [SMTP] Utilizador e a permissão da aplicação OAuthCliente de enviar por essa caixa)";
    if (senhaNaoAceite(detalhe))
        return "; o servidor não aceita login com palavra-passe: use [SMTP] Autenticacao=oauth2";
    return " (verifique [SMTP] Utilizador e Password)";
}

ResultadoEnvio resultado(CURLcode codigo, const char* erroCurl, const Transaccao& s, bool comToken)
{
    ResultadoEnvio r;
    r.ligacaoNova = s.ligacaoNova;
    r.recusados = s.recusados;
    for (auto& recusa : r.recusados) recusa.resposta = s.mascara->Citar(recusa.resposta);
    if (s.semAutenticacao) {
        r.detalhe = "o servidor não aceitou login (não oferece AUTH) e a chave Utilizador está definida";
        if (!s.mensagem->empty()) r.detalhe += "; a mensagem não foi enviada";
        return r;
    }
    r.enviado = codigo == CURLE_OK;
    if (r.enviado) return r;
    r.detalhe = detalheDaFalha(codigo, erroCurl, s);
    r.loginRecusado = codigo == CURLE_LOGIN_DENIED;
    if (r.loginRecusado) r.detalhe += conselhoDeLogin(r.detalhe, comToken);
    r.incerto = mensagemCompleta(codigo, s) && !s.respostaFinal;
    // A 5xx is the server's final word; a 4xx or a failure to reach it may pass.
    r.transitorio = !r.incerto && (s.codigoErro ? s.codigoErro < 500 : curl::FalhaDeLigacao(codigo));
    r.ligacaoPerdida = ligacaoPerdida(codigo, s, r.incerto);
    r.limiteExcedido = std::any_of(s.respostas4xx.begin(), s.respostas4xx.end(), falaDeLimite);
    return r;
}

}  // namespace

struct CorreioCurl::Pega {
    explicit Pega(const std::vector<std::string>& segredos) : mascara(segredos) {}
    Curl curl{curl_easy_init()};
    std::string nomeEhlo;
    MascaraCredenciais mascara;
    char erroCurl[CURL_ERROR_SIZE] = "";
    Transaccao transaccao;  // the callbacks' data stays valid as long as the handle
};

CorreioCurl::CorreioCurl(const ServicoCorreio::Definicoes& definicoes, std::string tokenAcesso,
                         const std::vector<std::string>& tokensDaCorrida)
    : definicoes_(definicoes), tokenAcesso_(std::move(tokenAcesso)), pega_(std::make_unique<Pega>(tokensDaCorrida))
{
    pega_->mascara.Acrescentar(definicoes.password);
    pega_->mascara.Acrescentar(tokenAcesso_);
    pega_->nomeEhlo = definicoes.nomeCliente.empty() ? sistema::NomeMaquina() : definicoes.nomeCliente;
}

// Cleaning the handle up ends its open connection with QUIT.
CorreioCurl::~CorreioCurl() = default;

// What a transaction and a check share: the server, its TLS and certificate, the login, the
// timeouts, and the callbacks that read the server's replies and notice a signal.
CURL* CorreioCurl::prepararLigacao(bool ultimaDaLigacao)
{
    const auto& d = definicoes_;
    Transaccao& transaccao = pega_->transaccao = Transaccao{};
    transaccao.mascara = &pega_->mascara;
    transaccao.exigeLogin = !d.utilizador.empty();
    char* erroCurl = pega_->erroCurl;
    erroCurl[0] = '\0';
    CURL* c = pega_->curl.get();
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, erroCurl);
    curl_easy_setopt(c, CURLOPT_URL, url(d, pega_->nomeEhlo).c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, d.timeout);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, d.timeout);
    // The wait for the reply to the end of the message, and for QUIT's, is outside CURLOPT_TIMEOUT.
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, d.timeout);
    // Recipients the server refuses do not stop the message for those it accepts.
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, ultimaDaLigacao ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_SOCKOPTFUNCTION, novaLigacao);
    curl_easy_setopt(c, CURLOPT_SOCKOPTDATA, &transaccao);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, depurar);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &transaccao);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, curl::Progresso);
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
    CURL* c = prepararLigacao(ultimaDaLigacao);
    Transaccao& transaccao = pega_->transaccao;
    transaccao.mensagem = &mensagem;
    transaccao.destinatarios = destinatarios.size();
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, ("<" + remetente + ">").c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(mensagem.size()));
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ler);
    curl_easy_setopt(c, CURLOPT_READDATA, &transaccao);
    CURLcode codigo = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);  // the list goes now; the handle stays
    ResultadoEnvio r = resultado(codigo, pega_->erroCurl, transaccao, !tokenAcesso_.empty());
    // A server that fell silent would hold QUIT for as long again.
    if (codigo == CURLE_ABORTED_BY_CALLBACK || codigo == CURLE_OPERATION_TIMEDOUT || r.incerto) cortarLigacao(c);
    return r;
}

std::string CorreioCurl::Verificar()
{
    if (!pega_->curl) return "libcurl não inicializou";
    CURL* c = prepararLigacao(true);
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
