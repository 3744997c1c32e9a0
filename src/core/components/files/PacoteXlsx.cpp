#include "PacoteXlsx.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/Erro.h"

namespace quorvelanti {

namespace {

// The zip records read here, by their signatures and fixed sizes.
constexpr std::uint32_t kAssinaturaFimIndice = 0x06054b50;
constexpr std::uint32_t kAssinaturaEntrada = 0x02014b50;
constexpr std::uint32_t kAssinaturaLocal = 0x04034b50;
constexpr std::size_t kFimIndice = 22, kEntrada = 46, kCabecalhoLocal = 30;
constexpr std::size_t kMaximoComentario = 0xFFFF;

[[noreturn]] void falhar(const std::string& descricao, const std::string& detalhe = {})
{
    throw Erro(erros::LivroFalhou, descricao, detalhe);
}

[[noreturn]] void falharMembro(const std::string& membro, const std::string& problema, const std::string& detalhe = {})
{
    falhar("O membro " + membro + " " + problema, detalhe);
}

[[noreturn]] void indiceCortado() { falhar("O índice do pacote (zip) está cortado"); }

[[noreturn]] void semFimDoIndice() { falhar("O pacote (zip) não acaba no registo que fecha o seu índice"); }

// Little-endian fields, read where the caller checked that the record lies within the package.
std::uint32_t ler16(std::string_view b, std::size_t p)
{
    return static_cast<std::uint8_t>(b[p]) | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[p + 1])) << 8;
}

std::uint32_t ler32(std::string_view b, std::size_t p) { return ler16(b, p) | ler16(b, p + 2) << 16; }

struct Indice {
    std::size_t inicio = 0;  // of the central directory
    std::size_t fim = 0;     // where the record that ends it starts
    std::uint32_t membros = 0;
};

// The record that ends the index is the package's last, followed only by its own comment; the
// index lies right before it. A package cut anywhere after its first bytes loses that record.
Indice indiceDe(std::string_view pacote)
{
    if (pacote.size() < kFimIndice) semFimDoIndice();
    const std::size_t ultimo = pacote.size() - kFimIndice;
    const std::size_t primeiro = ultimo > kMaximoComentario ? ultimo - kMaximoComentario : 0;
    for (std::size_t p = ultimo + 1; p-- > primeiro;) {
        if (ler32(pacote, p) != kAssinaturaFimIndice || ler16(pacote, p + 20) != ultimo - p) continue;
        const std::size_t tamanho = ler32(pacote, p + 12), inicio = ler32(pacote, p + 16);
        if (inicio > p || p - inicio != tamanho) indiceCortado();
        return {inicio, p, ler16(pacote, p + 10)};
    }
    semFimDoIndice();
}

struct Membro {
    std::string nome;
    std::uint32_t metodo = 0, tamanho = 0;
    std::string_view dados;  // as stored
};

// The index entry at 'p', which then moves to the next one; its data found through the local
// header the entry points to, all of it before the index.
Membro membroEm(std::string_view pacote, const Indice& indice, std::size_t& p)
{
    if (indice.fim - p < kEntrada || ler32(pacote, p) != kAssinaturaEntrada) indiceCortado();
    const std::size_t nome = ler16(pacote, p + 28), extra = ler16(pacote, p + 30), comentario = ler16(pacote, p + 32);
    if (indice.fim - p - kEntrada < nome + extra + comentario) indiceCortado();
    const std::size_t entrada = p, comprimido = ler32(pacote, entrada + 20), local = ler32(pacote, entrada + 42);
    p += kEntrada + nome + extra + comentario;

    std::string nomeMembro(pacote.substr(entrada + kEntrada, nome));
    if (local > indice.inicio || indice.inicio - local < kCabecalhoLocal || ler32(pacote, local) != kAssinaturaLocal)
        falharMembro(nomeMembro, "não está onde o índice do pacote diz");
    const std::size_t dados = local + kCabecalhoLocal + ler16(pacote, local + 26) + ler16(pacote, local + 28);
    if (dados > indice.inicio || indice.inicio - dados < comprimido)
        falharMembro(nomeMembro, "não está onde o índice do pacote diz");
    return {.nome = std::move(nomeMembro),
            .metodo = ler16(pacote, entrada + 10),
            .tamanho = ler32(pacote, entrada + 24),
            .dados = pacote.substr(dados, comprimido)};
}

// The state of a raw deflate stream, reset for each zip member and ended with its owner: one
// for the package, not a new one (and its window) for each of its members.
struct Inflacao {
    Inflacao()
    {
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) falhar("Não foi possível verificar o pacote", "sem memória");
    }
    ~Inflacao() { inflateEnd(&z); }
    Inflacao(const Inflacao&) = delete;
    Inflacao& operator=(const Inflacao&) = delete;

    z_stream z{};
};

