#include "MascaraCredenciais.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>

#include "components/mail/mime/MensagemCodificacao.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

constexpr const char* kMascara = "****";
constexpr const char* kCorte = "…";
// Shorter runs of base64 letters are ordinary words; a longer one found inside what the client
// sent is a piece of its credentials (a server may quote only the start of a line).
constexpr std::size_t kPedacoMinimo = 6;
// Fewer base64 characters decided by a secret would mask ordinary words.
constexpr std::size_t kBase64Minimo = 4;
constexpr std::uint32_t kSemCodigo = 0xFFFFFFFF;

using Posicoes = std::vector<std::size_t>;

// One character of a secret and the bytes it may travel as: its UTF-8, its Windows-1252.
struct Unidade {
    std::uint32_t codigo = kSemCodigo;  // kSemCodigo for a byte that is no UTF-8
    std::vector<std::string> bytes;
};

bool letraBase64(char c) { return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("+/=-_", c) != nullptr; }

int valorHex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    const char minuscula = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return minuscula >= 'a' && minuscula <= 'f' ? minuscula - 'a' + 10 : -1;
}

// The byte written as two hex digits at p; -1 when there are none.
int hexEm(const std::string& t, std::size_t p)
{
    if (p + 1 >= t.size()) return -1;
    const int alto = valorHex(t[p]), baixo = valorHex(t[p + 1]);
    return alto < 0 || baixo < 0 ? -1 : alto * 16 + baixo;
}

