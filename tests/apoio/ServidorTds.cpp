#include "ServidorTds.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <vector>

namespace apoio {

namespace {

constexpr unsigned char kPrelogin = 0x12, kLogin = 0x10, kAtencao = 0x06, kResposta = 0x04, kLote = 0x01;

// One whole packet from the server: type 0x04, last of its message, spid 0x33.
std::string pacote(const std::string& corpo)
{
    const std::size_t n = 8 + corpo.size();
    return std::string{static_cast<char>(kResposta), 0x01, static_cast<char>(n >> 8), static_cast<char>(n & 0xFF),
                       0x00, 0x33, 0x01, 0x00} +
           corpo;
}

std::string bytes(std::initializer_list<unsigned char> lista) { return std::string(lista.begin(), lista.end()); }

// DONE with the given status (0x20: the cancel acknowledged), no row count.
std::string done(unsigned char estado) { return bytes({0xFD, estado, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}); }

// VERSION (token 0, 6 bytes at offset 11), ENCRYPTION (token 1, 1 byte at 17) = NOT_SUP.
std::string respostaPrelogin()
{
    return pacote(bytes({0x00, 0x00, 0x0B, 0x00, 0x06, 0x01, 0x00, 0x11, 0x00, 0x01, 0xFF, 0x0F, 0x00, 0x07, 0xD0,
                         0x00, 0x00, 0x02}));
}

// LOGINACK: interface 1 (SQL), TDS 7.4, program name "T" in UTF-16, version 15.0; then DONE.
std::string respostaLogin()
{
    const std::string ack = bytes({0x01, 0x74, 0x00, 0x00, 0x04, 0x01, 'T', 0x00, 0x0F, 0x00, 0x07, 0xD0});
    return pacote(bytes({0xAD, static_cast<unsigned char>(ack.size()), 0x00}) + ack + done(0));
}

// Two bytes, little-endian.
std::string u16le(std::size_t n) { return bytes({static_cast<unsigned char>(n & 0xFF), static_cast<unsigned char>(n >> 8)}); }

std::string utf16le(const std::u16string& texto)
{
    std::string s;
    for (char16_t c : texto) s += u16le(c);
    return s;
}

// COLMETADATA, one ROW and DONE (one row): an nvarchar and a varchar of collation
// SQL_Latin1_General_CP1_CI_AS (Windows-1252), each with its name; 'mais': another result follows.
std::string resultado(bool mais)
{
    const std::string colacao = bytes({0x09, 0x04, 0xD0, 0x00, 0x34});
    auto coluna = [&](unsigned char tipo, const std::u16string& nome) {
        return bytes({0, 0, 0, 0, 0x01, 0x00, tipo}) + u16le(100) + colacao +
               static_cast<char>(nome.size()) + utf16le(nome);
    };
    const std::string valor = utf16le(u"SERVIÇOS €");
    const std::string valorCp1252 = "Ac\xE7\xE3o";
    return bytes({0x81}) + u16le(2) + coluna(0xE7, u"Designação") + coluna(0xA7, u"Grupo") + bytes({0xD1}) +
           u16le(valor.size()) + valor + u16le(valorCp1252.size()) + valorCp1252 +
           bytes({0xFD, static_cast<unsigned char>(mais ? 0x11 : 0x10), 0x00, 0xC1, 0x00, 1, 0, 0, 0, 0, 0, 0, 0});
}

// ERROR 208, class 16, "Invalid object name 'FALHA'.", then DONE with its error bit.
std::string erroDeInstrucao(bool mais)
{
    const std::u16string texto = u"Invalid object name 'FALHA'.";
    std::string corpo = bytes({0xD0, 0x00, 0x00, 0x00, 0x01, 0x10}) + u16le(texto.size()) + utf16le(texto);
    corpo += bytes({0x00, 0x00, 0x01, 0x00, 0x00, 0x00});  // no server or procedure name; line 1
    return bytes({0xAA}) + u16le(corpo.size()) + corpo + bytes({0xFD, static_cast<unsigned char>(mais ? 0x03 : 0x02),
                                                              0x00, 0xC1, 0x00, 0, 0, 0, 0, 0, 0, 0, 0});
}

// One result per line of the batch's text: a line that names FALHA fails, every other answers.
std::string respostaLote(const std::u16string& texto)
{
    std::string corpo;
    for (std::size_t inicio = 0; inicio <= texto.size();) {
        const std::size_t fim = std::min(texto.find(u'\n', inicio), texto.size());
        const bool mais = fim < texto.size();
        corpo += texto.substr(inicio, fim - inicio).find(u"FALHA") != std::u16string::npos ? erroDeInstrucao(mais)
                                                                                          : resultado(mais);
        inicio = fim + 1;
    }
    std::string pacotes;  // as many packets as the answer needs
    for (std::size_t i = 0; i < corpo.size(); i += 4000) {
        std::string um = pacote(corpo.substr(i, 4000));
        if (i + 4000 < corpo.size()) um[1] = 0x00;  // not the last
        pacotes += um;
    }
    return pacotes;
}

// ERROR 18456, state 1, class 14, "Login failed for user 'rel'." in UTF-16; then DONE with its
// error bit: what a server says to a wrong password.
std::string respostaLoginRecusado()
{
    const std::string texto = "Login failed for user 'rel'.";
    std::string corpo = bytes({0x18, 0x48, 0x00, 0x00, 0x01, 0x0E, static_cast<unsigned char>(texto.size()), 0x00});
    for (char c : texto) corpo += std::string{c, 0x00};
    corpo += bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00});  // no server or procedure name; line 0
    return pacote(bytes({0xAA, static_cast<unsigned char>(corpo.size()), 0x00}) + corpo + done(0x02));
}

