#pragma once
// Asks a SQL Server directly what the FreeTDS driver learns too slowly or does not tell: the TCP
// port of a named instance, from the server's instance service (UDP 1434), and whether the
// server offers encryption at all, from its answer to a pre-login packet. Both give up at a
// deadline, so the whole connection can keep to one timeout.
//
//   auto prazo = std::chrono::steady_clock::now() + std::chrono::seconds(30);
//   std::optional<int> porta = SondaSqlServer::PortaInstancia("sql01", "ERP", prazo);  // 49731
//   std::optional<bool> cifra = SondaSqlServer::OfereceEncriptacao("sql01", 1433, prazo);
#include <chrono>
#include <optional>
#include <string>

namespace quorvelanti {

class SondaSqlServer {
public:
    using Prazo = std::chrono::steady_clock::time_point;

    // The TCP port of the instance (its name compared ignoring letter case); nullopt when no
    // answer came before the deadline. Raises Erro (LigacaoFalhou) when the host is unknown,
    // when the host refuses the question (no instance service runs there) or when the answer
    // gives the instance no TCP port.
    static std::optional<int> PortaInstancia(const std::string& anfitriao, const std::string& instancia, Prazo prazo);

    // false when the server answers that it supports no encryption, true when it supports it;
    // nullopt when it could not be asked or gave no usable answer before the deadline.
    static std::optional<bool> OfereceEncriptacao(const std::string& anfitriao, int porta, Prazo prazo);
};

}  // namespace quorvelanti
