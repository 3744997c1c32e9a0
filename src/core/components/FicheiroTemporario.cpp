#include "FicheiroTemporario.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "data/Erro.h"

namespace quorvelanti {

namespace fs = std::filesystem;

namespace {

constexpr char kMarca[] = ".tmp-";
constexpr std::size_t kSufixo = 6;

Erro falha(const std::string& descricao, const std::string& caminho)
{
    return Erro(erros::FicheiroNaoGravado, descricao + " " + caminho, std::strerror(errno));
}

std::string sufixoAleatorio()
{
    static constexpr char letras[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device fonte;
    std::uniform_int_distribution<std::size_t> escolha(0, sizeof letras - 2);
    std::string sufixo;
    for (std::size_t i = 0; i < kSufixo; ++i) sufixo += letras[escolha(fonte)];
    return sufixo;
}

// Flushed through a descriptor of its own: the bytes may have been written by a library that
// opened the file by name and closed it again.
bool sincronizar(const std::string& caminho)
{
    const int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0;
    const int erro = errno;
    ::close(fd);
    errno = erro;
    return ok;
}

// Removes the file when no process holds its lock. The lock is taken on the file opened here,
// so a writer that is alive (and holds it) keeps its file.
bool removerSeAbandonado(const std::string& caminho)
{
    const int fd = ::open(caminho.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat atributos {};
    const bool abandonado =
        fstat(fd, &atributos) == 0 && S_ISREG(atributos.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0;
    const bool removido = abandonado && unlink(caminho.c_str()) == 0;
    ::close(fd);
    return removido;
}

}  // namespace

FicheiroTemporario::FicheiroTemporario(const std::string& destino) : destino_(destino)
{
    const fs::path caminho(destino);
    const fs::path pasta = caminho.has_parent_path() ? caminho.parent_path() : fs::path(".");
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        caminho_ = (pasta / ("." + caminho.filename().string() + kMarca + sufixoAleatorio())).string();
        // 0666 so the finished file gets the same permissions as any file the user creates.
        descritor_ = ::open(caminho_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (descritor_ >= 0) {
            flock(descritor_, LOCK_EX | LOCK_NB);  // a new file: nobody else can hold it
            return;
        }
        if (errno != EEXIST) throw falha("Não foi possível criar", destino);
    }
    errno = EEXIST;
    throw falha("Não foi possível criar", destino);
}

FicheiroTemporario::~FicheiroTemporario()
{
    if (descritor_ < 0) return;
    ::unlink(caminho_.c_str());  // before the lock goes, so no other run removes it meanwhile
    ::close(descritor_);
}

void FicheiroTemporario::Substituir()
{
    if (!sincronizar(caminho_)) throw falha("Não foi possível gravar", destino_);
    if (std::rename(caminho_.c_str(), destino_.c_str()) != 0) throw falha("Não foi possível gravar", destino_);
    ::close(descritor_);
    descritor_ = -1;
}

bool FicheiroTemporario::NomeTemporario(const std::string& nome)
{
    const std::size_t marca = sizeof kMarca - 1;
    if (nome.size() < 2 + marca + kSufixo || nome[0] != '.') return false;
    const std::size_t inicio = nome.size() - kSufixo;
    if (nome.compare(inicio - marca, marca, kMarca) != 0) return false;
    for (std::size_t i = inicio; i < nome.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(nome[i]))) return false;
    return true;
}

int FicheiroTemporario::RemoverAbandonados(const std::string& pasta)
{
    int removidos = 0;
    std::error_code erro;
    for (fs::directory_iterator i(pasta, erro), fim; !erro && i != fim; i.increment(erro)) {
        const std::string nome = i->path().filename().string();
        if (NomeTemporario(nome) && removerSeAbandonado(i->path().string())) ++removidos;
    }
    return removidos;
}

}  // namespace quorvelanti
