#include "FicheiroTemporario.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "data/Descritor.h"
#include "data/Erro.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace fs = std::filesystem;

namespace {

constexpr char kMarca[] = ".tmp-";
constexpr std::size_t kSufixo = 6;

// Raised with the errno of the step that failed; a refusal for lack of rights has its own kind,
// so a caller with another way to write (in place) can take it.
[[noreturn]] void falhar(const std::string& descricao, const std::string& caminho)
{
    const int erro = errno;
    const std::string mensagem = descricao + " " + caminho;
    if (erro == EPERM || erro == EACCES)
        throw FicheiroTemporario::SemPermissao(erros::FicheiroNaoGravado, mensagem, std::strerror(erro));
    throw Erro(erros::FicheiroNaoGravado, mensagem, std::strerror(erro));
}

std::string sufixoAleatorio()
{
    static constexpr char letras[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    constexpr std::uint64_t kLetras = sizeof letras - 1;
    std::uint64_t bits = sistema::Aleatorio();  // 36^6 is far below 2^64: six letters, evenly spread
    std::string sufixo;
    for (std::size_t i = 0; i < kSufixo; ++i, bits /= kLetras) sufixo += letras[bits % kLetras];
    return sufixo;
}

// Removes the file when no process holds its lock. The lock is taken on the file opened here,
// so a writer that is alive (and holds it) keeps its file.
bool removerSeAbandonado(const std::string& caminho)
{
    const Descritor fd(sistema::Abrir(caminho, {.seguirLigacao = false}));
    sistema::Atributos atributos;
    return fd.Valido() && sistema::LerAtributos(fd.Fd(), atributos) == 0 && atributos.regular &&
           sistema::BloquearSemEsperar(fd.Fd()) == 0 && sistema::Remover(caminho) == 0;
}

}  // namespace

FicheiroTemporario::FicheiroTemporario(const std::string& destino, unsigned modo, Uso uso) : destino_(destino)
{
    const fs::path caminho(destino);
    const fs::path pasta = caminho.has_parent_path() ? caminho.parent_path() : fs::path(".");
    if (uso == Uso::Ligar) {
        descritor_ = Descritor(sistema::CriarSemNome(pasta.string(), modo, caminho_));
        semNome_ = descritor_.Valido();
        if (semNome_) return;  // else a hidden name, which also says why the folder takes no file
    }
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        caminho_ = (pasta / ("." + caminho.filename().string() + kMarca + sufixoAleatorio())).string();
        descritor_ =
            Descritor(sistema::Abrir(caminho_, {.escrever = true, .criar = true, .exclusivo = true, .modo = modo}));
        if (descritor_.Valido()) {
            sistema::BloquearSemEsperar(descritor_.Fd());  // a new file: nobody else can hold it
            return;
        }
        if (errno != EEXIST) falhar("Não foi possível criar", destino);
    }
    errno = EEXIST;
    falhar("Não foi possível criar", destino);
}

FicheiroTemporario::~FicheiroTemporario()
{
    // Removed before the descriptor, and so the lock, goes: no other run removes it meanwhile.
    if (descritor_.Valido() && !semNome_) sistema::Remover(caminho_);
}

void FicheiroTemporario::Escrever(const std::string& bytes)
{
    if (const int erro = descritor_.EscreverTudo(bytes)) {
        errno = erro;
        falhar("Não foi possível gravar", destino_);
    }
}

std::string FicheiroTemporario::Ler() const
{
    std::string bytes;
    if ((errno = descritor_.LerTudo(bytes))) falhar("Não foi possível ler", caminho_);
    return bytes;
}

void FicheiroTemporario::Dono(unsigned dono, unsigned grupo)
{
    sistema::Atributos atributos;
    if ((errno = sistema::LerAtributos(descritor_.Fd(), atributos))) falhar("Não foi possível gravar", destino_);
    // Only root may give a file away: the owner it has already must not need that right.
    if ((atributos.dono != dono || atributos.grupo != grupo) &&
        (errno = sistema::MudarDono(descritor_.Fd(), dono, grupo)))
        falhar("Não foi possível gravar", destino_);
}

void FicheiroTemporario::Modo(unsigned modo)
{
    if ((errno = sistema::MudarModo(descritor_.Fd(), modo))) falhar("Não foi possível gravar", destino_);
}

void FicheiroTemporario::Substituir()
{
    sincronizar();
    if ((errno = sistema::Renomear(caminho_, destino_))) falhar("Não foi possível gravar", destino_);
    descritor_.Fechar();  // and so gives up the lock
}

bool FicheiroTemporario::Ligar(const std::string& nome)
{
    sincronizar();
    if ((errno = semNome_ ? sistema::NomearFicheiro(caminho_, nome) : sistema::DarNomeNovo(caminho_, nome))) {
        if (errno == EEXIST) return false;
        falhar("Não foi possível gravar", nome);
    }
    descritor_.Fechar();
    return true;
}

// Flushing is the file's, not the descriptor's: bytes a library wrote through a handle of its
// own (opening the file by name) go to disk through ours too.
void FicheiroTemporario::sincronizar()
{
    if (sincronizado_) return;
    if ((errno = sistema::Sincronizar(descritor_.Fd()))) falhar("Não foi possível gravar", destino_);
    sincronizado_ = true;
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
