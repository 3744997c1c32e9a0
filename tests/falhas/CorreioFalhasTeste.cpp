// Mail faults in a daily automatic run of two companies: whatever the server does, the run ends
// at the first mail that fails, says why, keeps that workbook in the log folder, writes no other
// and leaves the parameter file alone.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>

#include "Cenario.h"
#include "ServidorSmtp.h"

namespace {

using falhas::Contem;

// A loopback port bound but never listening: connections to it are refused at once. The port
// stays bound for the object's life so nothing else takes it meanwhile.
class PortaFechada {
public:
    PortaFechada() : descritor_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in endereco{};
        endereco.sin_family = AF_INET;
        endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t tamanho = sizeof endereco;
        bind(descritor_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco);
        getsockname(descritor_, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
        porta_ = ntohs(endereco.sin_port);
    }
    ~PortaFechada() { close(descritor_); }
    std::string ChavesIni() const { return "Servidor=127.0.0.1\r\nPorta=" + std::to_string(porta_) + "\r\n"; }

private:
    int descritor_;
    int porta_ = 0;
};

struct FalhaCorreio {
    std::string nome;
    apoio::OpcoesSmtp opcoes;
    std::string chavesExtra;  // more "SMTP" keys
    std::string motivo;       // what stderr and the log's last line must say besides the recipient
    int tentativasVistas;     // MAIL commands the server must have seen
};

std::ostream& operator<<(std::ostream& os, const FalhaCorreio& f) { return os << f.nome; }

apoio::OpcoesSmtp opcoes(void (*mudar)(apoio::OpcoesSmtp&))
{
    apoio::OpcoesSmtp o;
    mudar(o);
    return o;
}

class CorreioFalhado : public ::testing::TestWithParam<FalhaCorreio> {
protected:
    void SetUp() override
    {
        cenario.EmpresaVazia("a.db");
        cenario.EmpresaVazia("b.db");
    }

    void correr(const std::string& chavesSmtp)
    {
        cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                           falhas::Cenario::Seccao("B", "b.db") + cenario.Globais(chavesSmtp));
        resultado = cenario.Correr();
    }

    // What must hold after any failed mail of company A's administration workbook.
    void verificarNadaPerdido(const std::string& motivo)
    {
        EXPECT_EQ(resultado.estado, 1) << resultado.erros;
        EXPECT_TRUE(Contem(resultado.erros, "adm@emp.pt")) << resultado.erros;
        EXPECT_TRUE(Contem(resultado.erros, motivo)) << resultado.erros;
        EXPECT_EQ(resultado.saida, "Emissão Mapas\n") << "no company ended, no closing line";

        const auto mensagens = cenario.MensagensRegisto();
        ASSERT_EQ(mensagens.size(), 3u);
        EXPECT_EQ(mensagens[1], "Emissão Mapas");
        EXPECT_TRUE(Contem(mensagens[2], "adm@emp.pt") && Contem(mensagens[2], motivo)) << mensagens[2];

        const auto livros = cenario.Livros();
        ASSERT_EQ(livros.size(), 1u) << "only the workbook whose mail failed, no temporary file";
        EXPECT_TRUE(std::regex_match(livros[0], std::regex("20261207[0-9]{6}-[0-9]+_Adm_A\\.xlsx"))) << livros[0];
        EXPECT_EQ(falhas::ZipsIncompletos({cenario.PastaLog() + "/" + livros[0]}), "");
        EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
    }

    falhas::Cenario cenario;
    apoio::Resultado resultado;
};

TEST_P(CorreioFalhado, TerminaNoPrimeiroCorreioEGuardaOLivro)
{
    const FalhaCorreio& f = GetParam();
    apoio::ServidorSmtp smtp(f.opcoes);
    correr(smtp.ChavesIni() + f.chavesExtra);
    verificarNadaPerdido(f.motivo);
    EXPECT_TRUE(smtp.Mensagens().empty()) << "nothing was taken, so nothing counts as sent";
    EXPECT_EQ(smtp.Transaccoes(), f.tentativasVistas);
}

INSTANTIATE_TEST_SUITE_P(
    Servidor, CorreioFalhado,
    ::testing::Values(
        FalhaCorreio{"RecusaODestinatario", opcoes([](apoio::OpcoesSmtp& o) { o.recusar = {"adm@emp.pt"}; }), "",
                     "550", 1},
        FalhaCorreio{"FechaALigacaoAMeioDaMensagem",
                     opcoes([](apoio::OpcoesSmtp& o) { o.fecharNosDados = true; }), "", "", 1},
        FalhaCorreio{"Responde4xx", opcoes([](apoio::OpcoesSmtp& o) { o.respostaDados = "451 4.3.0 Ocupado"; }), "",
                     "451", 1},
        FalhaCorreio{"Responde4xxEmTodasAsTentativas",
                     opcoes([](apoio::OpcoesSmtp& o) { o.respostaDados = "451 4.3.0 Ocupado"; }), "Tentativas=2\r\n",
                     "451", 2},
        FalhaCorreio{"Responde5xxSemNovaTentativa",
                     opcoes([](apoio::OpcoesSmtp& o) { o.respostaDados = "554 5.6.0 Conteudo recusado"; }),
                     "Tentativas=3\r\n", "554", 1},
        FalhaCorreio{"NaoResponde", opcoes([](apoio::OpcoesSmtp& o) { o.mudo = true; }), "Timeout=2\r\n", "", 0}),
    [](const ::testing::TestParamInfo<FalhaCorreio>& info) { return info.param.nome; });

TEST_F(CorreioFalhado, ServidorEmBaixo)
{
    PortaFechada porta;
    correr(porta.ChavesIni());
    verificarNadaPerdido("127.0.0.1");
}

// A passing 4xx with a retry allowed: the message goes once, and the run carries on as if
// nothing had happened.
TEST_F(CorreioFalhado, Um4xxPassageiroComNovaTentativaEnviaUmaSoVez)
{
    apoio::OpcoesSmtp o;
    o.respostaDados = "421 4.4.2 Tente mais tarde";
    o.vezes = 1;
    apoio::ServidorSmtp smtp(o);
    correr(smtp.ChavesIni() + "Tentativas=2\r\n");
    ASSERT_EQ(resultado.estado, 0) << resultado.erros;
    EXPECT_EQ(smtp.Transaccoes(), 3) << "A twice, B once";
    ASSERT_EQ(smtp.Mensagens().size(), 2u);
    EXPECT_TRUE(cenario.Livros().empty()) << "both workbooks mailed, so both deleted";
    EXPECT_EQ(cenario.MensagensRegisto().back(), "Emissão Mapas terminada");
    EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
}

}  // namespace
