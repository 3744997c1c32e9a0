#include "AssinaturaJwt.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <algorithm>

#include "components/mail/mime/MensagemCodificacao.h"
#include "data/Erro.h"

namespace quorvelanti {

namespace {

struct LibertarSsl {
    void operator()(BIO* b) const { BIO_free(b); }
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
    void operator()(X509* c) const { X509_free(c); }
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using Bio = std::unique_ptr<BIO, LibertarSsl>;
using CertificadoX509 = std::unique_ptr<X509, LibertarSsl>;
using ContextoResumo = std::unique_ptr<EVP_MD_CTX, LibertarSsl>;

// libcrypto's queue of errors, emptied into one text.
std::string errosSsl()
{
    std::string texto;
    for (unsigned long e = ERR_get_error(); e != 0; e = ERR_get_error()) {
        char linha[256];
        ERR_error_string_n(e, linha, sizeof linha);
        texto += (texto.empty() ? "" : "; ") + std::string(linha);
    }
    return texto;
}

Erro invalido(const std::string& nomeChave, const std::string& descricao)
{
    return Erro(erros::CorreioConfiguracao, "A chave " + nomeChave + " " + descricao, errosSsl());
}

// An unattended run has nobody to type a pass phrase, and without a callback OpenSSL would ask
// for one on the terminal and wait; this one refuses, and notes that it was asked.
int recusarPalavraPasse(char*, int, int, void* pedida)
{
    *static_cast<bool*>(pedida) = true;
    return -1;
}

Bio memoria(const std::string& texto) { return Bio(BIO_new_mem_buf(texto.data(), static_cast<int>(texto.size()))); }

std::string resumo(const EVP_MD* algoritmo, const std::string& bytes)
{
    unsigned char saida[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), saida, &n, algoritmo, nullptr) != 1)
        throw Erro(erros::CorreioFalhou, "Falha no cálculo de um resumo criptográfico", errosSsl());
    return std::string(reinterpret_cast<const char*>(saida), n);
}

}  // namespace

struct AssinaturaJwt::Chave {
    std::unique_ptr<EVP_PKEY, LibertarSsl> pkey;
};

AssinaturaJwt::AssinaturaJwt(const std::string& chavePrivadaPem, const std::string& nomeChave)
    : chave_(std::make_unique<Chave>()), nomeChave_(nomeChave)
{
    ERR_clear_error();
    Bio bio = memoria(chavePrivadaPem);
    bool cifrada = false;
    chave_->pkey.reset(PEM_read_bio_PrivateKey(bio.get(), nullptr, recusarPalavraPasse, &cifrada));
    if (!chave_->pkey && cifrada)
        throw invalido(nomeChave,
                       "tem uma chave privada cifrada com palavra-passe, que ninguém pode dar a uma execução "
                       "automática: decifre-a com openssl pkey -in chave.pem -out chave-decifrada.pem "
                       "(e chmod 600 chave-decifrada.pem)");
    if (!chave_->pkey) throw invalido(nomeChave, "não tem uma chave privada PEM");
    if (!EVP_PKEY_is_a(chave_->pkey.get(), "RSA"))
        throw invalido(nomeChave, "não tem uma chave RSA (a assinatura é RS256)");
}

AssinaturaJwt::~AssinaturaJwt() = default;

AssinaturaJwt::Impressoes AssinaturaJwt::Certificado(const std::string& certificadoPem,
                                                     const std::string& nomeChave) const
{
    ERR_clear_error();
    Bio bio = memoria(certificadoPem);
    CertificadoX509 certificado(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    if (!certificado) throw invalido(nomeChave, "não tem um certificado PEM");
    if (X509_check_private_key(certificado.get(), chave_->pkey.get()) != 1)
        throw invalido(nomeChave, "tem um certificado que não corresponde à chave " + nomeChave_);
    unsigned char* der = nullptr;
    const int n = i2d_X509(certificado.get(), &der);
    if (n <= 0) throw invalido(nomeChave, "tem um certificado que não se pode codificar");
    const std::string bytes(reinterpret_cast<const char*>(der), static_cast<std::size_t>(n));
    OPENSSL_free(der);
    return {Base64Url(resumo(EVP_sha256(), bytes)), Base64Url(resumo(EVP_sha1(), bytes))};
}

std::string AssinaturaJwt::Assinar(const std::string& cabecalhoJson, const std::string& reivindicacoesJson) const
{
    ERR_clear_error();
    const std::string assinado = Base64Url(cabecalhoJson) + "." + Base64Url(reivindicacoesJson);
    ContextoResumo contexto(EVP_MD_CTX_new());
    std::size_t tamanho = 0;
    bool certo = contexto &&
                 EVP_DigestSignInit(contexto.get(), nullptr, EVP_sha256(), nullptr, chave_->pkey.get()) == 1 &&
                 EVP_DigestSign(contexto.get(), nullptr, &tamanho,
                                reinterpret_cast<const unsigned char*>(assinado.data()), assinado.size()) == 1;
    std::string assinatura(tamanho, '\0');
    certo = certo && EVP_DigestSign(contexto.get(), reinterpret_cast<unsigned char*>(assinatura.data()), &tamanho,
                                    reinterpret_cast<const unsigned char*>(assinado.data()), assinado.size()) == 1;
    if (!certo) throw Erro(erros::CorreioFalhou, "Falha na assinatura com a chave " + nomeChave_, errosSsl());
    assinatura.resize(tamanho);
    return assinado + "." + Base64Url(assinatura);
}

std::string AssinaturaJwt::Base64Url(const std::string& bytes)
{
    std::string texto = mensagem::Base64(bytes, false);
    texto.erase(std::remove(texto.begin(), texto.end(), '='), texto.end());
    std::replace(texto.begin(), texto.end(), '+', '-');
    std::replace(texto.begin(), texto.end(), '/', '_');
    return texto;
}

}  // namespace quorvelanti
