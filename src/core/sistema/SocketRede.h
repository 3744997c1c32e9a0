#pragma once
// One network socket of this system, and the few calls the network questions of Sistema.h need,
// so those questions are written once over it (Rede.cpp). Private to sistema. Sockets never
// block: Esperar says when one is ready, and a read then takes what has come.
//
//   std::string detalhe;
//   for (const auto& endereco : SocketRede::Resolver("sql01", 1434, SocketRede::Tipo::Datagrama, detalhe)) {
//       SocketRede socket(endereco);
//       if (socket.Ligar(endereco)) socket.Enviar(pedido);
//   }
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quorvelanti::sistema {

class SocketRede {
public:
    enum class Tipo { Datagrama, Fluxo };
    struct Endereco {
        Tipo tipo = Tipo::Fluxo;
        int familia = 0;
        std::string bytes;  // the system's socket address
    };
    // Every address of the host (IPv4 and IPv6); none, with the resolver's message, when unknown.
    static std::vector<Endereco> Resolver(const std::string& anfitriao, int porta, Tipo tipo, std::string& detalhe);

    // A socket for that address's family and type; Ligar fails when the system refused one.
    explicit SocketRede(const Endereco& endereco);
    ~SocketRede();
    SocketRede(SocketRede&& outro) noexcept;
    // The socket held before goes with the other, which closes it.
    SocketRede& operator=(SocketRede&& outro) noexcept
    {
        std::swap(s_, outro.s_);
        return *this;
    }
    SocketRede(const SocketRede&) = delete;
    SocketRede& operator=(const SocketRede&) = delete;

    // A datagram socket is connected at once, so an address without the service answers with a
    // refusal; a stream's connection starts, and is made when Esperar finds it writable and
    // LigacaoFeita says so. False when it failed at once.
    bool Ligar(const Endereco& endereco);
    bool LigacaoFeita() const;
    // Every byte at once: a datagram, or a short request into a new connection's empty buffer.
    bool Enviar(const std::string& bytes);

    enum class Leitura { Dados, Nada, Recusado, Fim };
    // Appends what has come; Recusado once the peer said nothing listens on the port, Fim when the
    // connection ended or failed, Nada when there is nothing yet.
    Leitura Receber(std::string& bytes);

    // Which sockets can be read (or written), an error counting as ready, within the milliseconds.
    static std::vector<bool> Esperar(const std::vector<const SocketRede*>& sockets, bool escrever, int ms);

private:
    std::intptr_t s_;
};

}  // namespace quorvelanti::sistema