// Hands the member's bytes to 'seguir' as they inflate, in pieces (some of them empty).
template <class Seguir>
void inflar(Inflacao& inflacao, const Membro& m, Seguir seguir)
{
    z_stream& z = inflacao.z;
    inflateReset(&z);
    z.next_in = reinterpret_cast<const Bytef*>(m.dados.data());
    z.avail_in = static_cast<uInt>(m.dados.size());
    std::array<char, 1 << 16> bloco;
    for (int r = Z_OK; r != Z_STREAM_END;) {
        z.next_out = reinterpret_cast<Bytef*>(bloco.data());
        z.avail_out = static_cast<uInt>(bloco.size());
        r = inflate(&z, Z_NO_FLUSH);
        // Z_BUF_ERROR: the stored bytes ran out before the stream's end.
        if (r != Z_OK && r != Z_STREAM_END)
            falharMembro(m.nome, "não se descomprime",
                         r == Z_BUF_ERROR ? "dados comprimidos cortados" : (z.msg ? z.msg : zError(r)));
        seguir(std::string_view(bloco.data(), bloco.size() - z.avail_out));
    }
}

// A number written in an attribute; -1 when it is none.
long numeroDe(std::string_view texto)
{
    long numero = -1;
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), numero);
    return erro == std::errc() && fim == texto.data() + texto.size() ? numero : -1;
}

bool branco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Follows the tags of one XML document as its bytes come, in pieces: every start tag closed by
// its own end tag, in order, under one root, with only white space outside it. Text is skipped.
// A part that lost bytes in its middle (room freed while it was being written) often still nests
// well, its rows being all alike; what it keeps only by chance is what the tags count: in a sheet
// each cell in the row it names and the rows in increasing order, in the shared-strings table as
// many texts as it says it holds.
class EtiquetasXml {
public:
    explicit EtiquetasXml(const std::string& membro) : membro_(membro) {}

    void Seguir(std::string_view pedaco)
    {
        for (std::size_t i = 0; i < pedaco.size();) {
            if (!dentroDeEtiqueta_) {
                const std::size_t abre = pedaco.find('<', i);
                texto(pedaco.substr(i, abre == std::string_view::npos ? std::string_view::npos : abre - i));
                if (abre == std::string_view::npos) return;
                dentroDeEtiqueta_ = true;
                i = abre + 1;
                continue;
            }
            const std::size_t fecha = pedaco.find('>', i);
            if (fecha == std::string_view::npos) {
                partida_.append(pedaco.substr(i));  // the tag goes on in the next piece
                return;
            }
            if (partida_.empty()) {
                etiqueta(pedaco.substr(i, fecha - i));
            } else {
                partida_.append(pedaco.substr(i, fecha - i));
                etiqueta(partida_);
                partida_.clear();
            }
            dentroDeEtiqueta_ = false;
            i = fecha + 1;
        }
    }

    void Fim() const
    {
        if (!abertas_.empty()) recusar("acaba antes de fechar <" + abertas_.back() + ">");
        if (dentroDeEtiqueta_ || !raizFechada_) recusar("acaba antes do fim do seu elemento raiz");
        if (textosDeclarados_ >= 0 && textos_ != textosDeclarados_)
            recusar("tem " + std::to_string(textos_) + " textos e diz ter " + std::to_string(textosDeclarados_));
    }

private:
    [[noreturn]] void recusar(const std::string& problema) const { falharMembro(membro_, problema); }

    // Byte by byte: find_first_of would search its set of delimiters once for every character.
    static std::string_view nomeDe(std::string_view etiqueta)
    {
        std::size_t n = 0;
        while (n < etiqueta.size() && !branco(etiqueta[n]) && etiqueta[n] != '/') ++n;
        return etiqueta.substr(0, n);
    }

    // The value of the attribute in the start tag; "" when it has none.
    static std::string_view atributo(std::string_view etiqueta, std::string_view nome)
    {
        for (std::size_t i = etiqueta.find(nome); i != std::string_view::npos; i = etiqueta.find(nome, i + 1)) {
            const std::size_t valor = i + nome.size() + 2;
            if (i > 0 && std::isspace(static_cast<unsigned char>(etiqueta[i - 1])) &&
                etiqueta.compare(i + nome.size(), 2, "=\"") == 0)
                return etiqueta.substr(valor, etiqueta.find('"', valor) - valor);
        }
        return {};
    }

