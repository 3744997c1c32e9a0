#include "MensagemCodificacao.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace quorvelanti::mensagem {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kLinhaCabecalho = 78;  // the line length RFC 5322 asks headers to keep
// 39 bytes make 52 Base64 characters, so "=?UTF-8?B?...?=" stays at 64 and "Subject: " fits.
constexpr std::size_t kBytesPorPalavra = 39;

bool imprimivelAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

std::string hex(unsigned char c) { return {'=', kHex[c >> 4], kHex[c & 0x0F]}; }

bool continuacaoUtf8(unsigned char c) { return (c & 0xC0) == 0x80; }

// UTF-8 cut into pieces of at most n bytes, never inside a character.
std::vector<std::string> pedacosUtf8(const std::string& s, std::size_t n)
{
    std::vector<std::string> pedacos;
    std::size_t inicio = 0;
    while (inicio < s.size()) {
        std::size_t fim = std::min(inicio + n, s.size());
        while (fim < s.size() && fim > inicio + 1 && continuacaoUtf8(static_cast<unsigned char>(s[fim]))) --fim;
        pedacos.push_back(s.substr(inicio, fim - inicio));
        inicio = fim;
    }
    return pedacos;
}

std::vector<std::string> palavrasCodificadas(const std::string& texto)
{
    std::vector<std::string> palavras;
    for (const auto& pedaco : pedacosUtf8(texto, kBytesPorPalavra))
        palavras.push_back("=?UTF-8?B?" + Base64(pedaco, false) + "?=");
    return palavras;
}

// Sent unencoded only when a reader is sure to get back exactly these characters.
bool seguroSemCodificar(const std::string& valor)
{
    if (valor.empty()) return true;
    if (!imprimivelAscii(valor) || valor.front() == ' ' || valor.back() == ' ') return false;
    if (valor.find("=?") != std::string::npos) return false;  // would read as an encoded word
    std::size_t palavra = 0;
    for (char c : valor) {
        palavra = c == ' ' ? 0 : palavra + 1;
        if (palavra > kLinhaCabecalho - 1) return false;  // could not be folded under the limit
    }
    return true;
}

// Folds before blanks so that unfolding (removing the CRLFs) gives the value back unchanged.
std::string dobrado(const std::string& nome, const std::string& valor)
{
    if (valor.empty()) return nome + ":\r\n";
    std::string saida, linha = nome + ":";
    std::size_t inicio = 0;
    while (inicio <= valor.size()) {
        std::size_t espaco = valor.find(' ', inicio);
        std::string palavra = valor.substr(inicio, espaco == std::string::npos ? std::string::npos : espaco - inicio);
        if (!palavra.empty() && linha.size() + 1 + palavra.size() > kLinhaCabecalho && linha.size() > nome.size() + 1) {
            saida += linha + "\r\n";
            linha.clear();
        }
        linha += " " + palavra;
        if (espaco == std::string::npos) break;
        inicio = espaco + 1;
    }
    return saida + linha + "\r\n";
}

bool atext(unsigned char c) { return std::isalnum(c) || (c != 0 && std::strchr("!#$%&'*+-/=?^_`{|}~", c)); }

bool attrChar(unsigned char c) { return std::isalnum(c) || (c != 0 && std::strchr("!#$&+-.^_`|~", c)); }

}  // namespace

std::string Base64(const std::string& bytes, bool emLinhas)
{
    static constexpr char kAlfabeto[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr std::size_t kPorLinha = 57;  // bytes that make a line of 76 characters
    const std::size_t grupos = (bytes.size() + 2) / 3;
    const std::size_t linhas = emLinhas ? (bytes.size() + kPorLinha - 1) / kPorLinha : 0;
    // Sized once and filled in place: an attachment of megabytes is encoded in one pass.
    std::string saida(grupos * 4 + linhas * 2, '\0');
    char* escrita = saida.data();
    const auto* lido = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = static_cast<unsigned>(lido[i]) << 16;
        if (n > 1) v |= static_cast<unsigned>(lido[i + 1]) << 8;
        if (n > 2) v |= static_cast<unsigned>(lido[i + 2]);
        *escrita++ = kAlfabeto[(v >> 18) & 63];
        *escrita++ = kAlfabeto[(v >> 12) & 63];
        *escrita++ = n > 1 ? kAlfabeto[(v >> 6) & 63] : '=';
        *escrita++ = n > 2 ? kAlfabeto[v & 63] : '=';
        if (emLinhas && ((i + 3) % kPorLinha == 0 || i + 3 >= bytes.size())) {
            *escrita++ = '\r';
            *escrita++ = '\n';
        }
    }
    return saida;
}

std::string QuotedPrintable(const std::string& texto)
{
    std::string saida, linha;
    // An encoded line may hold 76 characters including the '=' of a soft break.
    auto acrescentar = [&](const std::string& pedaco) {
        if (linha.size() + pedaco.size() > 75) {
            saida += linha + "=\r\n";
            linha.clear();
        }
        linha += pedaco;
    };
    // A blank at the end of a line would be lost in transit, so it is written as =20 or =09.
    auto fecharLinha = [&]() {
        if (!linha.empty() && (linha.back() == ' ' || linha.back() == '\t')) {
            unsigned char ultimo = static_cast<unsigned char>(linha.back());
            linha.pop_back();
            acrescentar(hex(ultimo));
        }
        saida += linha;
        linha.clear();
    };
    for (std::size_t i = 0; i < texto.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(texto[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
            fecharLinha();
            saida += "\r\n";
        } else if ((c >= 33 && c <= 126 && c != '=') || c == ' ' || c == '\t') {
            acrescentar(std::string(1, static_cast<char>(c)));
        } else {
            acrescentar(hex(c));
        }
    }
    fecharLinha();
    return saida;
}

std::string CabecalhoNaoEstruturado(const std::string& nome, const std::string& texto)
{
    // A header is one line: a line break in the text would read as a header of its own.
    std::string valor;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        bool quebra = texto[i] == '\r' || texto[i] == '\n';
        if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
        valor += quebra ? ' ' : texto[i];
    }
    if (seguroSemCodificar(valor)) return dobrado(nome, valor);
    std::string saida = nome + ":";
    for (const auto& palavra : palavrasCodificadas(valor)) {
        if (saida.size() > nome.size() + 1) saida += "\r\n";
        saida += " " + palavra;
    }
    return saida + "\r\n";
}

std::string Frase(const std::string& texto)
{
    bool simples =
        !texto.empty() && texto.front() != ' ' && texto.back() != ' ' && texto.find("=?") == std::string::npos;
    for (unsigned char c : texto) simples = simples && (atext(c) || c == ' ');
    if (simples) return texto;
    if (imprimivelAscii(texto)) {
        std::string citado = "\"";
        for (char c : texto) {
            if (c == '"' || c == '\\') citado += '\\';
            citado += c;
        }
        return citado + "\"";
    }
    std::string frase;
    for (const auto& palavra : palavrasCodificadas(texto)) frase += (frase.empty() ? "" : " ") + palavra;
    return frase;
}

std::string Parametro(const std::string& nome, const std::string& valor)
{
    if (imprimivelAscii(valor) && valor.find_first_of("\"\\") == std::string::npos) return nome + "=\"" + valor + "\"";
    std::string codificado = nome + "*=UTF-8''";
    for (unsigned char c : valor) {
        if (attrChar(c))
            codificado += static_cast<char>(c);
        else
            codificado += "%" + hex(c).substr(1);
    }
    return codificado;
}

}  // namespace quorvelanti::mensagem