// Bytes of the UTF-8 sequence its first byte announces (1 for a byte that starts none).
std::size_t comprimentoUtf8(char primeiro)
{
    const auto b = static_cast<unsigned char>(primeiro);
    return b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

// The character at p when it is well-formed UTF-8; "" for a byte that is no UTF-8.
std::string caracterEm(const std::string& t, std::size_t p)
{
    std::string caracter = t.substr(p, comprimentoUtf8(t[p]));
    return texto::Utf8Valido(caracter) ? caracter : "";
}

std::uint32_t codigoDe(const std::string& caracter)
{
    const std::u16string u = texto::ParaUtf16(caracter);
    return u.size() == 2 ? 0x10000 + ((std::uint32_t(u[0]) - 0xD800) << 10) + (std::uint32_t(u[1]) - 0xDC00) : u[0];
}

std::vector<Unidade> unidadesDe(const std::string& segredo)
{
    std::vector<Unidade> unidades;
    for (std::size_t p = 0; p < segredo.size();) {
        const std::string caracter = caracterEm(segredo, p);
        if (caracter.empty()) {
            unidades.push_back({kSemCodigo, {segredo.substr(p++, 1)}});
            continue;
        }
        Unidade u{codigoDe(caracter), {caracter}};
        const std::string windows = texto::ParaWindows1252(caracter);
        if (windows != caracter && windows != "?") u.bytes.push_back(windows);
        unidades.push_back(std::move(u));
        p += caracter.size();
    }
    return unidades;
}

// A quoted-printable soft line break may stand between any two bytes.
std::size_t depoisDeQuebraSuave(const std::string& t, std::size_t p)
{
    if (t.compare(p, 3, "=\r\n") == 0) return p + 3;
    if (t.compare(p, 2, "=\n") == 0) return p + 2;
    return p;
}

// Where one byte of a secret ends when it starts at p: as itself, as %XX or =XX (either case),
// as "+" for a space, or as the UTF-8 of its Windows-1252 reading.
void byteLidoEm(const std::string& t, std::size_t p, unsigned char b, Posicoes& fins)
{
    if (p >= t.size()) return;
    if (static_cast<unsigned char>(t[p]) == b || (b == ' ' && t[p] == '+')) fins.push_back(p + 1);
    if ((t[p] == '%' || t[p] == '=') && hexEm(t, p + 1) == b) fins.push_back(p + 3);
    if (b < 0x80) return;
    const std::string lido = texto::DeWindows1252(std::string(1, static_cast<char>(b)));
    if (t.compare(p, lido.size(), lido) == 0) fins.push_back(p + lido.size());
}

// The same, after a quoted-printable soft line break too.
void byteEm(const std::string& t, std::size_t p, unsigned char b, Posicoes& fins)
{
    byteLidoEm(t, p, b, fins);
    if (const std::size_t depois = depoisDeQuebraSuave(t, p); depois != p) byteLidoEm(t, depois, b, fins);
}

// "\uXXXX" at p, read into valor; p moves past it.
bool escapeUEm(const std::string& t, std::size_t& p, std::uint32_t& valor)
{
    if (t.compare(p, 2, "\\u") != 0 || hexEm(t, p + 2) < 0 || hexEm(t, p + 4) < 0) return false;
    valor = static_cast<std::uint32_t>(hexEm(t, p + 2) * 256 + hexEm(t, p + 4));
    p += 6;
    return true;
}

// The character as JSON escapes it: \uXXXX (a pair of them beyond U+FFFF) or its short escape.
void escapeJsonEm(const std::string& t, std::size_t p, std::uint32_t codigo, Posicoes& fins)
{
    static constexpr std::pair<char, char> kCurtos[] = {{'"', '"'},  {'\\', '\\'}, {'/', '/'},  {'\b', 'b'},
                                                        {'\f', 'f'}, {'\n', 'n'},  {'\r', 'r'}, {'\t', 't'}};
    for (const auto& [c, letra] : kCurtos)
        if (codigo == static_cast<std::uint32_t>(c) && p + 1 < t.size() && t[p] == '\\' && t[p + 1] == letra)
            fins.push_back(p + 2);
    std::size_t fim = p;
    std::uint32_t lido = 0, baixo = 0;
    if (!escapeUEm(t, fim, lido)) return;
    if (lido >= 0xD800 && lido < 0xDC00) {
        if (!escapeUEm(t, fim, baixo) || baixo < 0xDC00 || baixo > 0xDFFF) return;
        lido = 0x10000 + ((lido - 0xD800) << 10) + (baixo - 0xDC00);
    }
    if (lido == codigo) fins.push_back(fim);
}

// The character as an HTML page writes it: &#231;, &#xE7; or one of the five named references.
void referenciaHtmlEm(const std::string& t, std::size_t p, std::uint32_t codigo, Posicoes& fins)
{
    static constexpr std::pair<char, const char*> kNomes[] = {
        {'"', "&quot;"}, {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'\'', "&apos;"}};
    for (const auto& [c, nome] : kNomes)
        if (codigo == static_cast<std::uint32_t>(c) && t.compare(p, std::strlen(nome), nome) == 0)
            fins.push_back(p + std::strlen(nome));
    if (t.compare(p, 2, "&#") != 0) return;
    std::size_t q = p + 2;
    const bool hex = q < t.size() && (t[q] == 'x' || t[q] == 'X');
    if (hex) ++q;
    std::uint32_t valor = 0;
    const std::size_t primeiro = q;
    for (; q < t.size() && q - primeiro < 8; ++q) {
        const int d = hex ? valorHex(t[q]) : std::isdigit(static_cast<unsigned char>(t[q])) ? t[q] - '0' : -1;
        if (d < 0) break;
        valor = valor * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
    }
    if (q > primeiro && q < t.size() && t[q] == ';' && valor == codigo) fins.push_back(q + 1);
}

void unidadeEm(const std::string& t, std::size_t p, const Unidade& u, Posicoes& fins)
{
    for (const std::string& bytes : u.bytes) {
        Posicoes atuais{p};
        for (const char b : bytes) {
            Posicoes seguintes;
            for (const std::size_t q : atuais) byteEm(t, q, static_cast<unsigned char>(b), seguintes);
            atuais = std::move(seguintes);
        }
        fins.insert(fins.end(), atuais.begin(), atuais.end());
    }
    if (u.codigo == kSemCodigo) return;
    escapeJsonEm(t, p, u.codigo, fins);
    referenciaHtmlEm(t, p, u.codigo, fins);
}

// The base64 characters that only the secret's bytes decide when it starts 'desvio' bytes
// (0, 1 or 2 mod 3) into the encoded text, and the secret encoded alone with its padding; in
// both alphabets.
std::vector<std::string> base64Decididos(const std::string& segredo)
{
    std::vector<std::string> decididos = {mensagem::Base64(segredo, false)};
    for (std::size_t desvio = 0; desvio < 3; ++desvio) {
        const std::string b64 = mensagem::Base64(std::string(desvio, '\0') + segredo + std::string(2, '\0'), false);
        const std::size_t primeiro = (8 * desvio + 5) / 6, fim = 8 * (desvio + segredo.size()) / 6;
        decididos.push_back(b64.substr(primeiro, fim - primeiro));
    }
    for (std::size_t n = 0, total = decididos.size(); n < total; ++n) {
        std::string url = decididos[n];
        std::replace(url.begin(), url.end(), '+', '-');
        std::replace(url.begin(), url.end(), '/', '_');
        url.erase(std::remove(url.begin(), url.end(), '='), url.end());
        decididos.push_back(url);
    }
    std::erase_if(decididos, [](const std::string& d) { return d.size() < kBase64Minimo; });
    std::sort(decididos.begin(), decididos.end());
    decididos.erase(std::unique(decididos.begin(), decididos.end()), decididos.end());
    return decididos;
}

// The end of the run of control characters at p (C0, DEL, C1); p when none starts there.
std::size_t fimDeControlos(const std::string& t, std::size_t p)
{
    auto byte = [&](std::size_t n) { return static_cast<unsigned char>(t[n]); };
    for (;;) {
        if (p < t.size() && (byte(p) < 0x20 || byte(p) == 0x7F))
            p += 1;
        else if (p + 1 < t.size() && byte(p) == 0xC2 && byte(p + 1) >= 0x80 && byte(p + 1) < 0xA0)
            p += 2;
        else
            return p;
    }
}

// Within the limit, ending with the mark of the cut and never inside a character.
void cortar(std::string& citacao)
{
    std::size_t n = MascaraCredenciais::kCitacaoMaxima - std::strlen(kCorte);
    while (n > 0 && (static_cast<unsigned char>(citacao[n]) & 0xC0) == 0x80) --n;
    citacao.resize(n);
    citacao += kCorte;
}

}  // namespace

