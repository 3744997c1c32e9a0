#include "LeitorIni.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_map>

#include "FicheiroTemporario.h"
#include "LeituraFicheiro.h"
#include "data/Descritor.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

// The file as it is on disk: its lines with their own line ends, and how to write text back.
struct FicheiroIni {
    struct Linha {
        std::string bytes;                  // without the line end
        std::string fim;                    // "\r\n", "\n", "\r" or "" (last line without one)
        std::optional<std::string> seccao;  // the section's name when the line is its header
    };
    std::string bom;  // a leading UTF-8 byte-order mark: no part of the first line, kept on writing
    std::vector<Linha> linhas;
    bool utf8 = false;
    std::string fimPredefinido = "\r\n";
    // The header lines of each section name (in lower case), in file order: a large file has
    // thousands of sections, and every key read would otherwise compare them all.
    std::unordered_map<std::string, std::vector<std::size_t>> cabecalhos;

    void indexar()
    {
        cabecalhos.clear();
        for (std::size_t i = 0; i < linhas.size(); ++i)
            if (linhas[i].seccao) cabecalhos[texto::MinusculasAscii(*linhas[i].seccao)].push_back(i);
    }
    const std::vector<std::size_t>& cabecalhosDe(const std::string& seccao) const
    {
        static const std::vector<std::size_t> nenhum;
        auto encontrados = cabecalhos.find(texto::MinusculasAscii(seccao));
        return encontrados == cabecalhos.end() ? nenhum : encontrados->second;
    }

    std::string paraTexto(const std::string& bytes) const { return utf8 ? bytes : texto::DeWindows1252(bytes); }
    std::string paraBytes(const std::string& s) const { return utf8 ? s : texto::ParaWindows1252(s); }
    // The first character of the text that the file's code page cannot hold ("" when none).
    std::string foraDoCodigo(const std::string& s) const { return utf8 ? "" : texto::ForaDeWindows1252(s); }
};

std::optional<std::string> lerFicheiro(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f) {
        if (errno == ENOENT) return std::nullopt;
        throw ErroLeitura("ficheiro", caminho, errno);
    }
    std::ostringstream s;
    s << f.rdbuf();
    if (f.bad()) throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o ficheiro " + caminho);
    return s.str();
}

bool soAscii(const std::string& bytes)
{
    for (unsigned char c : bytes)
        if (c >= 0x80) return false;
    return true;
}

bool branco(char c) { return c == ' ' || c == '\t'; }

std::string aparar(const std::string& s)
{
    std::size_t i = 0, j = s.size();
    while (i < j && branco(s[i])) ++i;
    while (j > i && branco(s[j - 1])) --j;
    return s.substr(i, j - i);
}

bool comentario(const std::string& linha)
{
    std::string t = aparar(linha);
    return !t.empty() && (t[0] == ';' || t[0] == '#');
}

// The section name when the line is a section header.
std::optional<std::string> cabecalho(const std::string& linha)
{
    std::string t = aparar(linha);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    std::size_t fecho = t.find(']');
    if (fecho == std::string::npos) return std::nullopt;
    return aparar(t.substr(1, fecho - 1));
}

FicheiroIni analisar(const std::string& conteudo)
{
    FicheiroIni f;
    if (conteudo.starts_with(texto::kMarcaOrdemUtf8)) f.bom = texto::kMarcaOrdemUtf8;
    const std::string bytes = conteudo.substr(f.bom.size());
    // Plain ASCII files are taken as Windows-1252, the code page their Windows peers write,
    // unless a byte-order mark says UTF-8.
    f.utf8 = (!f.bom.empty() || !soAscii(bytes)) && texto::Utf8Valido(bytes);
    std::size_t inicio = 0;
    while (inicio < bytes.size()) {
        std::size_t fim = bytes.find_first_of("\r\n", inicio);
        if (fim == std::string::npos) {
            f.linhas.push_back({bytes.substr(inicio), "", std::nullopt});
            break;
        }
        std::size_t tamanhoFim = (bytes[fim] == '\r' && fim + 1 < bytes.size() && bytes[fim + 1] == '\n') ? 2 : 1;
        f.linhas.push_back({bytes.substr(inicio, fim - inicio), bytes.substr(fim, tamanhoFim), std::nullopt});
        inicio = fim + tamanhoFim;
    }
    for (auto& l : f.linhas) l.seccao = cabecalho(f.paraTexto(l.bytes));
    f.indexar();
    for (const auto& l : f.linhas)
        if (!l.fim.empty()) {
            f.fimPredefinido = l.fim;
            break;
        }
    return f;
}

