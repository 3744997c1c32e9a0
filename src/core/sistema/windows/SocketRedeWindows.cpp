#include "sistema/SocketRede.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "sistema/ResolucaoEnderecos.h"

namespace quorvelanti::sistema {

namespace {

void iniciarWinsock()
{
    static const bool iniciado = [] {
        WSADATA dados{};
        return WSAStartup(MAKEWORD(2, 2), &dados) == 0;
    }();
    (void)iniciado;
}

SOCKET nativo(std::intptr_t s) { return static_cast<SOCKET>(s); }

// The socket's pending error, as the system left it for a connection or a datagram.
int erroPendente(SOCKET s)
{
    int erro = 0;
    int n = sizeof erro;
    return getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&erro), &n) == 0 ? erro : WSAGetLastError();
}

SOCKET abrir(const SocketRede::Endereco& endereco)
{
    iniciarWinsock();
    const SOCKET s =
        ::socket(endereco.familia, endereco.tipo == SocketRede::Tipo::Datagrama ? SOCK_DGRAM : SOCK_STREAM, 0);
    u_long naoBloquear = 1;
    if (s != INVALID_SOCKET) ioctlsocket(s, FIONBIO, &naoBloquear);
    return s;
}

// An ICMP "port unreachable" shows as a reset of the connected datagram socket.
bool recusado(int erro) { return erro == WSAECONNRESET || erro == WSAECONNREFUSED; }

}  // namespace

std::vector<SocketRede::Endereco> SocketRede::Resolver(const std::string& anfitriao, int porta, Tipo tipo,
                                                       std::string& detalhe)
{
    iniciarWinsock();
    return ResolverEnderecos(anfitriao, porta, tipo, tipo == Tipo::Datagrama ? SOCK_DGRAM : SOCK_STREAM, detalhe);
}

SocketRede::SocketRede(const Endereco& endereco) : s_(static_cast<std::intptr_t>(abrir(endereco))) {}

SocketRede::~SocketRede()
{
    if (nativo(s_) != INVALID_SOCKET) closesocket(nativo(s_));
}

SocketRede::SocketRede(SocketRede&& outro) noexcept : s_(outro.s_)
{
    outro.s_ = static_cast<std::intptr_t>(INVALID_SOCKET);
}

bool SocketRede::Ligar(const Endereco& endereco)
{
    if (nativo(s_) == INVALID_SOCKET) return false;
    const auto* sockaddr = reinterpret_cast<const struct sockaddr*>(endereco.bytes.data());
    return ::connect(nativo(s_), sockaddr, static_cast<int>(endereco.bytes.size())) == 0 ||
           WSAGetLastError() == WSAEWOULDBLOCK;
}

bool SocketRede::LigacaoFeita() const { return erroPendente(nativo(s_)) == 0; }

bool SocketRede::Enviar(const std::string& bytes)
{
    return ::send(nativo(s_), bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

SocketRede::Leitura SocketRede::Receber(std::string& bytes)
{
    char buf[4096];
    const int n = ::recv(nativo(s_), buf, sizeof buf, 0);
    if (n > 0) {
        bytes.append(buf, static_cast<std::size_t>(n));
        return Leitura::Dados;
    }
    const int erro = n < 0 ? WSAGetLastError() : 0;
    if (recusado(erro)) return Leitura::Recusado;
    if (erro != WSAEWOULDBLOCK) return Leitura::Fim;
    // A wait that ended on an error with nothing to read: the refusal may be left there.
    return recusado(erroPendente(nativo(s_))) ? Leitura::Recusado : Leitura::Nada;
}

std::vector<bool> SocketRede::Esperar(const std::vector<const SocketRede*>& sockets, bool escrever, int ms)
{
    std::vector<WSAPOLLFD> espera;
    for (const auto* socket : sockets)
        espera.push_back({nativo(socket->s_), static_cast<SHORT>(escrever ? POLLWRNORM : POLLRDNORM), 0});
    std::vector<bool> prontos(sockets.size(), false);
    if (WSAPoll(espera.data(), static_cast<ULONG>(espera.size()), ms) <= 0) return prontos;
    for (std::size_t k = 0; k < espera.size(); ++k) prontos[k] = espera[k].revents != 0;
    return prontos;
}

}  // namespace quorvelanti::sistema