struct MascaraCredenciais::Forma {
    Forma(std::vector<Unidade> u, bool q) : unidades(std::move(u)), quebrada(q), inicios(iniciosPossiveis(unidades)) {}

    std::vector<Unidade> unidades;
    bool quebrada = false;       // base64: a line break may stand between two characters
    std::bitset<256> inicios{};  // the bytes a match can start with

    // The end of the longest match that starts at p; p when there is none.
    std::size_t FimEm(const std::string& t, std::size_t p) const
    {
        if (!inicios[static_cast<unsigned char>(t[p])]) return p;
        Posicoes atuais{p};
        for (std::size_t i = 0; i < unidades.size() && !atuais.empty(); ++i) {
            if (quebrada && i > 0) depoisDeQuebras(t, atuais);
            Posicoes seguintes;
            for (const std::size_t q : atuais) unidadeEm(t, q, unidades[i], seguintes);
            std::sort(seguintes.begin(), seguintes.end());
            seguintes.erase(std::unique(seguintes.begin(), seguintes.end()), seguintes.end());
            atuais = std::move(seguintes);
        }
        return atuais.empty() || unidades.empty() ? p : atuais.back();
    }

    // Most bytes of a text can start no match: telling them at once keeps a reply's quote cheap.
    static std::bitset<256> iniciosPossiveis(const std::vector<Unidade>& unidades)
    {
        std::bitset<256> inicios;
        if (unidades.empty()) return inicios;
        const Unidade& primeira = unidades.front();
        for (const char c : {'%', '=', '\\', '&'}) inicios.set(static_cast<unsigned char>(c));
        for (const std::string& bytes : primeira.bytes) {
            const auto b = static_cast<unsigned char>(bytes[0]);
            inicios.set(b);
            if (b == ' ') inicios.set('+');
            if (b >= 0x80) inicios.set(static_cast<unsigned char>(texto::DeWindows1252(bytes.substr(0, 1))[0]));
        }
        return inicios;
    }