// Where a key's value lies in a key line: [inicio, fim) of the bytes.
struct PosicaoValor {
    std::size_t inicio, fim;
};

// Works on the line's own bytes: '=', blanks and brackets are ASCII in both encodings.
std::optional<PosicaoValor> valorDaChave(const FicheiroIni& f, const FicheiroIni::Linha& l, const std::string& chave)
{
    const std::string& linha = l.bytes;
    if (l.seccao || comentario(linha)) return std::nullopt;
    std::size_t igual = linha.find('=');
    if (igual == std::string::npos || !texto::IguaisSemCaixa(f.paraTexto(aparar(linha.substr(0, igual))), chave))
        return std::nullopt;
    std::size_t i = igual + 1, j = linha.size();
    while (i < j && branco(linha[i])) ++i;
    while (j > i && branco(linha[j - 1])) --j;
    return PosicaoValor{i, j};
}

// Visits the lines of every section of that name (case ignored): f(index) returns true to stop.
template <typename F>
void percorrerSeccao(const FicheiroIni& f, const std::string& nomeSeccao, F visitar)
{
    for (std::size_t cabecalho : f.cabecalhosDe(nomeSeccao))
        for (std::size_t i = cabecalho + 1; i < f.linhas.size() && !f.linhas[i].seccao; ++i)
            if (visitar(i)) return;
}

std::size_t indiceCabecalho(const FicheiroIni& f, const std::string& seccao)
{
    const auto& encontrados = f.cabecalhosDe(seccao);
    return encontrados.empty() ? f.linhas.size() : encontrados.front();
}

// Index after the last line that belongs to the section starting at the header: the comment
// block right above the next header, and the blank lines before it, belong to that next section.
std::size_t fimDaSeccao(const FicheiroIni& f, std::size_t cabecalhoSeccao)
{
    std::size_t proximo = cabecalhoSeccao + 1;
    while (proximo < f.linhas.size() && !f.linhas[proximo].seccao) ++proximo;
    std::size_t fim = proximo;
    if (proximo < f.linhas.size())
        while (fim > cabecalhoSeccao + 1 && comentario(f.linhas[fim - 1].bytes)) --fim;
    while (fim > cabecalhoSeccao + 1 && aparar(f.linhas[fim - 1].bytes).empty()) --fim;
    return fim;
}

void garantirFimDeLinha(FicheiroIni& f, std::size_t antesDe)
{
    if (antesDe > 0 && f.linhas[antesDe - 1].fim.empty()) f.linhas[antesDe - 1].fim = f.fimPredefinido;
}

std::string juntar(const FicheiroIni& f)
{
    std::string bytes = f.bom;
    for (const auto& l : f.linhas) bytes += l.bytes + l.fim;
    return bytes;
}

// Replaces the key's value in place, or adds the key at the end of its section (before the
// comments that open the next one), or adds the section at the end of the file.
void escreverChave(FicheiroIni& f, const std::string& seccao, const std::string& chave, const std::string& valor)
{
    bool substituido = false;
    percorrerSeccao(f, seccao, [&](std::size_t i) {
        auto posicao = valorDaChave(f, f.linhas[i], chave);
        if (!posicao) return false;
        f.linhas[i].bytes.replace(posicao->inicio, posicao->fim - posicao->inicio, f.paraBytes(valor));
        substituido = true;
        return true;
    });
    if (substituido) return;
    FicheiroIni::Linha nova{f.paraBytes(chave + "=" + valor), f.fimPredefinido, std::nullopt};
    std::size_t cab = indiceCabecalho(f, seccao);
    if (cab == f.linhas.size()) {
        garantirFimDeLinha(f, f.linhas.size());
        f.linhas.push_back({f.paraBytes("[" + seccao + "]"), f.fimPredefinido, seccao});
        f.linhas.push_back(nova);
    } else {
        std::size_t posicao = fimDaSeccao(f, cab);
        garantirFimDeLinha(f, posicao);
        f.linhas.insert(f.linhas.begin() + static_cast<long>(posicao), nova);
    }
    f.indexar();
}

Erro falhaGravar(const std::string& caminho, const std::string& detalhe)
{
    return Erro(erros::FicheiroNaoGravado, "Não foi possível gravar o ficheiro " + caminho, detalhe);
}

Erro falhaGravar(const std::string& caminho, int erro) { return falhaGravar(caminho, std::strerror(erro)); }