    void contar(std::string_view nome, std::string_view etiqueta)
    {
        if (nome == "row") {
            const long linha = numeroDe(atributo(etiqueta, "r"));
            if (linha <= linha_)
                recusar("tem a linha " + std::to_string(linha) + " depois da linha " + std::to_string(linha_));
            linha_ = linha;
        } else if (nome == "c") {
            const std::string_view celula = atributo(etiqueta, "r");
            std::size_t digitos = 0;
            while (digitos < celula.size() && !std::isdigit(static_cast<unsigned char>(celula[digitos]))) ++digitos;
            if (numeroDe(celula.substr(digitos)) != linha_)
                recusar("tem a célula \"" + std::string(celula) + "\" na linha " + std::to_string(linha_));
        } else if (nome == "sst") {
            textosDeclarados_ = numeroDe(atributo(etiqueta, "uniqueCount"));
        } else if (nome == "si") {
            ++textos_;
        }
    }

    void texto(std::string_view texto) const
    {
        if (abertas_.empty() && !std::all_of(texto.begin(), texto.end(), branco))
            recusar("tem texto fora do seu elemento raiz");
    }

    // What lies between '<' and '>'.
    void etiqueta(std::string_view etiqueta)
    {
        if (etiqueta.empty()) recusar("tem uma etiqueta vazia");
        if (etiqueta[0] == '?' || etiqueta[0] == '!') return;  // the declaration, a comment
        if (etiqueta[0] == '/') {
            const std::string_view nome = nomeDe(etiqueta.substr(1));
            if (abertas_.empty()) recusar("fecha </" + std::string(nome) + "> sem o ter aberto");
            if (abertas_.back() != nome)
                recusar("fecha </" + std::string(nome) + "> onde devia fechar </" + abertas_.back() + ">");
            abertas_.pop_back();
            raizFechada_ = abertas_.empty();
            return;
        }
        if (raizFechada_) recusar("tem outro elemento depois do seu elemento raiz");
        const std::string_view nome = nomeDe(etiqueta);
        contar(nome, etiqueta);
        if (etiqueta.back() == '/') {
            raizFechada_ = abertas_.empty();  // a root of its own, or an empty element inside it
            return;
        }
        abertas_.emplace_back(nome);
    }

    const std::string& membro_;
    std::string partida_;  // the start of a tag that the previous piece cut
    bool dentroDeEtiqueta_ = false;
    std::vector<std::string> abertas_;
    bool raizFechada_ = false;
    long linha_ = 0;              // of the sheet's last row
    long textos_ = 0;             // of the shared-strings table
    long textosDeclarados_ = -1;  // none declared
};

bool eXml(const std::string& nome) { return nome.ends_with(".xml") || nome.ends_with(".rels"); }

// Inflates the member once, in pieces, for its size and, for an XML part, its tags.
void verificarMembro(Inflacao& inflacao, const Membro& m)
{
    if (m.metodo != 0 && m.metodo != Z_DEFLATED)
        falharMembro(m.nome, "tem um método de compressão desconhecido (" + std::to_string(m.metodo) + ")");
    std::optional<EtiquetasXml> xml;
    if (eXml(m.nome)) xml.emplace(m.nome);
    std::uint64_t tamanho = 0;
    const auto seguir = [&](std::string_view pedaco) {
        tamanho += pedaco.size();
        if (xml) xml->Seguir(pedaco);
    };
    if (m.metodo == 0)
        seguir(m.dados);
    else
        inflar(inflacao, m, seguir);
    if (tamanho != m.tamanho)
        falharMembro(m.nome, "tem " + std::to_string(tamanho) + " bytes e o índice diz " + std::to_string(m.tamanho));
    if (xml) xml->Fim();
}

}  // namespace

void PacoteXlsx::Verificar(std::string_view pacote)
{
    const Indice indice = indiceDe(pacote);
    std::size_t p = indice.inicio;
    Inflacao inflacao;
    for (std::uint32_t i = 0; i < indice.membros; ++i) {
        const Membro m = membroEm(pacote, indice, p);
        if (provado(m.nome, m.dados)) continue;
        verificarMembro(inflacao, m);
        lembrar(m.nome, m.dados);
    }
    if (p != indice.fim) indiceCortado();
}

bool PacoteXlsx::provado(const std::string& membro, std::string_view guardado) const
{
    const auto variantes = provados_.find(membro);
    if (variantes == provados_.end()) return false;
    return std::find(variantes->second.begin(), variantes->second.end(), guardado) != variantes->second.end();
}

// Small members only, and a few variants of each: what repeats from workbook to workbook is small
// (a theme, styles, relationships), a sheet never repeats.
void PacoteXlsx::lembrar(const std::string& membro, std::string_view guardado)
{
    constexpr std::size_t kMaximoGuardado = 32 << 10, kVariantes = 4;
    if (guardado.size() > kMaximoGuardado) return;
    auto& variantes = provados_[membro];
    if (variantes.size() == kVariantes) variantes.erase(variantes.begin());
    variantes.emplace_back(guardado);
}

}  // namespace quorvelanti
