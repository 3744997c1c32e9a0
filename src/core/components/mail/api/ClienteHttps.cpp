#include "ClienteHttps.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "components/mail/ComumCurl.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

using Lista = std::unique_ptr<curl_slist, curl::Libertar>;

// The reply being read, and how much of it may be.
struct Recepcao {
    RespostaHttps& resposta;
    std::size_t maximo;
};

std::size_t juntar(char* dados, std::size_t tamanho, std::size_t n, void* destino)
{
    auto& recepcao = *static_cast<Recepcao*>(destino);
    std::string& corpo = recepcao.resposta.corpo;
    if (corpo.size() + tamanho * n > recepcao.maximo) return 0;  // libcurl ends the transfer
    corpo.append(dados, tamanho * n);
    return tamanho * n;
}

// Retry-After in seconds; the HTTP-date form names no wait we could trust on this clock.
std::size_t cabecalho(char* dados, std::size_t tamanho, std::size_t n, void* destino)
{
    std::string linha(dados, tamanho * n);
    while (!linha.empty() && (linha.back() == '\n' || linha.back() == '\r')) linha.pop_back();
    const auto doisPontos = linha.find(':');
    if (doisPontos != std::string::npos &&
        texto::IguaisSemCaixa(texto::Aparar(linha.substr(0, doisPontos)), "Retry-After")) {
        const std::string valor = texto::Aparar(linha.substr(doisPontos + 1));
        char* fim = nullptr;
        const long segundos = std::strtol(valor.c_str(), &fim, 10);
        if (!valor.empty() && fim && *fim == '\0' && segundos >= 0)
            static_cast<RespostaHttps*>(destino)->esperar = std::chrono::seconds(segundos);
    }
    return tamanho * n;
}

// Failures before the request could leave this machine: nothing reached the service.
bool antesDeEnviar(CURLcode codigo, CURL* c)
{
    switch (codigo) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE: return true;
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t tls = 0;
        curl_easy_getinfo(c, CURLINFO_APPCONNECT_TIME_T, &tls);
        return tls == 0;
    }
    default: return false;
    }
}

}  // namespace

struct ClienteHttps::Pega {
    CURL* curl = curl_easy_init();
    ~Pega() { curl_easy_cleanup(curl); }
};

ClienteHttps::ClienteHttps(std::string certificadoCA, long timeout)
    : pega_(std::make_unique<Pega>()), certificadoCA_(std::move(certificadoCA)), timeout_(timeout)
{
    if (!pega_->curl) throw Erro(erros::CorreioFalhou, "Não foi possível preparar um pedido HTTPS", "libcurl");
}

ClienteHttps::~ClienteHttps() = default;

RespostaHttps ClienteHttps::Executar(const PedidoHttps& pedido)
{
    CURL* c = pega_->curl;
    // A reset keeps the open connection and its TLS session; only the options start afresh.
    curl_easy_reset(c);
    Lista cabecalhos;
    auto juntarCabecalho = [&](const std::string& linha) {
        cabecalhos.reset(curl_slist_append(cabecalhos.release(), linha.c_str()));
    };
    // Without "Expect:" libcurl waits a second for a 100 Continue before each large body.
    juntarCabecalho("Expect:");
    juntarCabecalho("Accept: application/json");
    if (!pedido.tipo.empty()) juntarCabecalho("Content-Type: " + pedido.tipo);
    if (!pedido.token.empty()) juntarCabecalho("Authorization: Bearer " + pedido.token);
    for (const auto& linha : pedido.cabecalhos) juntarCabecalho(linha);

    RespostaHttps r;
    curl_easy_setopt(c, CURLOPT_URL, pedido.url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, timeout_);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, timeout_);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, cabecalhos.get());
    if (pedido.metodo != "GET" && pedido.metodo != "DELETE") {
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, pedido.corpo.data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(pedido.corpo.size()));
    }
    if (pedido.metodo != "GET" && pedido.metodo != "POST")
        curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, pedido.metodo.c_str());
    Recepcao recepcao{r, pedido.respostaMaxima};
    char erroCurl[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, erroCurl);
    // A length said beforehand is refused before the reply is read at all.
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(pedido.respostaMaxima));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, juntar);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &recepcao);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, cabecalho);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &r);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, curl::Progresso);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    if (!certificadoCA_.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, certificadoCA_.c_str());

    const CURLcode codigo = curl_easy_perform(c);
    Interrupcao::Verificar();
    if (codigo != CURLE_OK) {
        // libcurl's text for the code apart from its error buffer: that may quote the URL, and an
        // upload URL is a credential; a caller whose URL is none may quote it, masked.
        r.excedida = codigo == CURLE_WRITE_ERROR || codigo == CURLE_FILESIZE_EXCEEDED;
        r.falha = r.excedida ? "a resposta do serviço passa de " + std::to_string(pedido.respostaMaxima >> 10) +
                                   " KB e não foi lida"
                             : curl_easy_strerror(codigo);
        r.passageira = curl::FalhaDeLigacao(codigo);
        r.detalhe = erroCurl;
        // An answer too long to read is still no word that the message was taken.
        (antesDeEnviar(codigo, c) ? r.semLigacao : r.semResposta) = true;
        r.corpo.clear();
        return r;
    }
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.estado);
    return r;
}

std::string ClienteHttps::Segmento(const std::string& texto)
{
    std::string s;
    for (unsigned char ch : texto) {
        if (std::isalnum(ch) || ch == '-' || ch == '.' || ch == '_' || ch == '~' || ch == '@') {
            s += static_cast<char>(ch);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", ch);
            s += hex;
        }
    }
    return s;
}

}  // namespace quorvelanti
