#pragma once
// Every call the core makes to the operating system: files and their durability, locks, the
// program's folders, the process, the commands a person types at the system's prompt, the local
// time zone and the network questions of the database layer (written once, in Rede.cpp, over
// SocketRede). posix/ and windows/ implement the rest; the build takes one. Paths are UTF-8
// here and become UTF-16 at the Windows calls. A failure returns (or leaves in errno) an errno
// code, EEXIST, EACCES, ENOENT, EWOULDBLOCK..., on Windows too, so callers test one set of codes
// and describe it with std::strerror.
//
//   const int fd = sistema::Abrir(caminho, {.escrever = true, .acrescentar = true, .criar = true});
//   if (fd < 0) throw Erro(erros::FicheiroNaoGravado, "...", std::strerror(errno));
//   Descritor dono(fd);
//   if (int erro = sistema::EscreverTudo(fd, linha)) ...;
//   if (int erro = sistema::Sincronizar(fd)) ...;
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quorvelanti::sistema {

// ---- files ---------------------------------------------------------------------------------

struct PedidoAbertura {
    bool escrever = false;      // else read only
    bool acrescentar = false;   // every write goes to the end
    bool criar = false;         // created when missing
    bool exclusivo = false;     // with criar: EEXIST when the name is taken
    bool seguirLigacao = true;  // false: a symbolic link under the name fails (ELOOP)
    unsigned modo = 0666;       // of a created file, less the umask; Windows files take the folder's ACL
};

// A descriptor (close it with Fechar, or hand it to a Descritor), or -1 with errno set. On
// Windows the file may be renamed or removed while open, as on POSIX.
int Abrir(const std::string& caminho, const PedidoAbertura& pedido);
int Fechar(int fd) noexcept;
// Writes every byte from the current offset, going on after a write cut short: 0 or the code.
int EscreverTudo(int fd, const std::string& bytes) noexcept;
// Reads up to n bytes at that offset without moving the current one; -1 with errno on failure.
long long LerEm(int fd, char* bytes, std::size_t n, long long posicao) noexcept;
int IrParaInicio(int fd) noexcept;
int Truncar(int fd, long long tamanho) noexcept;
// Makes room for that size now, so a later write cannot run out of space: the code (ENOSPC,
// EFBIG, EDQUOT) when there is no room; 0 also when the file system cannot reserve ahead.
int Reservar(int fd, long long tamanho) noexcept;
// The file's bytes and size on disk before returning.
int Sincronizar(int fd) noexcept;
// The folder's entries (a file just created or renamed there) on disk.
int SincronizarPasta(const std::string& pasta) noexcept;

// An anonymous file in memory, gone with its last descriptor (also when the process dies), and
// in 'caminho' a path that opens it anew while a descriptor lives ("/proc/self/fd/7"): a
// descriptor, or -1 with errno set (ENOSYS where the system has none, as on Windows).
int CriarFicheiroEmMemoria(std::string& caminho);
// A file in the folder with no name yet (O_TMPFILE), gone with its last descriptor unless
// NomearFicheiro gives it one, and in 'caminho' the path that reaches it meanwhile: a descriptor,
// or -1 with errno set where the system or the folder's file system has none (EOPNOTSUPP,
// EISDIR; ENOSYS on Windows).
int CriarSemNome(const std::string& pasta, unsigned modo, std::string& caminho);
// Gives the file that 'caminho' reaches (following a link such as /proc/self/fd/7) the name
// 'nome', which it never replaces (EEXIST): 0 or the code.
int NomearFicheiro(const std::string& caminho, const std::string& nome) noexcept;

// An exclusive lock that never waits: 0, EWOULDBLOCK when another holder has it, or the code.
// It goes with the descriptor, also when the process dies. On Windows it covers one byte far
// beyond any content, so other handles still read and write the file.
int BloquearSemEsperar(int fd) noexcept;

struct Atributos {
    bool regular = false;
    bool pasta = false;
    bool ligacao = false;  // a symbolic link (only when not followed)
    long long tamanho = 0;
    long long modificadoNs = 0;                        // since the epoch
    std::uint64_t dispositivo = 0, identificador = 0;  // together tell one file from another
    unsigned ligacoes = 1;                             // names the file has
    unsigned modo = 0;                                 // permission bits (POSIX; 0600 on Windows)
    unsigned dono = 0, grupo = 0;                      // POSIX owner and group (0 on Windows)
};
int LerAtributos(int fd, Atributos& atributos) noexcept;
int LerAtributos(const std::string& caminho, Atributos& atributos, bool seguirLigacao = true) noexcept;
// Owner and group, and mode whatever the umask. Windows files keep their ACL: both do nothing there.
int MudarDono(int fd, unsigned dono, unsigned grupo) noexcept;
int MudarModo(int fd, unsigned modo) noexcept;
// Whether a user other than the owner and its group may read the file: POSIX "other" read bit;
// on Windows an ACL entry letting Everyone, Users or Authenticated Users read it.
bool LegivelPorOutros(const std::string& caminho) noexcept;

// A path written for another system, that here would name something else: on POSIX one with a
// drive letter or a backslash ("D:\Relatorios"); none on Windows, which takes both separators.
bool CaminhoDeOutroSistema(const std::string& caminho) noexcept;

// Renames onto the destination, replacing it at once.
int Renomear(const std::string& origem, const std::string& destino) noexcept;
// Gives the file another name that never replaces: EEXIST when taken. The old name goes.
int DarNomeNovo(const std::string& origem, const std::string& destino) noexcept;
int Remover(const std::string& caminho) noexcept;
// Whether the running user may create files in the folder.
bool PastaGravavel(const std::string& pasta) noexcept;

// ---- the process and its folders -------------------------------------------------------------

// A file's owner and group as an administrator reads them, "root:quorvelanti" (numbers where
// unnamed); "" on Windows, whose files carry ACLs instead.
std::string NomeDono(unsigned dono, unsigned grupo);
// The user (and group) the process runs as: "quorvelanti:quorvelanti"; the user name on Windows.
std::string UtilizadorActual();

// The folder of the running executable ("." when unknown).
std::string PastaPrograma();
// Where the parameter files' folder (dorvam) lives unless the environment says otherwise:
// /etc; %ProgramData% on Windows.
std::string PastaBasePredefinida();
// A folder every user's and every service's run can see and write, for run locks:
// /run/lock, else /tmp; %ProgramData%, else the user's temporary folder, on Windows.
std::string PastaBloqueios();
// A folder on a file system held in memory, where any user may create files, with at least
// that many bytes free: /dev/shm when it is a tmpfs; "" when there is none (always on Windows).
std::string PastaEmMemoria(long long bytesLivres);
// The ODBC driver for SQL Server a machine of this system has: "FreeTDS"; on Windows
// Microsoft's "ODBC Driver 18 for SQL Server".
std::string ControladorOdbcPredefinido();
// The executable's own file name: "quorvelanti" / "quorvelanti.exe".
std::string NomeExecutavel(const std::string& base);
unsigned long IdProcesso() noexcept;
// 64 bits from the system's source of randomness, for names and tokens no one may guess or repeat.
std::uint64_t Aleatorio();
// This machine's fully qualified name (what a mail server is told in EHLO); its bare host name
// when it has none, "localhost" when not even that.
std::string NomeMaquina();
// Makes the C library's character type UTF-8, the encoding of every text of the program, when
// it is not: the ODBC driver manager converts by it between a wide call and a narrow driver
// (ASCII under the default "C" locale, where "ç" would reach the driver as the byte E7). Nothing
// on Windows, whose driver manager converts by the code page and whose drivers are wide.
void CaracteresUtf8() noexcept;
// A command as a person types it at this system's usual prompt: the variables set for the
// program alone, then the program and its arguments.
struct ComandoEscrito {
    struct Variavel {
        std::string nome, valor;
    };
    std::vector<Variavel> ambiente;
    std::vector<std::string> palavras;  // the program's path first
};
// Its text, each word quoted where that prompt needs it:
//   POSIX shell:    QUORVELANTI_RETOMAR=1 '/opt/q r/quorvelanti' /S
//   Windows (cmd):  set "QUORVELANTI_RETOMAR=1" && "C:\Programas\q r\quorvelanti.exe" /S
// (cmd keeps the variables in that window afterwards; the path's separators become "\").
std::string TextoComando(const ComandoEscrito& comando);
// Writes the line to stderr and ends the process at once with that status: no destructors run.
[[noreturn]] void TerminarJa(int estado, const std::string& linha) noexcept;

// ---- time ----------------------------------------------------------------------------------

// The local calendar time of that instant, in the system's time zone.
std::tm HoraLocal(std::time_t instante);
// Completes a local calendar time (weekday) and gives the zone's offset from UTC then, in
// minutes east; nullopt when the time zone cannot tell.
std::optional<long> DesvioUtcMinutos(std::tm& local);

// ---- signals: the requests to stop a run -----------------------------------------------------

// The numbers a stop request is reported by, and an interrupted run exits with (128 + N).
constexpr int kSinalDesligar = 1;     // SIGHUP; on Windows the console was closed
constexpr int kSinalInterromper = 2;  // SIGINT; Ctrl-C, Ctrl-Break
constexpr int kSinalTerminar = 15;    // SIGTERM; on Windows logoff or shutdown

// While it lives, a stop request calls the function with the request's number instead of
// ending the process: from a signal handler (only lock-free atomics and Despertador::Acordar
// are safe there) or from the console's own thread on Windows.
class AvisoParagem {
public:
    explicit AvisoParagem(void (*aoPedido)(int sinal));
    ~AvisoParagem();
    AvisoParagem(const AvisoParagem&) = delete;
    AvisoParagem& operator=(const AvisoParagem&) = delete;

private:
    struct Anteriores;
    std::unique_ptr<Anteriores> anteriores_;
};

// A counting wake-up a signal handler may give.
class Despertador {
public:
    Despertador();
    ~Despertador();
    Despertador(const Despertador&) = delete;
    Despertador& operator=(const Despertador&) = delete;
    void Acordar() noexcept;
    void Esperar() noexcept;

private:
    struct Estado;
    std::unique_ptr<Estado> estado_;
};

// Runs the function on a thread that stop signals never interrupt, so they reach the run's own
// threads and break their waits there.
void ComecarFioSemSinais(std::thread& fio, std::function<void()> corpo);
// Text written to stdout and stderr is UTF-8 and shown as such (the console's code page on
// Windows; POSIX terminals take the bytes as they are).
void PrepararConsola() noexcept;
// A console that only this process uses (the one Windows opens for a program started from a
// shortcut or Explorer) is let go, so the window stands alone; a command prompt's one stays.
// Nothing on POSIX.
void LargarConsolaPropria() noexcept;
// A closed stdout or a file-size limit then fails a write (EPIPE, EFBIG) instead of killing.
void IgnorarSinaisDeEscrita() noexcept;

// ---- network ------------------------------------------------------------------------------

using Prazo = std::chrono::steady_clock::time_point;

struct RespostaUdp {
    enum class Estado { Respondeu, SemResposta, Recusou, AnfitriaoDesconhecido } estado = Estado::SemResposta;
    std::string bytes;    // the answer
    std::string detalhe;  // the resolver's message for an unknown host
};
// Sends the datagram to every address of the host, again every second as datagrams get lost,
// until one answers with a datagram the function accepts or the deadline passes. Recusou when
// every address refused it (nothing listens on the port).
RespostaUdp PerguntarUdp(const std::string& anfitriao, int porta, const std::string& pedido, Prazo prazo,
                         const std::function<bool(const std::string&)>& aceitar);
// Connects to the first address that accepts before the deadline, sends the bytes and reads
// until the function says the answer is whole; nullopt when any step fails or time runs out.
// Raises nothing; an unknown host is nullopt too.
std::optional<std::string> PerguntarTcp(const std::string& anfitriao, int porta, const std::string& pedido, Prazo prazo,
                                        const std::function<bool(const std::string&)>& completa);
// Ends both directions of a connected socket, so a transfer blocked on it returns at once.
void InterromperSocket(std::uintptr_t socket) noexcept;

}  // namespace quorvelanti::sistema
