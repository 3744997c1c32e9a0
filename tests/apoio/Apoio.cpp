#include "Apoio.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace apoio {

namespace fs = std::filesystem;

PastaTemporaria::PastaTemporaria()
{
    std::string modelo = (fs::temp_directory_path() / "quorvelanti-teste-XXXXXX").string();
    if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp falhou");
    caminho_ = modelo;
}

PastaTemporaria::~PastaTemporaria()
{
    std::error_code erro;
    fs::permissions(caminho_, fs::perms::owner_all, fs::perm_options::add, erro);
    fs::remove_all(caminho_, erro);
}

std::string LerBytes(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f) throw std::runtime_error("não abre " + caminho);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void EscreverBytes(const std::string& caminho, const std::string& bytes)
{
    std::ofstream f(caminho, std::ios::binary | std::ios::trunc);
    f << bytes;
    if (!f) throw std::runtime_error("não escreve " + caminho);
}

bool Existe(const std::string& caminho) { return fs::exists(caminho); }

std::vector<std::string> Ficheiros(const std::string& pasta)
{
    std::vector<std::string> nomes;
    for (const auto& e : fs::directory_iterator(pasta)) nomes.push_back(e.path().filename().string());
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

std::vector<std::string> MensagensRegisto(const std::string& ficheiro)
{
    const std::string bytes = LerBytes(ficheiro);
    std::vector<std::string> mensagens;
    std::size_t inicio = 0;
    for (std::size_t fim; (fim = bytes.find("\r\n", inicio)) != std::string::npos; inicio = fim + 2) {
        const std::string linha = bytes.substr(inicio, fim - inicio);
        // A message may hold a line feed of its own (the workbook failure entry), never a CRLF.
        EXPECT_EQ(linha.substr(0, 13), "[07-12-2026][") << linha;
        EXPECT_EQ(linha.substr(21, 2), "] ") << linha;
        mensagens.push_back(linha.size() > 23 ? linha.substr(23) : "");
    }
    EXPECT_EQ(inicio, bytes.size()) << "the log ends in a whole CRLF line: " << bytes.substr(inicio);
    return mensagens;
}

std::string Fonte(const std::string& relativo) { return std::string(QUORVELANTI_FONTE_TESTES) + "/" + relativo; }

std::string Python() { return QUORVELANTI_PYTHON_TESTES; }

std::string Programa()
{
    const char* p = std::getenv("QUORVELANTI_BINARIO");
    return p ? p : QUORVELANTI_BINARIO_TESTES;
}

namespace {
void lerDisponivel(int fd, std::string& destino, bool& aberto)
{
    char buf[4096];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0)
        destino.append(buf, static_cast<std::size_t>(n));
    else
        aberto = false;
}
}  // namespace

std::vector<std::string> AmbienteCom(const std::map<std::string, std::string>& ambiente)
{
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string par = *e;
        auto igual = par.find('=');
        if (igual != std::string::npos) env[par.substr(0, igual)] = par.substr(igual + 1);
    }
    for (const auto& [k, v] : ambiente) env[k] = v;
    std::vector<std::string> pares;
    for (const auto& [k, v] : env) pares.push_back(k + "=" + v);
    return pares;
}

PortaFechada::PortaFechada() : descritor_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tamanho = sizeof endereco;
    bind(descritor_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco);
    getsockname(descritor_, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
    porta_ = ntohs(endereco.sin_port);
}

PortaFechada::~PortaFechada() { close(descritor_); }

std::vector<char*> Ponteiros(std::vector<std::string>& textos)
{
    std::vector<char*> ponteiros;
    for (auto& t : textos) ponteiros.push_back(t.data());
    ponteiros.push_back(nullptr);
    return ponteiros;
}

Resultado Executar(const std::vector<std::string>& argumentos, const std::map<std::string, std::string>& ambiente,
                   int limiteSegundos)
{
    std::vector<std::string> pares = AmbienteCom(ambiente);
    std::vector<std::string> args = argumentos;
    std::vector<char*> envp = Ponteiros(pares), argv = Ponteiros(args);

    int saida[2], erros[2];
    if (pipe(saida) != 0 || pipe(erros) != 0) throw std::runtime_error("pipe falhou");
    posix_spawn_file_actions_t accoes;
    posix_spawn_file_actions_init(&accoes);
    posix_spawn_file_actions_adddup2(&accoes, saida[1], 1);
    posix_spawn_file_actions_adddup2(&accoes, erros[1], 2);
    posix_spawn_file_actions_addclose(&accoes, saida[0]);
    posix_spawn_file_actions_addclose(&accoes, erros[0]);
    posix_spawn_file_actions_addopen(&accoes, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid;
    int r = posix_spawn(&pid, argv[0], &accoes, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&accoes);
    close(saida[1]);
    close(erros[1]);
    if (r != 0) throw std::runtime_error("posix_spawn falhou: " + argumentos[0]);

    Resultado res;
    bool abertoSaida = true, abertoErros = true;
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(limiteSegundos);
    while (abertoSaida || abertoErros) {
        pollfd fds[2] = {{saida[0], POLLIN, 0}, {erros[0], POLLIN, 0}};
        poll(fds, 2, 200);
        if (abertoSaida && (fds[0].revents & (POLLIN | POLLHUP))) lerDisponivel(saida[0], res.saida, abertoSaida);
        if (abertoErros && (fds[1].revents & (POLLIN | POLLHUP))) lerDisponivel(erros[0], res.erros, abertoErros);
        if (std::chrono::steady_clock::now() > limite) {
            kill(pid, SIGKILL);
            break;
        }
    }
    close(saida[0]);
    close(erros[0]);
    int estado = 0;
    waitpid(pid, &estado, 0);
    res.estado = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
    return res;
}

}  // namespace apoio
