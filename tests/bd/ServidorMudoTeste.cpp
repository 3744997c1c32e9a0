// A server that accepts the TCP connection and never answers must not hang the night: the login
// gives up after TimeoutLigacao. The same listener reads what FreeTDS sends, to check on the wire
// that encryption is asked for and that a password with ";" and "}" arrives whole.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "components/ConstrutorLigacao.h"
#include "components/LigacaoBD.h"
#include "data/Erro.h"

using namespace quorvelanti;
using Relogio = std::chrono::steady_clock;

namespace {

// Listens on 127.0.0.1, accepts one client and keeps every byte it sends. When told to, it
// answers the TDS prelogin with "encryption not supported", so the client goes on to the login
// packet; it never answers the login.
class Ouvinte {
public:
    explicit Ouvinte(bool responderPrelogin) : responder_(responderPrelogin)
    {
        escuta_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in endereco{};
        endereco.sin_family = AF_INET;
        endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        endereco.sin_port = 0;
        bind(escuta_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco);
        listen(escuta_, 1);
        socklen_t n = sizeof endereco;
        getsockname(escuta_, reinterpret_cast<sockaddr*>(&endereco), &n);
        porta_ = ntohs(endereco.sin_port);
        fio_ = std::thread([this] { servir(); });
    }
    ~Ouvinte()
    {
        parar_ = true;
        fio_.join();
        close(escuta_);
    }
    int Porta() const { return porta_; }
    // The payload of the first packet of the given TDS type (0x12 prelogin, 0x10 login).
    std::string Pacote(unsigned char tipo) const
    {
        std::size_t i = 0;
        while (i + 8 <= recebido_.size()) {
            std::size_t comprimento = (static_cast<unsigned char>(recebido_[i + 2]) << 8) |
                                      static_cast<unsigned char>(recebido_[i + 3]);
            if (comprimento < 8 || i + comprimento > recebido_.size()) break;
            if (static_cast<unsigned char>(recebido_[i]) == tipo) return recebido_.substr(i + 8, comprimento - 8);
            i += comprimento;
        }
        return {};
    }

private:
    void servir()
    {
        int cliente = -1;
        while (!parar_) {
            pollfd p{cliente < 0 ? escuta_ : cliente, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            if (cliente < 0) {
                cliente = accept(escuta_, nullptr, nullptr);
                continue;
            }
            char buf[4096];
            ssize_t n = read(cliente, buf, sizeof buf);
            if (n <= 0) break;
            bool primeiro = recebido_.empty();
            recebido_.append(buf, static_cast<std::size_t>(n));
            if (responder_ && primeiro) responderPrelogin(cliente);
        }
        while (!parar_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (cliente >= 0) close(cliente);
    }

    static void responderPrelogin(int cliente)
    {
        // VERSION (token 0, 6 bytes at offset 11), ENCRYPTION (token 1, 1 byte at 17) = NOT_SUP.
        const unsigned char corpo[] = {0x00, 0x00, 0x0B, 0x00, 0x06, 0x01, 0x00, 0x11, 0x00, 0x01, 0xFF,
                                       0x0F, 0x00, 0x07, 0xD0, 0x00, 0x00, 0x02};
        unsigned char pacote[8 + sizeof corpo] = {0x04, 0x01, 0x00, static_cast<unsigned char>(sizeof pacote),
                                                  0x00, 0x00, 0x01, 0x00};
        std::copy(std::begin(corpo), std::end(corpo), pacote + 8);
        ssize_t escritos = write(cliente, pacote, sizeof pacote);
        (void)escritos;
    }

    bool responder_;
    int escuta_ = -1;
    int porta_ = 0;
    std::atomic<bool> parar_{false};
    std::string recebido_;  // read by the test only after the connection attempt has ended
    std::thread fio_;
};

std::string TextoPara(int porta, const std::string& encriptacao, const std::string& timeout,
                      const std::string& password = "p")
{
    ConstrutorLigacao c;
    c.DefinirServidor("127.0.0.1," + std::to_string(porta));
    c.DefinirBaseDados("EMP01");
    c.DefinirUtilizador("rel");
    c.DefinirPassword(password);
    c.DefinirEncriptacao(encriptacao);
    c.DefinirTimeout(timeout);
    return c.TextoLigacao();
}

// The ENCRYPTION option of a prelogin payload: 0 off, 1 on, 2 not supported, 3 required.
int opcaoEncriptacao(const std::string& prelogin)
{
    for (std::size_t i = 0; i + 5 <= prelogin.size() && static_cast<unsigned char>(prelogin[i]) != 0xFF; i += 5) {
        std::size_t deslocamento = (static_cast<unsigned char>(prelogin[i + 1]) << 8) |
                                   static_cast<unsigned char>(prelogin[i + 2]);
        if (prelogin[i] == 0x01 && deslocamento < prelogin.size()) return static_cast<unsigned char>(prelogin[deslocamento]);
    }
    return -1;
}

// One UTF-16 text of the login packet, given where its offset/length pair is; the password is
// scrambled by the protocol (nibbles swapped, then XOR 0xA5).
std::string textoLogin(const std::string& login, std::size_t par, bool password)
{
    auto u16 = [&](std::size_t i) {
        return static_cast<std::size_t>(static_cast<unsigned char>(login[i]) |
                                        (static_cast<unsigned char>(login[i + 1]) << 8));
    };
    std::size_t inicio = u16(par), caracteres = u16(par + 2);
    std::string texto;
    for (std::size_t k = 0; k < caracteres; ++k) {
        auto b = static_cast<unsigned char>(login.at(inicio + 2 * k));
        if (password) {
            b ^= 0xA5;
            b = static_cast<unsigned char>((b << 4) | (b >> 4));
        }
        texto += static_cast<char>(b);  // the texts here are ASCII
    }
    return texto;
}

TEST(ServidorMudo, LoginDesisteNoTempoDefinido)
{
    Ouvinte ouvinte(false);
    LigacaoBD ligacao;
    auto inicio = Relogio::now();
    try {
        ligacao.AbrirLigacao(TextoPara(ouvinte.Porta(), "pedir", "2"));
        FAIL() << "ligou a um servidor que não responde";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::TempoLigacaoEsgotado) << e.DescricaoCompleta();
        EXPECT_NE(e.Descricao().find("não respondeu em 2 s"), std::string::npos) << e.Descricao();
        EXPECT_EQ(e.DescricaoCompleta().find("PWD=p"), std::string::npos);
    }
    double segundos = std::chrono::duration<double>(Relogio::now() - inicio).count();
    EXPECT_GE(segundos, 1.5);
    EXPECT_LT(segundos, 8.0);
    EXPECT_FALSE(ligacao.Aberta());
    // By default the client offers encryption: anything but "not supported".
    int opcao = opcaoEncriptacao(ouvinte.Pacote(0x12));
    EXPECT_TRUE(opcao == 0x00 || opcao == 0x01) << opcao;
}

TEST(ServidorMudo, EncriptacaoExigidaOuRecusadaNoPrelogin)
{
    for (auto [encriptacao, esperada] : {std::pair{"exigir", 0x01}, std::pair{"nao", 0x02}}) {
        Ouvinte ouvinte(false);
        LigacaoBD ligacao;
        EXPECT_THROW(ligacao.AbrirLigacao(TextoPara(ouvinte.Porta(), encriptacao, "1")), Erro);
        EXPECT_EQ(opcaoEncriptacao(ouvinte.Pacote(0x12)), esperada) << encriptacao;
    }
}

TEST(ServidorMudo, PasswordComPontoEVirgulaEChavetasChegaInteira)
{
    for (std::string password : {"a;b}c{d", "x}", " {y "}) {
        Ouvinte ouvinte(true);
        LigacaoBD ligacao;
        EXPECT_THROW(ligacao.AbrirLigacao(TextoPara(ouvinte.Porta(), "nao", "1", password)), Erro);
        std::string login = ouvinte.Pacote(0x10);
        ASSERT_GT(login.size(), 44u) << "sem pacote de login";
        EXPECT_EQ(textoLogin(login, 40, false), "rel");      // UserName
        EXPECT_EQ(textoLogin(login, 44, true), password);    // Password
    }
}

}  // namespace
