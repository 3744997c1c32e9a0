#include "Texto.h"

#include <array>
#include <cstdint>
#include <optional>

#include "Erro.h"

namespace quorvelanti::texto {

namespace {
// Code points of bytes 0x80..0x9F in Windows-1252; 0 marks the undefined ones.
constexpr std::array<std::uint16_t, 32> kAlto = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void acrescentarUtf8(std::string& s, std::uint32_t cp)
{
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the UTF-8 sequence starting with byte b (1 for a stray byte).
std::size_t comprimentoSequencia(unsigned char b)
{
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

constexpr std::uint32_t kInvalido = 0xFFFFFFFF;
constexpr std::uint32_t kSubstituto = 0xFFFD;

struct Caracter {
    std::uint32_t cp;   // kInvalido for a byte that starts no well-formed sequence
    std::size_t bytes;  // 1 for such a byte
};

// The character at byte i. Surrogate code points are read like any other (a UTF-16 text with a
// lone half, converted without checks, carries them); overlong forms and stray bytes are not.
Caracter lerCaracter(const std::string& s, std::size_t i)
{
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const std::size_t n = comprimentoSequencia(b);
    if (n == 1) return {b < 0x80 ? b : kInvalido, 1};
    if (i + n > s.size()) return {kInvalido, 1};
    std::uint32_t cp = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return {kInvalido, 1};
        cp = (cp << 6) | (c & 0x3F);
    }
    static const std::uint32_t minimo[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimo[n] || cp > 0x10FFFF) return {kInvalido, 1};
    return {cp, n};
}

bool surrogado(std::uint32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// The characters an XML 1.0 document may hold.
bool permitidoXml(std::uint32_t cp)
{
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Index of the first byte where Saneado has something to change; the size when nothing.
std::size_t primeiroProibido(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b >= 0x20 && b < 0x80) {
            ++i;
            continue;
        }
        const Caracter c = lerCaracter(s, i);
        if (c.cp == kInvalido || !permitidoXml(c.cp)) return i;
        i += c.bytes;
    }
    return s.size();
}

// The code point at utf8[i], kInvalido for a byte that starts no well-formed sequence; moves i
// past it.
std::uint32_t lerCodigo(const std::string& utf8, std::size_t& i)
{
    const Caracter c = lerCaracter(utf8, i);
    i += c.bytes;
    return c.cp;
}

std::optional<char> byteWindows1252(std::uint32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t k = 0; k < kAlto.size(); ++k)
        if (kAlto[k] == cp) return static_cast<char>(0x80 + k);
    return std::nullopt;
}
}  // namespace

bool Utf8Valido(const std::string& bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const Caracter c = lerCaracter(bytes, i);
        if (c.cp == kInvalido || surrogado(c.cp)) return false;
        i += c.bytes;
    }
    return true;
}

std::string DeBaseDados(std::string bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const Caracter c = lerCaracter(bytes, i);
        if (c.cp == kInvalido) return Saneado(DeWindows1252(bytes));
        i += c.bytes;
    }
    return Saneado(std::move(bytes));
}

bool SoCaracteresXml(const std::string& utf8) { return primeiroProibido(utf8) == utf8.size(); }

std::string Saneado(std::string utf8)
{
    std::size_t i = primeiroProibido(utf8);
    if (i == utf8.size()) return utf8;
    std::string s = utf8.substr(0, i);
    s.reserve(utf8.size() + 8);
    while (i < utf8.size()) {
        const Caracter c = lerCaracter(utf8, i);
        i += c.bytes;
        if (c.cp >= 0xD800 && c.cp <= 0xDBFF && i < utf8.size()) {
            const Caracter baixo = lerCaracter(utf8, i);
            if (baixo.cp >= 0xDC00 && baixo.cp <= 0xDFFF) {
                acrescentarUtf8(s, 0x10000 + ((c.cp - 0xD800) << 10) + (baixo.cp - 0xDC00));
                i += baixo.bytes;
                continue;
            }
        }
        if (c.cp != kInvalido && permitidoXml(c.cp))
            s.append(utf8, i - c.bytes, c.bytes);
        else
            acrescentarUtf8(s, kSubstituto);
    }
    return s;
}

