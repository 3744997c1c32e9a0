#include "ServidorSmtpComPausa.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>

namespace falhas {

namespace {

void enviar(int ligacao, const std::string& resposta)
{
    const std::string linha = resposta + "\r\n";
    (void)!send(ligacao, linha.data(), linha.size(), MSG_NOSIGNAL);
}

// One line without its CRLF; false when the client went away.
bool lerLinha(int ligacao, std::string& pendente, std::string& linha)
{
    for (;;) {
        if (auto fim = pendente.find("\r\n"); fim != std::string::npos) {
            linha = pendente.substr(0, fim);
            pendente.erase(0, fim + 2);
            return true;
        }
        char buf[65536];
        const ssize_t n = recv(ligacao, buf, sizeof buf, 0);
        if (n <= 0) return false;
        pendente.append(buf, static_cast<std::size_t>(n));
    }
}

std::string verbo(const std::string& linha)
{
    std::string v = linha.substr(0, linha.find(' '));
    for (auto& c : v) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return v;
}

}  // namespace

ServidorSmtpComPausa::ServidorSmtpComPausa(std::function<void()> naPrimeiraMensagem)
    : accao_(std::move(naPrimeiraMensagem))
{
    escuta_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tamanho = sizeof endereco;
    if (escuta_ < 0 || bind(escuta_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        listen(escuta_, 4) != 0 || getsockname(escuta_, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0)
        throw std::runtime_error("o servidor SMTP de teste não abre uma porta em 127.0.0.1");
    porta_ = ntohs(endereco.sin_port);
    fio_ = std::thread([this] { servir(); });
}

ServidorSmtpComPausa::~ServidorSmtpComPausa()
{
    parar_ = true;
    fio_.join();
    close(escuta_);
}

std::string ServidorSmtpComPausa::ChavesIni() const
{
    return "Servidor=127.0.0.1\r\nPorta=" + std::to_string(porta_) + "\r\nTimeout=30\r\n";
}

std::vector<std::string> ServidorSmtpComPausa::Mensagens() const
{
    std::lock_guard<std::mutex> bloqueio(guarda_);
    return mensagens_;
}

// Polls, so the destructor can stop it without a connection.
void ServidorSmtpComPausa::servir()
{
    while (!parar_) {
        pollfd p{escuta_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const int ligacao = accept4(escuta_, nullptr, nullptr, SOCK_CLOEXEC);
        if (ligacao < 0) continue;
        conversar(ligacao);
        close(ligacao);
    }
}

void ServidorSmtpComPausa::conversar(int ligacao)
{
    enviar(ligacao, "220 teste.local ESMTP");
    std::string pendente, linha;
    while (lerLinha(ligacao, pendente, linha)) {
        const std::string v = verbo(linha);
        if (v == "EHLO" || v == "HELO") {
            enviar(ligacao, "250 teste.local");
        } else if (v == "DATA") {
            enviar(ligacao, "354 Fim com <CR><LF>.<CR><LF>");
            std::string dados = receberDados(ligacao, pendente);
            bool primeira;
            {
                std::lock_guard<std::mutex> bloqueio(guarda_);
                primeira = mensagens_.empty();
                mensagens_.push_back(std::move(dados));
            }
            if (primeira && accao_) accao_();
            enviar(ligacao, "250 2.0.0 OK");
        } else if (v == "QUIT") {
            enviar(ligacao, "221 Adeus");
            return;
        } else {
            enviar(ligacao, "250 OK");  // MAIL, RCPT, RSET, NOOP
        }
    }
}

std::string ServidorSmtpComPausa::receberDados(int ligacao, std::string& pendente)
{
    std::string dados, linha;
    while (lerLinha(ligacao, pendente, linha) && linha != ".")
        dados += (linha.rfind("..", 0) == 0 ? linha.substr(1) : linha) + "\r\n";
    return dados;
}

}  // namespace falhas