    static void depoisDeQuebras(const std::string& t, Posicoes& posicoes)
    {
        for (std::size_t n = 0, total = posicoes.size(); n < total; ++n) {
            if (t.compare(posicoes[n], 2, "\r\n") == 0) posicoes.push_back(posicoes[n] + 2);
            if (t.compare(posicoes[n], 1, "\n") == 0) posicoes.push_back(posicoes[n] + 1);
        }
    }
};

MascaraCredenciais::MascaraCredenciais(const std::vector<std::string>& segredos)
{
    for (const auto& segredo : segredos) Acrescentar(segredo);
}

MascaraCredenciais::~MascaraCredenciais() = default;

void MascaraCredenciais::Acrescentar(const std::string& segredo)
{
    if (segredo.empty()) return;
    formas_.emplace_back(unidadesDe(segredo), false);
    for (const auto& decididos : base64Decididos(segredo)) formas_.emplace_back(unidadesDe(decididos), true);
    for (const auto& forma : formas_) inicios_ |= forma.inicios;
}

void MascaraCredenciais::LinhaCliente(const std::string& linha)
{
    const std::string aparada = texto::Aparar(linha);
    if (texto::MaiusculasAscii(aparada.substr(0, 5)) == "AUTH ") {
        emAutenticacao_ = true;
        auto palavras = texto::Dividir(aparada, ' ');
        for (std::size_t n = 2; n < palavras.size(); ++n)
            if (palavras[n].size() > 1) enviados_.push_back(palavras[n]);  // "=" is an empty response
        return;
    }
    if (emAutenticacao_ && aparada.size() > 1) enviados_.push_back(aparada);
}

void MascaraCredenciais::LinhaServidor(const std::string& linha)
{
    if (emAutenticacao_ && linha.rfind("334", 0) != 0) emAutenticacao_ = false;
}

// One pass that stops at the limit: the rest of a long reply costs nothing. Secrets are looked
// for in the text as it came, since their encodings may hold line breaks.
std::string MascaraCredenciais::Citar(const std::string& texto) const
{
    std::string citacao;
    for (std::size_t p = 0; p < texto.size() && citacao.size() <= kCitacaoMaxima;) {
        const auto byte = static_cast<unsigned char>(texto[p]);
        std::size_t fim = p;
        if (inicios_[byte])
            for (const auto& forma : formas_) fim = std::max(fim, forma.FimEm(texto, p));
        if (fim == p && !enviados_.empty() && letraBase64(texto[p]) && (p == 0 || !letraBase64(texto[p - 1]))) {
            const auto palavra = std::find_if_not(texto.begin() + p, texto.end(), letraBase64) - texto.begin();
            if (static_cast<std::size_t>(palavra) - p >= kPedacoMinimo && enviado(texto.substr(p, palavra - p)))
                fim = palavra;
        }
        if (fim > p) {
            citacao += kMascara;
            p = fim;
        } else if (byte >= 0x20 && byte < 0x7F) {
            citacao += texto[p++];
        } else if (const std::size_t controlos = fimDeControlos(texto, p); controlos > p) {
            citacao += ' ';
            p = controlos;
        } else {
            const std::string caracter = caracterEm(texto, p);
            citacao += caracter.empty() ? "?" : caracter;
            p += std::max<std::size_t>(caracter.size(), 1);
        }
    }
    if (citacao.size() > kCitacaoMaxima) cortar(citacao);
    return citacao;
}

bool MascaraCredenciais::enviado(const std::string& palavra) const
{
    return std::any_of(enviados_.begin(), enviados_.end(),
                       [&](const std::string& dados) { return dados.find(palavra) != std::string::npos; });
}

}  // namespace quorvelanti