// The file a path names once symbolic links are followed, even when that file does not exist
// yet: a save writes there, so the link stays a link.
std::string destinoDasLigacoes(const std::string& caminho)
{
    namespace fs = std::filesystem;
    fs::path p(caminho);
    for (int saltos = 0; saltos < 40; ++saltos) {
        std::error_code erro;
        if (!fs::is_symlink(fs::symlink_status(p, erro))) return p.string();
        const fs::path alvo = fs::read_symlink(p, erro);
        if (erro) throw falhaGravar(caminho, erro.value());
        p = alvo.is_absolute() ? alvo : p.parent_path() / alvo;
    }
    throw falhaGravar(caminho, ELOOP);
}

// Writes the bytes to a new file beside the destination and renames it over, with the old
// file's owner, group and mode (0600 for a new file). Raises FicheiroTemporario's Erro; the
// destination is then untouched and no new file is left.
void substituir(const std::string& destino, const std::string& bytes, const sistema::Atributos* antigo)
{
    FicheiroTemporario temporario(destino, 0600);  // the passwords are nobody else's meanwhile
    if (antigo) temporario.Dono(antigo->dono, antigo->grupo);
    temporario.Modo(antigo ? antigo->modo : 0600);
    temporario.Escrever(bytes);
    temporario.Substituir();
}

// Rewrites an existing file's bytes where they are, keeping its inode and so everything about
// it. Room is made before the first byte changes, and a failed write puts the old bytes back.
void escreverNoLugar(const std::string& caminho, const std::string& destino, const std::string& bytes,
                     const std::string& antigos)
{
    Descritor fd(sistema::Abrir(destino, {.escrever = true}));
    if (!fd.Valido()) throw falhaGravar(caminho, errno);
    const auto tamanho = static_cast<long long>(bytes.size());
    if (bytes.size() > antigos.size())
        if (const int erro = sistema::Reservar(fd.Fd(), tamanho)) throw falhaGravar(caminho, erro);
    int erro = fd.EscreverTudo(bytes);
    if (!erro) erro = sistema::Truncar(fd.Fd(), tamanho);
    if (!erro) erro = sistema::Sincronizar(fd.Fd());
    if (!erro) erro = fd.Fechar();
    if (!erro) return;
    if (sistema::IrParaInicio(fd.Fd()) == 0 && fd.EscreverTudo(antigos) == 0 &&
        sistema::Truncar(fd.Fd(), static_cast<long long>(antigos.size())) == 0)
        sistema::Sincronizar(fd.Fd());
    throw falhaGravar(caminho, erro);
}

// Saves the file's new bytes so that it stays the file it was (see the header).
void gravar(const std::string& caminho, const std::string& bytes, const std::string& antigos)
{
    const std::string destino = destinoDasLigacoes(caminho);
    sistema::Atributos antigo;
    const int erroAntigo = sistema::LerAtributos(destino, antigo);
    const bool existe = erroAntigo == 0;
    if (!existe && erroAntigo != ENOENT) throw falhaGravar(caminho, erroAntigo);
    if (!existe || antigo.ligacoes == 1) {
        try {
            substituir(destino, bytes, existe ? &antigo : nullptr);
            return;
        } catch (const FicheiroTemporario::SemPermissao& e) {
            // Owner and group that a rename would lose, or a folder that takes no new file:
            // only writing in place keeps the file.
            if (!existe) throw falhaGravar(caminho, e.Detalhe());
        } catch (const Erro& e) {
            throw falhaGravar(caminho, e.Detalhe());  // any other failure is reported as it is
        }
    }
    // Also the way for a file with other hard links, which a rename would part from it.
    escreverNoLugar(caminho, destino, bytes, antigos);
}

// What tells one state of a file from another without reading it.
struct Assinatura {
    std::uint64_t dispositivo;
    std::uint64_t identificador;
    long long tamanho;
    long long modificadoNs;

    explicit Assinatura(const sistema::Atributos& a)
        : dispositivo(a.dispositivo), identificador(a.identificador), tamanho(a.tamanho), modificadoNs(a.modificadoNs)
    {
    }
    bool operator==(const Assinatura&) const = default;
};

}  // namespace

struct LeitorIni::Lido {
    std::optional<FicheiroIni> ficheiro;  // empty when the file does not exist
};

struct LeitorIni::Cache::Entradas {
    struct Entrada {
        Assinatura assinatura;
        std::shared_ptr<const Lido> lido;
    };
    std::map<std::string, Entrada> porCaminho;
};

LeitorIni::Cache::Cache() : entradas_(std::make_unique<Entradas>()) {}
LeitorIni::Cache::~Cache() = default;

void LeitorIni::DefinirFicheiro(const std::string& caminho)
{
    caminho_ = caminho;
    lido_.reset();
}

std::shared_ptr<const LeitorIni::Lido> LeitorIni::ler(const std::string& caminho)
{
    auto novo = std::make_shared<Lido>();
    if (auto bytes = lerFicheiro(caminho)) novo->ficheiro = analisar(*bytes);
    return novo;
}