void escrever(int cliente, const std::string& dados)
{
    ssize_t escritos = write(cliente, dados.data(), dados.size());
    (void)escritos;  // a client that went away needs no answer
}

std::size_t comprimento(const std::string& s, std::size_t i)
{
    return (static_cast<unsigned char>(s[i + 2]) << 8) | static_cast<unsigned char>(s[i + 3]);
}

}  // namespace

ServidorTds::ServidorTds(Modo modo) : modo_(modo)
{
    escuta_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(escuta_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco);
    listen(escuta_, 8);
    socklen_t n = sizeof endereco;
    getsockname(escuta_, reinterpret_cast<sockaddr*>(&endereco), &n);
    porta_ = ntohs(endereco.sin_port);
    fio_ = std::thread([this] { servir(); });
}

ServidorTds::~ServidorTds()
{
    parar_ = true;
    fio_.join();
    close(escuta_);
}

std::vector<std::u16string> ServidorTds::Lotes() const
{
    std::lock_guard<std::mutex> guarda(mutex_);
    return lotes_;
}

std::string ServidorTds::Pacote(unsigned char tipo) const
{
    std::lock_guard<std::mutex> guarda(mutex_);
    for (std::size_t i = 0; i + 8 <= pacotes_.size(); i += comprimento(pacotes_, i))
        if (static_cast<unsigned char>(pacotes_[i]) == tipo) return pacotes_.substr(i + 8, comprimento(pacotes_, i) - 8);
    return {};
}

