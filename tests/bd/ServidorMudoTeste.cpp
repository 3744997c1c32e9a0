// A server that accepts the TCP connection and never answers must not hang the night: the login
// gives up after TimeoutLigacao, a named instance's lookup included. The same loopback server
// reads what FreeTDS sends, to check on the wire that encryption is asked for and that passwords
// with ";", "}" or letters outside ASCII arrive as written.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "Apoio.h"
#include "ServidorTds.h"
#include "components/database/ConstrutorLigacao.h"
#include "components/database/LigacaoBD.h"
#include "components/files/LeitorIni.h"
#include "data/ConjuntoResultados.h"
#include "data/Erro.h"
#include "data/Texto.h"

using namespace quorvelanti;
using Relogio = std::chrono::steady_clock;

namespace {

using apoio::ServidorTds;

std::string Local(int porta) { return "127.0.0.1," + std::to_string(porta); }

std::string TextoPara(const std::string& servidor, const std::string& encriptacao, const std::string& timeout,
                      const std::string& password = "p", const std::string& utilizador = "rel",
                      const std::string& baseDados = "EMP01")
{
    ConstrutorLigacao c;
    c.DefinirServidor(servidor);
    c.DefinirBaseDados(baseDados);
    c.DefinirUtilizador(utilizador);
    c.DefinirPassword(password);
    c.DefinirEncriptacao(encriptacao);
    c.DefinirTimeout(timeout);
    return c.TextoLigacao();
}

TEST(ServidorMudo, LoginDesisteNoTempoDefinido)
{
    ServidorTds servidor(ServidorTds::Modo::Mudo);
    LigacaoBD ligacao;
    auto inicio = Relogio::now();
    try {
        ligacao.AbrirLigacao(TextoPara(Local(servidor.Porta()), "pedir", "2"));
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
    int opcao = apoio::OpcaoEncriptacao(servidor.Pacote(0x12));
    EXPECT_TRUE(opcao == 0x00 || opcao == 0x01) << opcao;
}

TEST(ServidorMudo, EncriptacaoExigidaOuRecusadaNoPrelogin)
{
    for (auto [encriptacao, esperada] : {std::pair{"exigir", 0x01}, std::pair{"nao", 0x02}}) {
        ServidorTds servidor(ServidorTds::Modo::Mudo);
        LigacaoBD ligacao;
        EXPECT_THROW(ligacao.AbrirLigacao(TextoPara(Local(servidor.Porta()), encriptacao, "1")), Erro);
        EXPECT_EQ(apoio::OpcaoEncriptacao(servidor.Pacote(0x12)), esperada) << encriptacao;
    }
}

TEST(ServidorMudo, PasswordComPontoEVirgulaEChavetasChegaInteira)
{
    for (std::string password : {"a;b}c{d", "x}", " {y "}) {
        ServidorTds servidor(ServidorTds::Modo::Prelogin);
        LigacaoBD ligacao;
        EXPECT_THROW(ligacao.AbrirLigacao(TextoPara(Local(servidor.Porta()), "nao", "1", password)), Erro);
        std::string login = servidor.Pacote(0x10);
        ASSERT_GT(login.size(), 44u) << "sem pacote de login";
        EXPECT_EQ(apoio::TextoLogin(login, apoio::CampoLogin::Utilizador), u"rel");
        EXPECT_EQ(apoio::TextoLogin(login, apoio::CampoLogin::Password), std::u16string(password.begin(), password.end()));
    }
}

// User, password and database with letters outside ASCII, from a parameter file in either
// encoding, log in as written.
TEST(ServidorMudo, CredenciaisComAcentosChegamComoEscritas)
{
    const std::string seccao = "[A]\r\nUsername=Zé\r\nPassword=Relatório€\r\nEmpresa=Café\r\n";
    for (const std::string& bytes : {seccao, texto::ParaWindows1252(seccao)}) {
        apoio::PastaTemporaria pasta;
        apoio::EscreverBytes(pasta / "p.qel", bytes);
        LeitorIni ini;
        ini.DefinirFicheiro(pasta / "p.qel");
        ServidorTds servidor(ServidorTds::Modo::Login);
        LigacaoBD ligacao;
        ligacao.AbrirLigacao(TextoPara(Local(servidor.Porta()), "pedir", "5", ini.LerValor("A", "Password"),
                                       ini.LerValor("A", "Username"), ini.LerValor("A", "Empresa")));
        const std::string login = servidor.Pacote(0x10);
        EXPECT_EQ(apoio::TextoLogin(login, apoio::CampoLogin::Password), u"Relatório€");
        EXPECT_EQ(apoio::TextoLogin(login, apoio::CampoLogin::Utilizador), u"Zé");
        EXPECT_EQ(apoio::TextoLogin(login, apoio::CampoLogin::BaseDados), u"Café");
    }
}

// Through the real driver manager and FreeTDS, a statement reaches the server in UTF-16 exactly
// as the trace shows it (a group or client code with an accent compares as written), and the
// names and texts of the answer, nvarchar and Windows-1252 varchar alike, arrive as sent.
TEST(ServidorMudo, InstrucaoChegaComoORegistoEARespostaComoEnviada)
{
    apoio::PastaTemporaria pasta;
    ServidorTds servidor(ServidorTds::Modo::Resposta);
    LigacaoBD ligacao;
    ligacao.DefinirRegistoSql(pasta / "trace.sql");
    ligacao.AbrirLigacao(TextoPara(Local(servidor.Porta()), "nao", "5"));
    const std::string sql = "SELECT a.Nome as 'Designação' FROM ARTIGOS as a WHERE a.Grupo Not IN ('PORTES','SERVIÇOS') "
                            "AND a.Codigo='AÇÃO-€1'";
    ConjuntoResultados rs;
    ligacao.AbrirConsulta(sql, rs);
    EXPECT_EQ(apoio::LerBytes(pasta / "trace.sql"), sql + "\n");
    EXPECT_EQ(apoio::TextoLote(servidor.Pacote(0x01)), texto::ParaUtf16(sql));

    ASSERT_EQ(rs.NumeroCampos(), 2u);
    EXPECT_EQ(rs.CampoEm(0).nome, "Designação");
    EXPECT_EQ(rs.CampoEm(1).nome, "Grupo");
    ASSERT_EQ(rs.ContarRegistos(), 1);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("Designação"), "SERVIÇOS €");
    EXPECT_EQ(rs.Texto("Grupo"), "Acção");
}

// Statements sent ahead through FreeTDS go several to a batch on several connections: each
// reaches the server once, and each answer, or the server's error for the one that fails among
// them, comes where it is asked for, in the order of the trace.
TEST(ServidorMudo, InstrucoesAntecipadasEmLotesChegamUmaVezCada)
{
    apoio::PastaTemporaria pasta;
    ServidorTds servidor(ServidorTds::Modo::Resposta);
    LigacaoBD ligacao;
    ligacao.DefinirRegistoSql(pasta / "trace.sql");
    ligacao.AbrirLigacao(TextoPara(Local(servidor.Porta()), "nao", "5") + ";LigacoesConsulta=4");
    std::vector<std::string> sqls;
    for (int i = 0; i < 60; ++i)
        sqls.push_back("SELECT a.Nome FROM ARTIGOS as a WHERE a.Codigo='" + (i == 41 ? std::string("FALHA") : "Ç" + std::to_string(i)) + "'");
    ligacao.Antecipar(sqls);
    std::string trace;
    for (const auto& sql : sqls) {
        ConjuntoResultados rs;
        trace += sql + "\n";
        try {
            ligacao.AbrirConsulta(sql, rs);
            rs.MoverPrimeiro();
            EXPECT_EQ(rs.Texto("Designação"), "SERVIÇOS €");
            EXPECT_EQ(sql.find("FALHA"), std::string::npos);
        } catch (const Erro& e) {
            EXPECT_NE(sql.find("FALHA"), std::string::npos) << e.DescricaoCompleta();
            EXPECT_NE(e.Detalhe().find("Invalid object name 'FALHA'."), std::string::npos) << e.Detalhe();
        }
    }
    EXPECT_EQ(apoio::LerBytes(pasta / "trace.sql"), trace);

    std::multiset<std::u16string> pedidas, recebidas;
    for (const auto& sql : sqls) pedidas.insert(texto::ParaUtf16(sql));
    const auto lotes = servidor.Lotes();
    for (const auto& lote : lotes)
        for (std::size_t inicio = 0; inicio <= lote.size();) {
            const std::size_t fim = std::min(lote.find(u'\n', inicio), lote.size());
            recebidas.insert(lote.substr(inicio, fim - inicio));
            inicio = fim + 1;
        }
    EXPECT_EQ(recebidas, pedidas);
    EXPECT_LT(lotes.size(), sqls.size() / 2);  // several to a round trip
    EXPECT_EQ(ligacao.ConsultasEnviadas(), static_cast<long>(sqls.size()));
}

// The instance service on 127.0.0.1:1434: silent, or answering with the given TCP port.
class ServicoInstancias {
public:
    explicit ServicoInstancias(int portaTcp) : portaTcp_(portaTcp)
    {
        udp_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in endereco{};
        endereco.sin_family = AF_INET;
        endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        endereco.sin_port = htons(1434);
        disponivel_ = bind(udp_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0;
        if (disponivel_) fio_ = std::thread([this] { servir(); });
    }
    ~ServicoInstancias()
    {
        parar_ = true;
        if (fio_.joinable()) fio_.join();
        close(udp_);
    }
    bool Disponivel() const { return disponivel_; }
    int Pedidos() const { return pedidos_; }

private:
    void servir()
    {
        while (!parar_) {
            pollfd p{udp_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char buf[512] = {};
            sockaddr_in cliente{};
            socklen_t n = sizeof cliente;
            ssize_t lidos = recvfrom(udp_, buf, sizeof buf - 1, 0, reinterpret_cast<sockaddr*>(&cliente), &n);
            if (lidos < 2 || buf[0] != 0x04 || std::string(buf + 1) != "ERP") continue;
            ++pedidos_;
            if (portaTcp_ == 0) continue;
            const std::string dados = "ServerName;H;InstanceName;OUTRA;IsClustered;No;Version;15.0;tcp;1;;"
                                      "ServerName;H;InstanceName;erp;IsClustered;No;Version;15.0;tcp;" +
                                      std::to_string(portaTcp_) + ";;";
            const std::string resposta = std::string{0x05, static_cast<char>(dados.size()), 0x00} + dados;
            sendto(udp_, resposta.data(), resposta.size(), 0, reinterpret_cast<sockaddr*>(&cliente), n);
        }
    }
    int portaTcp_;
    int udp_ = -1;
    bool disponivel_ = false;
    std::atomic<bool> parar_{false};
    std::atomic<int> pedidos_{0};
    std::thread fio_;
};

// Nobody answering for the instance costs TimeoutLigacao, not FreeTDS's own 16 s; a refusal
// ends at once; an answer gives the driver the instance's port.
TEST(ServidorMudo, InstanciaNomeadaCabeNoTimeoutLigacao)
{
    {
        ServicoInstancias mudo(0);
        if (!mudo.Disponivel()) GTEST_SKIP() << "a porta UDP 1434 de 127.0.0.1 está ocupada";
        LigacaoBD ligacao;
        auto inicio = Relogio::now();
        try {
            ligacao.AbrirLigacao(TextoPara("127.0.0.1\\ERP", "pedir", "2"));
            FAIL() << "ligou sem saber a porta da instância";
        } catch (const Erro& e) {
            EXPECT_EQ(e.Numero(), erros::TempoLigacaoEsgotado) << e.DescricaoCompleta();
            EXPECT_NE(e.DescricaoCompleta().find("não respondeu em 2 s"), std::string::npos) << e.DescricaoCompleta();
            EXPECT_NE(e.DescricaoCompleta().find("UDP 1434"), std::string::npos) << e.DescricaoCompleta();
        }
        double segundos = std::chrono::duration<double>(Relogio::now() - inicio).count();
        EXPECT_GE(segundos, 1.5);
        EXPECT_LT(segundos, 3.0);
        EXPECT_GE(mudo.Pedidos(), 2) << "the question is asked again while waiting";
    }
    {
        // Nothing on the port at all: the host refuses the question and the run need not wait.
        LigacaoBD ligacao;
        auto inicio = Relogio::now();
        try {
            ligacao.AbrirLigacao(TextoPara("127.0.0.1\\ERP", "pedir", "5"));
            FAIL() << "ligou sem serviço de instâncias";
        } catch (const Erro& e) {
            EXPECT_EQ(e.Numero(), erros::LigacaoFalhou) << e.DescricaoCompleta();
            EXPECT_NE(e.Descricao().find("não está a correr"), std::string::npos) << e.Descricao();
        }
        EXPECT_LT(std::chrono::duration<double>(Relogio::now() - inicio).count(), 1.0);
    }
    ServidorTds servidor(ServidorTds::Modo::Login);
    ServicoInstancias servico(servidor.Porta());
    LigacaoBD ligacao;
    ligacao.AbrirLigacao(TextoPara("127.0.0.1\\ERP", "pedir", "5"));
    EXPECT_TRUE(ligacao.Aberta());
    EXPECT_FALSE(servidor.Pacote(0x10).empty());
}

}  // namespace
