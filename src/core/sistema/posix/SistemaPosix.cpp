#include "sistema/Sistema.h"

#include <fcntl.h>
#include <grp.h>
#include <langinfo.h>
#include <netdb.h>
#include <pthread.h>
#include <pwd.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#endif

#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace quorvelanti::sistema {

static_assert(kSinalDesligar == SIGHUP && kSinalInterromper == SIGINT && kSinalTerminar == SIGTERM);

namespace {

int codigo(int rc) { return rc == 0 ? 0 : errno; }

// A word as the shell reads it back: as it is when it holds only safe characters, else quoted.
std::string citar(const std::string& palavra)
{
    const bool segura = !palavra.empty() && palavra.find_first_not_of(
                                                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                "0123456789_/.,:=@%+-") == std::string::npos;
    if (segura) return palavra;
    std::string citada = "'";
    for (char c : palavra) citada += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return citada + "'";
}

void copiar(const struct stat& a, Atributos& atributos)
{
    atributos.regular = S_ISREG(a.st_mode);
    atributos.pasta = S_ISDIR(a.st_mode);
    atributos.ligacao = S_ISLNK(a.st_mode);
    atributos.tamanho = a.st_size;
    atributos.modificadoNs = static_cast<long long>(a.st_mtim.tv_sec) * 1000000000LL + a.st_mtim.tv_nsec;
    atributos.dispositivo = a.st_dev;
    atributos.identificador = a.st_ino;
    atributos.ligacoes = static_cast<unsigned>(a.st_nlink);
    atributos.modo = a.st_mode & 07777;
    atributos.dono = a.st_uid;
    atributos.grupo = a.st_gid;
}

}  // namespace

int Abrir(const std::string& caminho, const PedidoAbertura& pedido)
{
    int flags = O_CLOEXEC | (pedido.escrever ? O_RDWR : O_RDONLY);
    if (pedido.acrescentar) flags |= O_APPEND;
    if (pedido.criar) flags |= O_CREAT;
    if (pedido.exclusivo) flags |= O_EXCL;
    // A lock file or a left-over temporary file may be a FIFO: never wait for a writer on open.
    if (!pedido.seguirLigacao) flags |= O_NOFOLLOW | O_NONBLOCK;
    return ::open(caminho.c_str(), flags, pedido.modo);
}

int Fechar(int fd) noexcept { return fd < 0 ? 0 : codigo(::close(fd)); }

int EscreverTudo(int fd, const std::string& bytes) noexcept
{
    for (std::size_t feito = 0; feito < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + feito, bytes.size() - feito);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        feito += static_cast<std::size_t>(n);
    }
    return 0;
}

long long LerEm(int fd, char* bytes, std::size_t n, long long posicao) noexcept
{
    return ::pread(fd, bytes, n, static_cast<off_t>(posicao));
}

int IrParaInicio(int fd) noexcept { return ::lseek(fd, 0, SEEK_SET) == 0 ? 0 : errno; }

int Truncar(int fd, long long tamanho) noexcept { return codigo(::ftruncate(fd, static_cast<off_t>(tamanho))); }

int Reservar(int fd, long long tamanho) noexcept
{
    const int erro = ::posix_fallocate(fd, 0, static_cast<off_t>(tamanho));
    return erro == ENOSPC || erro == EFBIG || erro == EDQUOT ? erro : 0;
}

int Sincronizar(int fd) noexcept { return codigo(::fsync(fd)); }