std::string UmaLinhaVisivel(std::string utf8)
{
    std::string s = Saneado(std::move(utf8));
    std::string linha;
    linha.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t inicio = i;
        const std::uint32_t cp = lerCodigo(s, i);
        if (cp == '\t' || cp == '\n' || cp == '\r')
            linha += ' ';
        else if (cp == 0x7F || (cp >= 0x80 && cp <= 0x9F))
            acrescentarUtf8(linha, kSubstituto);
        else
            linha.append(s, inicio, i - inicio);
    }
    return linha;
}

std::string DeWindows1252(const std::string& bytes)
{
    std::string s;
    s.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char b : bytes) {
        if (b < 0x80)
            s += static_cast<char>(b);
        else if (b < 0xA0)
            acrescentarUtf8(s, kAlto[b - 0x80] ? kAlto[b - 0x80] : kSubstituto);
        else
            acrescentarUtf8(s, b);
    }
    return s;
}

std::string ParaWindows1252(const std::string& utf8)
{
    std::string s;
    s.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::uint32_t cp = lerCodigo(utf8, i);
        s += cp == kInvalido ? '?' : byteWindows1252(cp).value_or('?');
    }
    return s;
}

std::string ForaDeWindows1252(const std::string& utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t inicio = i;
        const std::uint32_t cp = lerCodigo(utf8, i);
        if (cp == kInvalido || !byteWindows1252(cp)) return utf8.substr(inicio, i - inicio);
    }
    return {};
}

std::u16string ParaUtf16(const std::string& utf8)
{
    std::u16string s;
    s.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = lerCodigo(utf8, i);
        if (cp == kInvalido) cp = kSubstituto;
        if (cp < 0x10000) {
            s += static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            s += static_cast<char16_t>(0xD800 + (cp >> 10));
            s += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
    }
    return s;
}

std::string DeUtf16(const std::u16string& utf16)
{
    std::string s;
    s.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        std::uint32_t cp = utf16[i];
        const bool alto = cp >= 0xD800 && cp < 0xDC00;
        if (alto && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp < 0xE000)
            cp = kSubstituto;
        acrescentarUtf8(s, cp);
    }
    return s;
}

std::string Aparar(const std::string& s)
{
    std::size_t i = s.find_first_not_of(' ');
    if (i == std::string::npos) return {};
    return s.substr(i, s.find_last_not_of(' ') - i + 1);
}

std::string MaiusculasAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string MinusculasAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool IguaisSemCaixa(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && MinusculasAscii(a) == MinusculasAscii(b);
}

int Contagem(const std::string& chave, const std::string& valor, int vazio, int minimo, int maximo)
{
    const std::string s = Aparar(valor);
    if (s.empty()) return vazio;
    if (s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos || std::stoi(s) < minimo ||
        std::stoi(s) > maximo)
        throw Erro(erros::ParametroInvalido, "Valor inválido na chave " + chave,
                   "\"" + valor + "\" (de " + std::to_string(minimo) + " a " + std::to_string(maximo) + ")");
    return std::stoi(s);
}

std::size_t Caracteres(const std::string& utf8)
{
    std::size_t n = 0;
    for (unsigned char b : utf8)
        if ((b & 0xC0) != 0x80) ++n;
    return n;
}

std::string Primeiros(const std::string& utf8, std::size_t n)
{
    std::size_t contados = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (contados == n) return utf8.substr(0, i);
            ++contados;
        }
    }
    return utf8;
}

std::vector<std::string> Dividir(const std::string& s, char separador)
{
    std::vector<std::string> partes;
    std::size_t inicio = 0;
    for (std::size_t i = s.find(separador); i != std::string::npos; i = s.find(separador, inicio)) {
        partes.push_back(s.substr(inicio, i - inicio));
        inicio = i + 1;
    }
    partes.push_back(s.substr(inicio));
    return partes;
}

}  // namespace quorvelanti::texto