const LeitorIni::Lido& LeitorIni::lido() const
{
    if (lido_) return *lido_;
    sistema::Atributos atributos;
    // A missing or unreadable file is not kept: ler says what it is.
    if (!cache_ || sistema::LerAtributos(caminho_, atributos) != 0) {
        lido_ = ler(caminho_);
        return *lido_;
    }
    // Taken before reading, so a change made during the read shows at the next look.
    const Assinatura assinatura(atributos);
    auto& entradas = cache_->entradas_->porCaminho;
    auto entrada = entradas.find(caminho_);
    if (entrada == entradas.end() || !(entrada->second.assinatura == assinatura))
        entrada = entradas.insert_or_assign(caminho_, Cache::Entradas::Entrada{assinatura, ler(caminho_)}).first;
    lido_ = entrada->second.lido;
    return *lido_;
}

std::string LeitorIni::LerValor(const std::string& seccao, const std::string& chave) const
{
    const auto& ficheiro = lido().ficheiro;
    if (!ficheiro) return {};
    const FicheiroIni& f = *ficheiro;
    std::string valor;
    percorrerSeccao(f, seccao, [&](std::size_t i) {
        auto posicao = valorDaChave(f, f.linhas[i], chave);
        if (!posicao) return false;
        valor = f.paraTexto(f.linhas[i].bytes.substr(posicao->inicio, posicao->fim - posicao->inicio));
        return true;
    });
    return valor;
}

bool LeitorIni::TemSeccao(const std::string& seccao) const
{
    const auto& ficheiro = lido().ficheiro;
    return ficheiro && indiceCabecalho(*ficheiro, seccao) < ficheiro->linhas.size();
}

std::vector<LeitorIni::Chave> LeitorIni::Chaves() const
{
    std::vector<Chave> chaves;
    const auto& ficheiro = lido().ficheiro;
    if (!ficheiro) return chaves;
    std::string seccao;
    for (const auto& l : ficheiro->linhas) {
        if (l.seccao) seccao = *l.seccao;
        const std::size_t igual = l.bytes.find('=');
        if (l.seccao || comentario(l.bytes) || igual == std::string::npos) continue;
        chaves.push_back({seccao, ficheiro->paraTexto(aparar(l.bytes.substr(0, igual)))});
    }
    return chaves;
}

std::string LeitorIni::ForaDoCodigo(const std::string& valor) const
{
    const auto& ficheiro = lido().ficheiro;
    return ficheiro ? ficheiro->foraDoCodigo(valor) : texto::ForaDeWindows1252(valor);
}

void LeitorIni::EscreverValor(const std::string& seccao, const std::string& chave, const std::string& valor)
{
    EscreverValores({{seccao, chave, valor}});
}

void LeitorIni::EscreverValores(const std::vector<Alteracao>& alteracoes)
{
    lido_.reset();  // a write starts from the file as it is on disk, and later reads see it
    const auto bytes = lerFicheiro(caminho_);
    FicheiroIni f = analisar(bytes.value_or(""));
    if (!bytes) f.utf8 = false;  // new files are Windows-1252, like their Windows peers'
    for (const auto& a : alteracoes) {
        if (a.valor.find_first_of("\r\n") != std::string::npos)
            throw Erro(erros::ParametroInvalido, "Um valor do ficheiro de parâmetros não pode ter mudanças de linha",
                       a.chave);
        // Other programs read these files in their own code page: a "?" in place of the
        // character would be a silent change of the value.
        if (const std::string fora = f.foraDoCodigo(a.valor); !fora.empty())
            throw Erro(erros::ParametroInvalido,
                       "O valor de " + a.chave + " tem o carácter \"" + fora +
                           "\", que o ficheiro de parâmetros (Windows-1252) não pode guardar",
                       caminho_);
    }
    for (const auto& a : alteracoes) escreverChave(f, a.seccao, a.chave, a.valor);
    gravar(caminho_, juntar(f), bytes.value_or(""));
}

std::vector<std::string> LeitorIni::LerLinhas(const std::string& caminho)
{
    auto bytes = lerFicheiro(caminho);
    if (!bytes) throw Erro(erros::FicheiroInexistente, "O ficheiro de parâmetros não existe", caminho);
    const FicheiroIni f = analisar(*bytes);
    std::vector<std::string> linhas;
    linhas.reserve(f.linhas.size());
    for (const auto& l : f.linhas) linhas.push_back(f.paraTexto(l.bytes));
    return linhas;
}

}  // namespace quorvelanti