int SincronizarPasta(const std::string& pasta) noexcept
{
    const int fd = ::open(pasta.empty() ? "." : pasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int erro = Sincronizar(fd);
    ::close(fd);
    return erro;
}

#ifdef __linux__
namespace {

std::string caminhoProc(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Whether /proc/self/fd/N reaches the process's descriptor N; not in a bare chroot, where the
// path would name nothing, or something else. A fact of the process's file system, asked once.
bool procAlcancaDescritores()
{
    static const bool alcanca = [] {
        const int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        Atributos descritor, peloCaminho;
        const bool igual =
            fd >= 0 && LerAtributos(fd, descritor) == 0 && LerAtributos(caminhoProc(fd), peloCaminho) == 0 &&
            descritor.dispositivo == peloCaminho.dispositivo && descritor.identificador == peloCaminho.identificador;
        Fechar(fd);
        return igual;
    }();
    return alcanca;
}

// The descriptor of a file with no name that 'criar' makes, and in 'caminho' its path under
// /proc; -1 (ENOENT) without making it when /proc does not reach descriptors.
template <class Criar>
int comCaminhoProc(Criar criar, std::string& caminho)
{
    if (!procAlcancaDescritores()) {
        errno = ENOENT;
        return -1;
    }
    const int fd = criar();
    if (fd >= 0) caminho = caminhoProc(fd);
    return fd;
}

}  // namespace
#endif

int CriarFicheiroEmMemoria([[maybe_unused]] std::string& caminho)
{
#ifdef __linux__
    return comCaminhoProc([] { return ::memfd_create("quorvelanti", MFD_CLOEXEC); }, caminho);
#else
    errno = ENOSYS;
    return -1;
#endif
}

int CriarSemNome([[maybe_unused]] const std::string& pasta, [[maybe_unused]] unsigned modo,
                 [[maybe_unused]] std::string& caminho)
{
#ifdef __linux__
    return comCaminhoProc([&] { return ::open(pasta.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, modo); }, caminho);
#else
    errno = ENOSYS;
    return -1;
#endif
}

int NomearFicheiro(const std::string& caminho, const std::string& nome) noexcept
{
    return codigo(::linkat(AT_FDCWD, caminho.c_str(), AT_FDCWD, nome.c_str(), AT_SYMLINK_FOLLOW));
}

int BloquearSemEsperar(int fd) noexcept { return codigo(::flock(fd, LOCK_EX | LOCK_NB)); }

int LerAtributos(int fd, Atributos& atributos) noexcept
{
    struct stat a {};
    if (::fstat(fd, &a) != 0) return errno;
    copiar(a, atributos);
    return 0;
}

int LerAtributos(const std::string& caminho, Atributos& atributos, bool seguirLigacao) noexcept
{
    struct stat a {};
    if ((seguirLigacao ? ::stat(caminho.c_str(), &a) : ::lstat(caminho.c_str(), &a)) != 0) return errno;
    copiar(a, atributos);
    return 0;
}

int MudarDono(int fd, unsigned dono, unsigned grupo) noexcept { return codigo(::fchown(fd, dono, grupo)); }

int MudarModo(int fd, unsigned modo) noexcept { return codigo(::fchmod(fd, modo & 07777)); }

bool LegivelPorOutros(const std::string& caminho) noexcept
{
    struct stat a {};
    return ::stat(caminho.c_str(), &a) == 0 && (a.st_mode & S_IROTH) != 0;
}

bool CaminhoDeOutroSistema(const std::string& caminho) noexcept
{
    const bool letraDeDisco =
        caminho.size() >= 2 && std::isalpha(static_cast<unsigned char>(caminho[0])) && caminho[1] == ':';
    return letraDeDisco || caminho.find('\\') != std::string::npos;
}

int Renomear(const std::string& origem, const std::string& destino) noexcept
{
    return codigo(::rename(origem.c_str(), destino.c_str()));
}

// A hard link and then the old name's removal: link never replaces, where rename would.
int DarNomeNovo(const std::string& origem, const std::string& destino) noexcept
{
    if (::link(origem.c_str(), destino.c_str()) != 0) return errno;
    ::unlink(origem.c_str());
    return 0;
}

int Remover(const std::string& caminho) noexcept { return codigo(::unlink(caminho.c_str())); }

bool PastaGravavel(const std::string& pasta) noexcept
{
    struct stat a {};
    return ::stat(pasta.c_str(), &a) == 0 && S_ISDIR(a.st_mode) && ::access(pasta.c_str(), W_OK | X_OK) == 0;
}

namespace {

std::string nomeUtilizador(uid_t uid)
{
    const passwd* p = ::getpwuid(uid);
    return p ? p->pw_name : std::to_string(uid);
}

std::string nomeGrupo(gid_t gid)
{
    const group* g = ::getgrgid(gid);
    return g ? g->gr_name : std::to_string(gid);
}

}  // namespace

std::string NomeDono(unsigned dono, unsigned grupo) { return nomeUtilizador(dono) + ":" + nomeGrupo(grupo); }

std::string UtilizadorActual() { return NomeDono(::geteuid(), ::getegid()); }

std::string PastaPrograma()
{
    char caminho[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", caminho, sizeof caminho - 1);
    if (n <= 0) return ".";
    const std::string programa(caminho, static_cast<std::size_t>(n));
    const auto barra = programa.rfind('/');
    return barra == 0 ? "/" : programa.substr(0, barra);
}

std::string PastaBasePredefinida() { return "/etc"; }

// /run/lock is shared by every user and every service (a service's private /tmp is not) and
// emptied at boot; /tmp serves where it does not exist.
std::string PastaBloqueios() { return PastaGravavel("/run/lock") ? "/run/lock" : "/tmp"; }

std::string PastaEmMemoria([[maybe_unused]] long long bytesLivres)
{
#ifdef __linux__
    const std::string pasta = "/dev/shm";
    struct statfs sistema {};
    if (::statfs(pasta.c_str(), &sistema) != 0 || sistema.f_type != TMPFS_MAGIC) return "";
    const long long livres = static_cast<long long>(sistema.f_bavail) * static_cast<long long>(sistema.f_bsize);
    return livres >= bytesLivres && PastaGravavel(pasta) ? pasta : "";
#else
    return "";
#endif
}

std::string ControladorOdbcPredefinido() { return "FreeTDS"; }

std::string NomeExecutavel(const std::string& base) { return base; }

unsigned long IdProcesso() noexcept { return static_cast<unsigned long>(::getpid()); }

std::uint64_t Aleatorio()
{
    // getentropy asks the kernel once; std::random_device probes the processor each time it is
    // made, which a virtual machine pays dearly, and a name or token is made for every message.
    std::uint64_t bits = 0;
    if (::getentropy(&bits, sizeof bits) == 0) return bits;
    std::random_device fonte;  // a kernel without getrandom
    return (static_cast<std::uint64_t>(fonte()) << 32) | fonte();
}

std::string NomeMaquina()
{
    char nome[256] = "";
    if (::gethostname(nome, sizeof nome - 1) != 0 || nome[0] == '\0') return "localhost";
    addrinfo pedido{};
    pedido.ai_flags = AI_CANONNAME;
    addrinfo* resposta = nullptr;
    if (::getaddrinfo(nome, nullptr, &pedido, &resposta) != 0) return nome;
    const char* canonico = resposta->ai_canonname;
    std::string fqdn = canonico && std::strchr(canonico, '.') ? canonico : nome;
    ::freeaddrinfo(resposta);
    return fqdn;
}

void CaracteresUtf8() noexcept
{
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

std::string TextoComando(const ComandoEscrito& comando)
{
    std::string texto;
    for (const auto& variavel : comando.ambiente) texto += variavel.nome + "=" + citar(variavel.valor) + " ";
    for (const auto& palavra : comando.palavras) texto += citar(palavra) + " ";
    if (!texto.empty()) texto.pop_back();
    return texto;
}

void TerminarJa(int estado, const std::string& linha) noexcept
{
    (void)!::write(STDERR_FILENO, linha.data(), linha.size());
    ::_exit(estado);
}

std::tm HoraLocal(std::time_t instante)
{
    std::tm local{};
    ::localtime_r(&instante, &local);
    return local;
}

std::optional<long> DesvioUtcMinutos(std::tm& local)
{
    if (std::mktime(&local) == static_cast<std::time_t>(-1)) return std::nullopt;
    return local.tm_gmtoff / 60;
}

// ---- signals ----

namespace {
constexpr int kSinais[] = {SIGTERM, SIGINT, SIGHUP};
constexpr std::size_t kQuantos = sizeof kSinais / sizeof kSinais[0];
}  // namespace

struct AvisoParagem::Anteriores {
    struct sigaction accoes[kQuantos] {};
};

AvisoParagem::AvisoParagem(void (*aoPedido)(int sinal)) : anteriores_(std::make_unique<Anteriores>())
{
    struct sigaction accao {};
    accao.sa_handler = aoPedido;
    sigemptyset(&accao.sa_mask);
    accao.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kQuantos; ++i) sigaction(kSinais[i], &accao, &anteriores_->accoes[i]);
}

AvisoParagem::~AvisoParagem()
{
    for (std::size_t i = 0; i < kQuantos; ++i) sigaction(kSinais[i], &anteriores_->accoes[i], nullptr);
}

// sem_post is one of the few calls a signal handler may make.
struct Despertador::Estado {
    sem_t semaforo{};
};

Despertador::Despertador() : estado_(std::make_unique<Estado>()) { sem_init(&estado_->semaforo, 0, 0); }

Despertador::~Despertador() { sem_destroy(&estado_->semaforo); }

void Despertador::Acordar() noexcept { sem_post(&estado_->semaforo); }

void Despertador::Esperar() noexcept
{
    while (sem_wait(&estado_->semaforo) != 0 && errno == EINTR) {
    }
}

void ComecarFioSemSinais(std::thread& fio, std::function<void()> corpo)
{
    sigset_t sinais, anteriores;
    sigemptyset(&sinais);
    for (int sinal : kSinais) sigaddset(&sinais, sinal);
    pthread_sigmask(SIG_BLOCK, &sinais, &anteriores);  // inherited by the new thread
    fio = std::thread(std::move(corpo));
    pthread_sigmask(SIG_SETMASK, &anteriores, nullptr);
}

void PrepararConsola() noexcept {}

void LargarConsolaPropria() noexcept {}

void IgnorarSinaisDeEscrita() noexcept
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

// ---- network ----

void InterromperSocket(std::uintptr_t socket) noexcept { ::shutdown(static_cast<int>(socket), SHUT_RDWR); }

}  // namespace quorvelanti::sistema
