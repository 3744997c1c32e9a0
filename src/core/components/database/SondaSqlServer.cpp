#include "SondaSqlServer.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "data/Descritor.h"
#include "data/Erro.h"
#include "data/Texto.h"

// FreeTDS asks the instance service once a second for 16 s whatever its login timeout, and
// reports a server without encryption only as "Adaptive Server connection failed"; both
// questions are small enough to ask ourselves.

namespace quorvelanti {

namespace {

using Relogio = std::chrono::steady_clock;

constexpr unsigned char kPedidoInstancia = 0x04;  // CLNT_UCAST_INST: one instance's details
constexpr unsigned char kRespostaServico = 0x05;  // SVR_RESP
constexpr unsigned char kPacotePrelogin = 0x12;
constexpr unsigned char kPacoteResposta = 0x04;
constexpr unsigned char kOpcaoEncriptacao = 0x01;
constexpr unsigned char kEncriptacaoNaoSuportada = 0x02;

struct LibertarEnderecos {
    void operator()(addrinfo* a) const { freeaddrinfo(a); }
};
using Enderecos = std::unique_ptr<addrinfo, LibertarEnderecos>;

Enderecos resolver(const std::string& anfitriao, int porta, int tipo)
{
    addrinfo pedido{};  // family 0: IPv4 and IPv6 addresses alike
    pedido.ai_socktype = tipo;
    addrinfo* lista = nullptr;
    int rc = getaddrinfo(anfitriao.c_str(), std::to_string(porta).c_str(), &pedido, &lista);
    if (rc != 0) throw Erro(erros::LigacaoFalhou, "O servidor " + anfitriao + " não foi encontrado", gai_strerror(rc));
    return Enderecos(lista);
}

// Milliseconds left before the deadline, for poll; 0 once it has passed.
int restantes(SondaSqlServer::Prazo prazo)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(prazo - Relogio::now()).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

// Waits for the event on the socket until the deadline; false when it did not come.
bool esperar(int descritor, short evento, SondaSqlServer::Prazo prazo)
{
    for (;;) {
        pollfd p{descritor, evento, 0};
        int rc = poll(&p, 1, restantes(prazo));
        if (rc > 0) return true;
        if (rc == 0 || errno != EINTR) return false;
    }
}

// The instance service's answer is "ServerName;S;InstanceName;I;IsClustered;No;Version;V;tcp;P;;"
// for each instance; the port of the one asked for, or nullopt when it names none.
std::optional<int> portaNaResposta(const std::string& resposta, const std::string& instancia)
{
    const auto partes = texto::Dividir(resposta, ';');
    bool daInstancia = false;
    for (std::size_t i = 0; i < partes.size();) {
        if (partes[i].empty()) {  // ";;" ends one instance's details
            daInstancia = false;
            ++i;
            continue;
        }
        const std::string& chave = partes[i];
        const std::string valor = i + 1 < partes.size() ? partes[i + 1] : "";
        i += 2;
        if (texto::IguaisSemCaixa(chave, "InstanceName")) {
            daInstancia = texto::IguaisSemCaixa(valor, instancia);
        } else if (daInstancia && texto::IguaisSemCaixa(chave, "tcp")) {
            if (valor.empty() || valor.size() > 5 || valor.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            return std::stoi(valor);
        }
    }
    return std::nullopt;
}

// A non-blocking TCP connection to the first address that accepts before the deadline.
std::unique_ptr<Descritor> ligarTcp(const std::string& anfitriao, int porta, SondaSqlServer::Prazo prazo)
{
    Enderecos enderecos = resolver(anfitriao, porta, SOCK_STREAM);
    for (const addrinfo* a = enderecos.get(); a; a = a->ai_next) {
        auto descritor = std::make_unique<Descritor>(socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!descritor->Valido()) continue;
        if (connect(descritor->Fd(), a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) continue;
        if (!esperar(descritor->Fd(), POLLOUT, prazo)) return nullptr;
        int erro = 0;
        socklen_t n = sizeof erro;
        if (getsockopt(descritor->Fd(), SOL_SOCKET, SO_ERROR, &erro, &n) == 0 && erro == 0) return descritor;
    }
    return nullptr;
}

// A pre-login packet offering encryption: options VERSION and ENCRYPTION, then their values.
std::string pedidoPrelogin()
{
    const unsigned char corpo[] = {0x00, 0x00, 0x0B, 0x00, 0x06,                    // VERSION at 11, 6 bytes
                                   kOpcaoEncriptacao, 0x00, 0x11, 0x00, 0x01, 0xFF,  // ENCRYPTION at 17, 1 byte
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00,               // version 0.0.0
                                   0x01};                                            // ENCRYPT_ON
    const unsigned char cabecalho[] = {kPacotePrelogin, 0x01, 0x00, 8 + sizeof corpo, 0x00, 0x00, 0x00, 0x00};
    return std::string(std::begin(cabecalho), std::end(cabecalho)) + std::string(std::begin(corpo), std::end(corpo));
}

// The ENCRYPTION value of a pre-login answer's payload; nullopt when it has none.
std::optional<unsigned char> encriptacaoNaResposta(const std::string& corpo)
{
    for (std::size_t i = 0; i + 5 <= corpo.size() && static_cast<unsigned char>(corpo[i]) != 0xFF; i += 5) {
        std::size_t onde = (static_cast<unsigned char>(corpo[i + 1]) << 8) | static_cast<unsigned char>(corpo[i + 2]);
        if (static_cast<unsigned char>(corpo[i]) == kOpcaoEncriptacao && onde < corpo.size())
            return static_cast<unsigned char>(corpo[onde]);
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> SondaSqlServer::PortaInstancia(const std::string& anfitriao, const std::string& instancia,
                                                  Prazo prazo)
{
    Enderecos enderecos = resolver(anfitriao, 1434, SOCK_DGRAM);
    // Every address of the host is asked: the service may listen on only one of them.
    std::vector<std::unique_ptr<Descritor>> descritores;
    for (const addrinfo* a = enderecos.get(); a; a = a->ai_next) {
        auto descritor = std::make_unique<Descritor>(socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, 0));
        // Connected, so an address without the service answers with a refusal instead of silence.
        if (descritor->Valido() && connect(descritor->Fd(), a->ai_addr, a->ai_addrlen) == 0)
            descritores.push_back(std::move(descritor));
    }
    const bool perguntou = !descritores.empty();
    const std::string pedido = std::string(1, static_cast<char>(kPedidoInstancia)) + instancia + '\0';
    // The question goes again every second, as datagrams may be lost, until the deadline.
    while (!descritores.empty() && restantes(prazo) > 0) {
        for (const auto& t : descritores) send(t->Fd(), pedido.data(), pedido.size(), 0);
        const Prazo proximo = std::min(prazo, Relogio::now() + std::chrono::seconds(1));
        while (!descritores.empty()) {
            std::vector<pollfd> espera;
            for (const auto& t : descritores) espera.push_back({t->Fd(), POLLIN, 0});
            if (poll(espera.data(), espera.size(), restantes(proximo)) <= 0) break;
            for (std::size_t k = espera.size(); k-- > 0;) {
                if (!(espera[k].revents & (POLLIN | POLLERR))) continue;
                char buf[4096];
                ssize_t n = recv(espera[k].fd, buf, sizeof buf, 0);
                if (n < 0 && errno == ECONNREFUSED) {
                    descritores.erase(descritores.begin() + static_cast<long>(k));
                    continue;
                }
                if (n < 3 || static_cast<unsigned char>(buf[0]) != kRespostaServico) continue;
                const std::string resposta(buf + 3, static_cast<std::size_t>(n - 3));
                if (auto porta = portaNaResposta(resposta, instancia)) return porta;
                throw Erro(erros::LigacaoFalhou,
                           "O serviço de instâncias de " + anfitriao + " não indica uma porta TCP para a instância " +
                               instancia,
                           resposta);
            }
        }
    }
    if (perguntou && descritores.empty())
        throw Erro(erros::LigacaoFalhou,
                   "O servidor " + anfitriao + " recusou a pergunta pela instância " + instancia +
                       ": o serviço de instâncias (UDP 1434) não está a correr");
    return std::nullopt;
}

std::optional<bool> SondaSqlServer::OfereceEncriptacao(const std::string& anfitriao, int porta, Prazo prazo)
{
    auto descritor = ligarTcp(anfitriao, porta, prazo);
    if (!descritor) return std::nullopt;
    const std::string pedido = pedidoPrelogin();
    if (send(descritor->Fd(), pedido.data(), pedido.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(pedido.size()))
        return std::nullopt;
    std::string recebido;
    // The answer is one packet: its header says how long it is.
    auto comprimento = [&] {
        return static_cast<std::size_t>((static_cast<unsigned char>(recebido[2]) << 8) |
                                        static_cast<unsigned char>(recebido[3]));
    };
    while (recebido.size() < 8 || recebido.size() < comprimento()) {
        if (!esperar(descritor->Fd(), POLLIN, prazo)) return std::nullopt;
        char buf[4096];
        ssize_t n = recv(descritor->Fd(), buf, sizeof buf, 0);
        if (n <= 0) return std::nullopt;
        recebido.append(buf, static_cast<std::size_t>(n));
    }
    if (static_cast<unsigned char>(recebido[0]) != kPacoteResposta) return std::nullopt;
    auto encriptacao = encriptacaoNaResposta(recebido.substr(8));
    if (!encriptacao) return std::nullopt;
    return *encriptacao != kEncriptacaoNaoSuportada;
}

}  // namespace quorvelanti