void ServidorTds::servir()
{
    std::map<int, std::string> clientes;  // socket -> bytes not yet a whole packet
    std::map<int, std::string> lotes;     // socket -> the packets so far of a batch still coming
    while (!parar_) {
        std::vector<pollfd> espera{{escuta_, POLLIN, 0}};
        for (const auto& [cliente, resto] : clientes) espera.push_back({cliente, POLLIN, 0});
        if (poll(espera.data(), espera.size(), 50) <= 0) continue;
        if (espera[0].revents & POLLIN) clientes[accept(escuta_, nullptr, nullptr)];
        for (std::size_t k = 1; k < espera.size(); ++k) {
            if (!(espera[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const int cliente = espera[k].fd;
            char buf[4096];
            ssize_t n = read(cliente, buf, sizeof buf);
            if (n <= 0) {
                close(cliente);
                clientes.erase(cliente);
                continue;
            }
            std::string& resto = clientes[cliente];
            resto.append(buf, static_cast<std::size_t>(n));
            while (resto.size() >= 8 && comprimento(resto, 0) >= 8 && resto.size() >= comprimento(resto, 0)) {
                const std::string um = resto.substr(0, comprimento(resto, 0));
                resto.erase(0, um.size());
                {
                    std::lock_guard<std::mutex> guarda(mutex_);
                    pacotes_ += um;
                }
                const auto tipo = static_cast<unsigned char>(um[0]);
                if (modo_ != Modo::Mudo && tipo == kPrelogin) escrever(cliente, respostaPrelogin());
                const bool entra = modo_ == Modo::Login || modo_ == Modo::Resposta;
                if (entra && tipo == kLogin) escrever(cliente, respostaLogin());
                if (modo_ == Modo::Recusa && tipo == kLogin) escrever(cliente, respostaLoginRecusado());
                // A server always acknowledges a cancel, even of a statement it is stuck on.
                if (entra && tipo == kAtencao) escrever(cliente, pacote(done(0x20)));
                if (modo_ != Modo::Resposta || tipo != kLote) continue;
                lotes[cliente] += um.substr(8);
                if (!(um[1] & 0x01)) continue;  // more packets of this batch to come
                const std::u16string texto = TextoLote(lotes[cliente]);
                lotes.erase(cliente);
                {
                    std::lock_guard<std::mutex> guarda(mutex_);
                    lotes_.push_back(texto);
                }
                escrever(cliente, respostaLote(texto));
            }
        }
    }
    for (const auto& [cliente, resto] : clientes) close(cliente);
}

int OpcaoEncriptacao(const std::string& prelogin)
{
    for (std::size_t i = 0; i + 5 <= prelogin.size() && static_cast<unsigned char>(prelogin[i]) != 0xFF; i += 5) {
        std::size_t deslocamento = (static_cast<unsigned char>(prelogin[i + 1]) << 8) |
                                   static_cast<unsigned char>(prelogin[i + 2]);
        if (prelogin[i] == 0x01 && deslocamento < prelogin.size()) return static_cast<unsigned char>(prelogin[deslocamento]);
    }
    return -1;
}

std::u16string TextoLogin(const std::string& login, CampoLogin campo)
{
    // Offset/length pairs of the fixed part: user name at 40, password at 44, database at 68.
    const std::size_t par = campo == CampoLogin::Utilizador ? 40 : campo == CampoLogin::Password ? 44 : 68;
    auto u16 = [&](std::size_t i) {
        return static_cast<std::size_t>(static_cast<unsigned char>(login.at(i)) |
                                        (static_cast<unsigned char>(login.at(i + 1)) << 8));
    };
    std::u16string texto;
    for (std::size_t k = 0; k < u16(par + 2); ++k) {
        unsigned char b[2] = {static_cast<unsigned char>(login.at(u16(par) + 2 * k)),
                              static_cast<unsigned char>(login.at(u16(par) + 2 * k + 1))};
        // The password is scrambled by the protocol: nibbles swapped, then XOR 0xA5.
        if (campo == CampoLogin::Password)
            for (auto& x : b) {
                x ^= 0xA5;
                x = static_cast<unsigned char>((x << 4) | (x >> 4));
            }
        texto += static_cast<char16_t>(b[0] | (b[1] << 8));
    }
    return texto;
}

std::u16string TextoLote(const std::string& lote)
{
    // The payload opens with its headers, whose total length is the first four bytes.
    if (lote.size() < 4) return {};
    std::size_t i = 0;
    for (int k = 3; k >= 0; --k) i = (i << 8) | static_cast<unsigned char>(lote[static_cast<std::size_t>(k)]);
    std::u16string texto;
    for (; i + 1 < lote.size(); i += 2)
        texto += static_cast<char16_t>(static_cast<unsigned char>(lote[i]) | (static_cast<unsigned char>(lote[i + 1]) << 8));
    return texto;
}

}  // namespace apoio
