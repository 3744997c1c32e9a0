#pragma once
// The resolver's walk, written once for both systems' getaddrinfo (POSIX's and Winsock's have the
// same shape). Private to the SocketRede implementations, which include it after their system's
// socket headers (netdb.h, ws2tcpip.h).
//
//   return ResolverEnderecos(anfitriao, porta, SocketRede::Tipo::Fluxo, SOCK_STREAM, detalhe);
#include <string>
#include <vector>

#include "sistema/SocketRede.h"

namespace quorvelanti::sistema {

inline std::vector<SocketRede::Endereco> ResolverEnderecos(const std::string& anfitriao, int porta,
                                                           SocketRede::Tipo tipo, int tipoNativo, std::string& detalhe)
{
    addrinfo pedido{};  // family 0: IPv4 and IPv6 addresses alike
    pedido.ai_socktype = tipoNativo;
    addrinfo* lista = nullptr;
    const int rc = getaddrinfo(anfitriao.c_str(), std::to_string(porta).c_str(), &pedido, &lista);
    if (rc != 0) {
        detalhe = gai_strerror(rc);
        return {};
    }
    std::vector<SocketRede::Endereco> enderecos;
    for (const addrinfo* a = lista; a; a = a->ai_next)
        enderecos.push_back(
            {tipo, a->ai_family, std::string(reinterpret_cast<const char*>(a->ai_addr), a->ai_addrlen)});
    freeaddrinfo(lista);
    return enderecos;
}

}  // namespace quorvelanti::sistema
