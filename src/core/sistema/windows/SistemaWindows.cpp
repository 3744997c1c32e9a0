#include "sistema/Sistema.h"

// winsock2 before windows.h, which would bring the older winsock otherwise; windows.h before
// the headers that use its types. Blank lines keep the blocks in this order.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <vector>

namespace quorvelanti::sistema {

namespace {

std::wstring largo(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring texto(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), texto.data(), n);
    return texto;
}

std::string estreito(const wchar_t* texto, std::size_t n)
{
    if (n == 0) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, texto, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, texto, static_cast<int>(n), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// The errno code callers test for a Windows error.
int codigoErrno(DWORD erro)
{
    switch (erro) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING: return EWOULDBLOCK;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_TOO_LARGE: return EFBIG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_INVALID_HANDLE: return EBADF;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
    }
}

int falha() { return codigoErrno(GetLastError()); }

HANDLE pega(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

long long nanossegundosDesdeEpoca(const FILETIME& t)
{
    // FILETIME counts 100 ns since 1601-01-01; the epoch is 11644473600 s later.
    const unsigned long long intervalos = (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return (static_cast<long long>(intervalos) - 116444736000000000LL) * 100;
}

void copiar(const BY_HANDLE_FILE_INFORMATION& i, Atributos& atributos)
{
    atributos.pasta = (i.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    atributos.ligacao = (i.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    atributos.regular = !atributos.pasta && !atributos.ligacao;
    atributos.tamanho =
        static_cast<long long>((static_cast<unsigned long long>(i.nFileSizeHigh) << 32) | i.nFileSizeLow);
    atributos.modificadoNs = nanossegundosDesdeEpoca(i.ftLastWriteTime);
    atributos.dispositivo = i.dwVolumeSerialNumber;
    atributos.identificador = (static_cast<std::uint64_t>(i.nFileIndexHigh) << 32) | i.nFileIndexLow;
    atributos.ligacoes = i.nNumberOfLinks;
    atributos.modo = (i.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0400 : 0600;
    atributos.dono = atributos.grupo = 0;
}

constexpr DWORD kPartilha = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct Pega {
    HANDLE h;
    explicit Pega(HANDLE p) : h(p) {}
    ~Pega()
    {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    Pega(const Pega&) = delete;
    Pega& operator=(const Pega&) = delete;
};

}  // namespace

// Opened with every share mode, so that, as on POSIX, another handle (a library writing the
// file by name, the next run's clean-up) may open it and it may be renamed or removed while open.
int Abrir(const std::string& caminho, const PedidoAbertura& pedido)
{
    const DWORD acesso = GENERIC_READ | (pedido.escrever ? GENERIC_WRITE : 0);
    const DWORD disposicao = pedido.criar ? (pedido.exclusivo ? CREATE_NEW : OPEN_ALWAYS) : OPEN_EXISTING;
    const DWORD opcoes = FILE_ATTRIBUTE_NORMAL | (pedido.seguirLigacao ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE h = CreateFileW(largo(caminho).c_str(), acesso, kPartilha, nullptr, disposicao, opcoes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = falha();
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!pedido.seguirLigacao && GetFileInformationByHandle(h, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(h);
        errno = ELOOP;
        return -1;
    }
    const int flags = _O_BINARY | (pedido.escrever ? _O_RDWR : _O_RDONLY) | (pedido.acrescentar ? _O_APPEND : 0);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
    if (fd < 0) {
        CloseHandle(h);
        errno = EMFILE;
    }
    return fd;
}

int Fechar(int fd) noexcept { return fd < 0 || _close(fd) == 0 ? 0 : errno; }

int EscreverTudo(int fd, const std::string& bytes) noexcept
{
    for (std::size_t feito = 0; feito < bytes.size();) {
        const std::size_t parte = std::min<std::size_t>(bytes.size() - feito, 1u << 30);
        const int n = _write(fd, bytes.data() + feito, static_cast<unsigned>(parte));
        if (n <= 0) return n < 0 ? errno : EIO;
        feito += static_cast<std::size_t>(n);
    }
    return 0;
}

long long LerEm(int fd, char* bytes, std::size_t n, long long posicao) noexcept
{
    OVERLAPPED onde{};
    onde.Offset = static_cast<DWORD>(posicao & 0xFFFFFFFF);
    onde.OffsetHigh = static_cast<DWORD>(posicao >> 32);
    DWORD lidos = 0;
    if (!ReadFile(pega(fd), bytes, static_cast<DWORD>(n), &lidos, &onde)) {
        if (GetLastError() == ERROR_HANDLE_EOF) return 0;
        errno = falha();
        return -1;
    }
    return lidos;
}

int IrParaInicio(int fd) noexcept { return _lseeki64(fd, 0, SEEK_SET) == 0 ? 0 : errno; }

int Truncar(int fd, long long tamanho) noexcept { return _chsize_s(fd, tamanho); }

int Reservar(int fd, long long tamanho) noexcept
{
    FILE_ALLOCATION_INFO reserva{};
    reserva.AllocationSize.QuadPart = tamanho;
    if (SetFileInformationByHandle(pega(fd), FileAllocationInfo, &reserva, sizeof reserva)) return 0;
    const int erro = falha();
    return erro == ENOSPC || erro == EFBIG ? erro : 0;
}

int Sincronizar(int fd) noexcept { return FlushFileBuffers(pega(fd)) ? 0 : falha(); }

// NTFS writes a folder's entries through its journal: a created or renamed name survives a
// power cut once the call that made it returned (MoveFileExW is asked to write through).
int SincronizarPasta(const std::string&) noexcept { return 0; }

// LockFileEx locks are mandatory for the bytes they cover: one byte far beyond any content is
// locked, so the file's own bytes stay free for every reader and writer.
int CriarFicheiroEmMemoria(std::string&)
{
    errno = ENOSYS;
    return -1;
}

int CriarSemNome(const std::string&, unsigned, std::string&)
{
    errno = ENOSYS;
    return -1;
}

int NomearFicheiro(const std::string&, const std::string&) noexcept { return ENOSYS; }

int BloquearSemEsperar(int fd) noexcept
{
    OVERLAPPED onde{};
    onde.Offset = 0xFFFFFFFE;
    onde.OffsetHigh = 0x7FFFFFFF;
    if (LockFileEx(pega(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &onde)) return 0;
    return falha();
}

int LerAtributos(int fd, Atributos& atributos) noexcept
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(pega(fd), &info)) return falha();
    copiar(info, atributos);
    return 0;
}

int LerAtributos(const std::string& caminho, Atributos& atributos, bool seguirLigacao) noexcept
{
    const DWORD opcoes = FILE_FLAG_BACKUP_SEMANTICS | (seguirLigacao ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const Pega p(
        CreateFileW(largo(caminho).c_str(), FILE_READ_ATTRIBUTES, kPartilha, nullptr, OPEN_EXISTING, opcoes, nullptr));
    if (p.h == INVALID_HANDLE_VALUE) return falha();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(p.h, &info)) return falha();
    copiar(info, atributos);
    return 0;
}

// A Windows file takes its folder's ACL: there is no owner, group or mode to give it.
int MudarDono(int, unsigned, unsigned) noexcept { return 0; }
int MudarModo(int, unsigned) noexcept { return 0; }

bool LegivelPorOutros(const std::string& caminho) noexcept
{
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descritor = nullptr;
    std::wstring nome = largo(caminho);
    if (GetNamedSecurityInfoW(nome.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                              &descritor) != ERROR_SUCCESS)
        return false;
    bool legivel = acl == nullptr;  // no DACL at all: everyone has every right
    for (WELL_KNOWN_SID_TYPE tipo : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid}) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD tamanho = sizeof sid;
        if (legivel || !CreateWellKnownSid(tipo, nullptr, sid, &tamanho)) continue;
        TRUSTEE_W quem{};
        BuildTrusteeWithSidW(&quem, sid);
        ACCESS_MASK direitos = 0;
        legivel = GetEffectiveRightsFromAclW(acl, &quem, &direitos) == ERROR_SUCCESS && (direitos & FILE_READ_DATA);
    }
    LocalFree(descritor);
    return legivel;
}

bool CaminhoDeOutroSistema(const std::string&) noexcept { return false; }

int Renomear(const std::string& origem, const std::string& destino) noexcept
{
    return MoveFileExW(largo(origem).c_str(), largo(destino).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : falha();
}

int DarNomeNovo(const std::string& origem, const std::string& destino) noexcept
{
    return MoveFileExW(largo(origem).c_str(), largo(destino).c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : falha();
}

int Remover(const std::string& caminho) noexcept { return DeleteFileW(largo(caminho).c_str()) ? 0 : falha(); }

// The folder's ACL decides, and only trying tells: a file that goes when closed.
bool PastaGravavel(const std::string& pasta) noexcept
{
    const std::wstring nome = largo(pasta) + L"\\.quorvelanti-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const Pega p(CreateFileW(nome.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return p.h != INVALID_HANDLE_VALUE;
}

std::string NomeDono(unsigned, unsigned) { return ""; }

std::string UtilizadorActual()
{
    wchar_t nome[257];
    DWORD n = sizeof nome / sizeof nome[0];
    return GetUserNameW(nome, &n) && n > 0 ? estreito(nome, n - 1) : std::string();
}

std::string PastaPrograma()
{
    std::vector<wchar_t> caminho(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, caminho.data(), static_cast<DWORD>(caminho.size()));
        if (n == 0) return ".";
        if (n < caminho.size()) {
            const std::string programa = estreito(caminho.data(), n);
            const auto barra = programa.find_last_of("\\/");
            return barra == std::string::npos ? "." : programa.substr(0, barra);
        }
        caminho.resize(caminho.size() * 2);
    }
}

namespace {
std::string variavel(const wchar_t* nome)
{
    wchar_t valor[32768];
    const DWORD n = GetEnvironmentVariableW(nome, valor, 32768);
    return n == 0 || n >= 32768 ? std::string() : estreito(valor, n);
}
}  // namespace

std::string PastaBasePredefinida()
{
    const std::string dados = variavel(L"ProgramData");
    return dados.empty() ? "C:\\ProgramData" : dados;
}

// %ProgramData% is one folder for every user and service; the user's own temporary folder
// serves where it cannot be written.
std::string PastaBloqueios()
{
    const std::string dados = PastaBasePredefinida();
    if (PastaGravavel(dados)) return dados;
    wchar_t temporaria[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temporaria);
    while (n > 3 && (temporaria[n - 1] == L'\\' || temporaria[n - 1] == L'/')) --n;
    return estreito(temporaria, n);
}

std::string PastaEmMemoria(long long) { return ""; }

std::string ControladorOdbcPredefinido() { return "ODBC Driver 18 for SQL Server"; }

std::string NomeExecutavel(const std::string& base) { return base + ".exe"; }

unsigned long IdProcesso() noexcept { return GetCurrentProcessId(); }

std::uint64_t Aleatorio()
{
    std::random_device fonte;  // the C runtime's rand_s, the system's generator
    return (static_cast<std::uint64_t>(fonte()) << 32) | fonte();
}

std::string NomeMaquina()
{
    char nome[256] = "";
    DWORD tamanho = sizeof nome;
    if (GetComputerNameExA(ComputerNameDnsFullyQualified, nome, &tamanho) && nome[0] != '\0') return nome;
    tamanho = sizeof nome;
    return GetComputerNameExA(ComputerNameDnsHostname, nome, &tamanho) && nome[0] != '\0' ? nome : "localhost";
}

void CaracteresUtf8() noexcept {}

// cmd's own quoting: inside double quotes & | < > ^ and spaces are plain characters.
std::string TextoComando(const ComandoEscrito& comando)
{
    const auto citar = [](const std::string& palavra) {
        const bool segura = !palavra.empty() && palavra.find_first_of(" \t&|<>^()\"") == std::string::npos;
        return segura ? palavra : "\"" + palavra + "\"";
    };
    std::string texto;
    for (const auto& variavel : comando.ambiente) texto += "set \"" + variavel.nome + "=" + variavel.valor + "\" && ";
    for (std::size_t k = 0; k < comando.palavras.size(); ++k) {
        std::string palavra = comando.palavras[k];
        if (k == 0) std::replace(palavra.begin(), palavra.end(), '/', '\\');
        texto += citar(palavra) + " ";
    }
    if (!texto.empty()) texto.pop_back();
    return texto;
}

void TerminarJa(int estado, const std::string& linha) noexcept
{
    DWORD escritos = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), linha.data(), static_cast<DWORD>(linha.size()), &escritos, nullptr);
    std::_Exit(estado);
}

std::tm HoraLocal(std::time_t instante)
{
    std::tm local{};
    localtime_s(&local, &instante);
    return local;
}

std::optional<long> DesvioUtcMinutos(std::tm& local)
{
    const std::time_t instante = std::mktime(&local);
    if (instante == static_cast<std::time_t>(-1)) return std::nullopt;
    std::tm comoUtc = local;  // the same calendar fields read as UTC
    const std::time_t utc = _mkgmtime(&comoUtc);
    if (utc == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<long>((utc - instante) / 60);
}

// ---- stop requests: the console's control events ----

namespace {
std::atomic<void (*)(int)> aoPedidoParagem{nullptr};

BOOL WINAPI aoEventoConsola(DWORD evento)
{
    auto* chamar = aoPedidoParagem.load();
    if (!chamar) return FALSE;
    switch (evento) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: chamar(kSinalInterromper); return TRUE;
    case CTRL_CLOSE_EVENT: chamar(kSinalDesligar); break;
    default: chamar(kSinalTerminar); break;  // logoff, shutdown
    }
    // The process ends when this returns from a close, logoff or shutdown: the run gets the
    // few seconds Windows allows to unwind, remove its temporary files and write its last line.
    Sleep(5000);
    return TRUE;
}
}  // namespace

struct AvisoParagem::Anteriores {};

AvisoParagem::AvisoParagem(void (*aoPedido)(int sinal)) : anteriores_(std::make_unique<Anteriores>())
{
    aoPedidoParagem = aoPedido;
    SetConsoleCtrlHandler(aoEventoConsola, TRUE);
}

AvisoParagem::~AvisoParagem()
{
    SetConsoleCtrlHandler(aoEventoConsola, FALSE);
    aoPedidoParagem = nullptr;
}

struct Despertador::Estado {
    HANDLE semaforo = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
};

Despertador::Despertador() : estado_(std::make_unique<Estado>()) {}

Despertador::~Despertador() { CloseHandle(estado_->semaforo); }

void Despertador::Acordar() noexcept { ReleaseSemaphore(estado_->semaforo, 1, nullptr); }

void Despertador::Esperar() noexcept { WaitForSingleObject(estado_->semaforo, INFINITE); }

// Console events come on a thread of their own: no thread needs shielding from them.
void ComecarFioSemSinais(std::thread& fio, std::function<void()> corpo) { fio = std::thread(std::move(corpo)); }

void PrepararConsola() noexcept
{
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

void LargarConsolaPropria() noexcept
{
    DWORD processos[2];
    if (GetConsoleProcessList(processos, 2) == 1) FreeConsole();
}

// Windows has no SIGPIPE or SIGXFSZ: such writes already fail with an error.
void IgnorarSinaisDeEscrita() noexcept {}

// ---- network ----

void InterromperSocket(std::uintptr_t socket) noexcept { shutdown(static_cast<SOCKET>(socket), SD_BOTH); }

}  // namespace quorvelanti::sistema
