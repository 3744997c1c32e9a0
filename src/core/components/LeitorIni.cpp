#include "LeitorIni.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

// The file as it is on disk: its lines with their own line ends, and how to write text back.
struct FicheiroIni {
    struct Linha {
        std::string bytes;                   // without the line end
        std::string fim;                     // "\r\n", "\n", "\r" or "" (last line without one)
        std::optional<std::string> seccao;   // the section's name when the line is its header
    };
    std::string bom;  // a leading UTF-8 byte-order mark: no part of the first line, kept on writing
    std::vector<Linha> linhas;
    bool utf8 = false;
    std::string fimPredefinido = "\r\n";

    std::string paraTexto(const std::string& bytes) const { return utf8 ? bytes : texto::DeWindows1252(bytes); }
    std::string paraBytes(const std::string& s) const { return utf8 ? s : texto::ParaWindows1252(s); }
};

std::optional<std::string> lerFicheiro(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f) {
        if (errno == ENOENT) return std::nullopt;
        throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o ficheiro " + caminho, std::strerror(errno));
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
    static const std::string kBom = "\xEF\xBB\xBF";
    FicheiroIni f;
    if (conteudo.compare(0, kBom.size(), kBom) == 0) f.bom = kBom;
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
    bool dentro = false;
    for (std::size_t i = 0; i < f.linhas.size(); ++i) {
        if (const auto& nome = f.linhas[i].seccao) {
            dentro = texto::IguaisSemCaixa(*nome, nomeSeccao);
            continue;
        }
        if (dentro && visitar(i)) return;
    }
}

std::size_t indiceCabecalho(const FicheiroIni& f, const std::string& seccao)
{
    for (std::size_t i = 0; i < f.linhas.size(); ++i)
        if (const auto& nome = f.linhas[i].seccao; nome && texto::IguaisSemCaixa(*nome, seccao))
            return i;
    return f.linhas.size();
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

// Writes the bytes next to the file and renames them over it, keeping its permissions.
void substituirFicheiro(const std::string& caminho, const std::string& bytes)
{
    struct stat atributos {};
    mode_t modo = stat(caminho.c_str(), &atributos) == 0 ? (atributos.st_mode & 07777) : 0644;
    std::string temporario = caminho + ".tmp-XXXXXX";
    int fd = mkstemp(temporario.data());
    if (fd < 0)
        throw Erro(erros::FicheiroNaoGravado, "Não foi possível gravar o ficheiro " + caminho, std::strerror(errno));
    bool ok = fchmod(fd, modo) == 0;
    for (std::size_t escrito = 0; ok && escrito < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + escrito, bytes.size() - escrito);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) escrito += static_cast<std::size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    int erroEscrita = errno;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(temporario.c_str(), caminho.c_str()) == 0) return;
    if (!ok) errno = erroEscrita;
    std::string razao = std::strerror(errno);
    unlink(temporario.c_str());
    throw Erro(erros::FicheiroNaoGravado, "Não foi possível gravar o ficheiro " + caminho, razao);
}

}  // namespace

struct LeitorIni::Lido {
    std::optional<FicheiroIni> ficheiro;  // empty when the file does not exist
};

void LeitorIni::DefinirFicheiro(const std::string& caminho)
{
    caminho_ = caminho;
    lido_.reset();
}

const LeitorIni::Lido& LeitorIni::lido() const
{
    if (!lido_) {
        auto novo = std::make_shared<Lido>();
        if (auto bytes = lerFicheiro(caminho_)) novo->ficheiro = analisar(*bytes);
        lido_ = std::move(novo);
    }
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

bool LeitorIni::EscreverValor(const std::string& seccao, const std::string& chave, const std::string& valor)
{
    if (valor.find_first_of("\r\n") != std::string::npos)
        throw Erro(erros::ParametroInvalido, "Um valor do ficheiro de parâmetros não pode ter mudanças de linha", chave);
    lido_.reset();  // a write starts from the file as it is on disk, and later reads see it
    auto bytes = lerFicheiro(caminho_);
    FicheiroIni f = analisar(bytes.value_or(""));
    if (!bytes) f.utf8 = false;  // new files are Windows-1252, like their Windows peers'

    bool substituido = false;
    percorrerSeccao(f, seccao, [&](std::size_t i) {
        auto posicao = valorDaChave(f, f.linhas[i], chave);
        if (!posicao) return false;
        f.linhas[i].bytes.replace(posicao->inicio, posicao->fim - posicao->inicio, f.paraBytes(valor));
        substituido = true;
        return true;
    });
    if (!substituido) {
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
    }
    substituirFicheiro(caminho_, juntar(f));
    return true;
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
