#include "sistema/Sistema.h"

#include <fcntl.h>
#include <grp.h>
#include <langinfo.h>
#include <netdb.h>
#include <poll.h>
#include <pthread.h>
#include <pwd.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <vector>

namespace quorvelanti::sistema {

static_assert(kSinalDesligar == SIGHUP && kSinalInterromper == SIGINT && kSinalTerminar == SIGTERM);

namespace {

struct Socket {
    int fd;
    explicit Socket(int d) : fd(d) {}
    ~Socket()
    {
        if (fd >= 0) close(fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
};

struct LibertarEnderecos {
    void operator()(addrinfo* a) const { freeaddrinfo(a); }
};
using Enderecos = std::unique_ptr<addrinfo, LibertarEnderecos>;

Enderecos resolver(const std::string& anfitriao, int porta, int tipo, std::string& detalhe)
{
    addrinfo pedido{};  // family 0: IPv4 and IPv6 addresses alike
    pedido.ai_socktype = tipo;
    addrinfo* lista = nullptr;
    const int rc = getaddrinfo(anfitriao.c_str(), std::to_string(porta).c_str(), &pedido, &lista);
    if (rc != 0) detalhe = gai_strerror(rc);
    return Enderecos(rc == 0 ? lista : nullptr);
}

// Milliseconds left before the deadline, for poll; 0 once it has passed.
int restantes(Prazo prazo)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(prazo - std::chrono::steady_clock::now()).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

bool esperar(int fd, short evento, Prazo prazo)
{
    for (;;) {
        pollfd p{fd, evento, 0};
        const int rc = poll(&p, 1, restantes(prazo));
        if (rc > 0) return true;
        if (rc == 0 || errno != EINTR) return false;
    }
}

int codigo(int rc) { return rc == 0 ? 0 : errno; }

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

int Reservar(int fd, long long tamanho) noexcept { return ::posix_fallocate(fd, 0, static_cast<off_t>(tamanho)); }

int Sincronizar(int fd) noexcept { return codigo(::fsync(fd)); }

int SincronizarPasta(const std::string& pasta) noexcept
{
    const int fd = ::open(pasta.empty() ? "." : pasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int erro = Sincronizar(fd);
    ::close(fd);
    return erro;
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

std::string ControladorOdbcPredefinido() { return "FreeTDS"; }

std::string NomeExecutavel(const std::string& base) { return base; }

unsigned long IdProcesso() noexcept { return static_cast<unsigned long>(::getpid()); }

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

void IgnorarSinaisDeEscrita() noexcept
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

// ---- network ----

RespostaUdp PerguntarUdp(const std::string& anfitriao, int porta, const std::string& pedido, Prazo prazo,
                         const std::function<bool(const std::string&)>& aceitar)
{
    RespostaUdp resposta;
    Enderecos enderecos = resolver(anfitriao, porta, SOCK_DGRAM, resposta.detalhe);
    if (!enderecos) {
        resposta.estado = RespostaUdp::Estado::AnfitriaoDesconhecido;
        return resposta;
    }
    std::vector<std::unique_ptr<Socket>> sockets;
    for (const addrinfo* a = enderecos.get(); a; a = a->ai_next) {
        auto s = std::make_unique<Socket>(socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, 0));
        // Connected, so an address without the service answers with a refusal instead of silence.
        if (s->fd >= 0 && connect(s->fd, a->ai_addr, a->ai_addrlen) == 0) sockets.push_back(std::move(s));
    }
    const bool perguntou = !sockets.empty();
    while (!sockets.empty() && restantes(prazo) > 0) {
        for (const auto& s : sockets) send(s->fd, pedido.data(), pedido.size(), 0);
        const Prazo proximo = std::min(prazo, std::chrono::steady_clock::now() + std::chrono::seconds(1));
        while (!sockets.empty()) {
            std::vector<pollfd> espera;
            for (const auto& s : sockets) espera.push_back({s->fd, POLLIN, 0});
            if (poll(espera.data(), espera.size(), restantes(proximo)) <= 0) break;
            for (std::size_t k = espera.size(); k-- > 0;) {
                if (!(espera[k].revents & (POLLIN | POLLERR))) continue;
                char buf[4096];
                const ssize_t n = recv(espera[k].fd, buf, sizeof buf, 0);
                if (n < 0 && errno == ECONNREFUSED) {
                    sockets.erase(sockets.begin() + static_cast<long>(k));
                    continue;
                }
                if (n <= 0) continue;
                resposta.bytes.assign(buf, static_cast<std::size_t>(n));
                if (!aceitar(resposta.bytes)) continue;
                resposta.estado = RespostaUdp::Estado::Respondeu;
                return resposta;
            }
        }
    }
    resposta.bytes.clear();
    resposta.estado = perguntou && sockets.empty() ? RespostaUdp::Estado::Recusou : RespostaUdp::Estado::SemResposta;
    return resposta;
}

std::optional<std::string> PerguntarTcp(const std::string& anfitriao, int porta, const std::string& pedido,
                                        Prazo prazo, const std::function<bool(const std::string&)>& completa)
{
    std::string detalhe;
    Enderecos enderecos = resolver(anfitriao, porta, SOCK_STREAM, detalhe);
    std::unique_ptr<Socket> ligado;
    for (const addrinfo* a = enderecos.get(); a && !ligado; a = a->ai_next) {
        auto s = std::make_unique<Socket>(socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (s->fd < 0) continue;
        if (connect(s->fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) continue;
        if (!esperar(s->fd, POLLOUT, prazo)) return std::nullopt;
        int erro = 0;
        socklen_t n = sizeof erro;
        if (getsockopt(s->fd, SOL_SOCKET, SO_ERROR, &erro, &n) == 0 && erro == 0) ligado = std::move(s);
    }
    if (!ligado) return std::nullopt;
    if (send(ligado->fd, pedido.data(), pedido.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(pedido.size()))
        return std::nullopt;
    std::string recebido;
    while (!completa(recebido)) {
        if (!esperar(ligado->fd, POLLIN, prazo)) return std::nullopt;
        char buf[4096];
        const ssize_t n = recv(ligado->fd, buf, sizeof buf, 0);
        if (n <= 0) return std::nullopt;
        recebido.append(buf, static_cast<std::size_t>(n));
    }
    return recebido;
}

void InterromperSocket(std::uintptr_t socket) noexcept { ::shutdown(static_cast<int>(socket), SHUT_RDWR); }

}  // namespace quorvelanti::sistema
