#include "sistema/SocketRede.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "sistema/ResolucaoEnderecos.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace quorvelanti::sistema {

std::vector<SocketRede::Endereco> SocketRede::Resolver(const std::string& anfitriao, int porta, Tipo tipo,
                                                       std::string& detalhe)
{
    return ResolverEnderecos(anfitriao, porta, tipo, tipo == Tipo::Datagrama ? SOCK_DGRAM : SOCK_STREAM, detalhe);
}

SocketRede::SocketRede(const Endereco& endereco)
    : s_(::socket(endereco.familia,
                  (endereco.tipo == Tipo::Datagrama ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
{
}

SocketRede::~SocketRede()
{
    if (s_ >= 0) ::close(static_cast<int>(s_));
}

SocketRede::SocketRede(SocketRede&& outro) noexcept : s_(outro.s_) { outro.s_ = -1; }

bool SocketRede::Ligar(const Endereco& endereco)
{
    if (s_ < 0) return false;
    const auto* sockaddr = reinterpret_cast<const struct sockaddr*>(endereco.bytes.data());
    return ::connect(static_cast<int>(s_), sockaddr, static_cast<socklen_t>(endereco.bytes.size())) == 0 ||
           errno == EINPROGRESS;
}

bool SocketRede::LigacaoFeita() const
{
    int erro = 0;
    socklen_t n = sizeof erro;
    return getsockopt(static_cast<int>(s_), SOL_SOCKET, SO_ERROR, &erro, &n) == 0 && erro == 0;
}

bool SocketRede::Enviar(const std::string& bytes)
{
    return ::send(static_cast<int>(s_), bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

SocketRede::Leitura SocketRede::Receber(std::string& bytes)
{
    char buf[4096];
    const ssize_t n = ::recv(static_cast<int>(s_), buf, sizeof buf, 0);
    if (n > 0) {
        bytes.append(buf, static_cast<std::size_t>(n));
        return Leitura::Dados;
    }
    if (n < 0 && errno == ECONNREFUSED) return Leitura::Recusado;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return Leitura::Nada;
    return Leitura::Fim;
}

std::vector<bool> SocketRede::Esperar(const std::vector<const SocketRede*>& sockets, bool escrever, int ms)
{
    std::vector<pollfd> espera;
    for (const auto* socket : sockets)
        espera.push_back({static_cast<int>(socket->s_), static_cast<short>(escrever ? POLLOUT : POLLIN), 0});
    std::vector<bool> prontos(sockets.size(), false);
    const auto prazo = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int rc;
    // A signal's handler does not end the wait: it goes on for the time left.
    while ((rc = ::poll(espera.data(), espera.size(), ms)) < 0 && errno == EINTR)
        ms = static_cast<int>(std::max<long long>(
            0,
            std::chrono::duration_cast<std::chrono::milliseconds>(prazo - std::chrono::steady_clock::now()).count()));
    if (rc <= 0) return prontos;
    for (std::size_t k = 0; k < espera.size(); ++k) prontos[k] = espera[k].revents != 0;
    return prontos;
}

}  // namespace quorvelanti::sistema
