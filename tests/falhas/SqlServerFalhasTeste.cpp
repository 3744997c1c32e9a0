// A company on SQL Server (the real FreeTDS driver against a loopback server) that stops the
// night: a statement the server never answers, and a server without the encryption the company
// demands. Either way the run ends at once with exit 1, saying which company and why.
#include <gtest/gtest.h>

#include <chrono>

#include "Cenario.h"
#include "ServidorTds.h"

namespace {

using apoio::ServidorTds;
using falhas::Contem;

std::string seccaoSqlServer(int porta, const std::string& extra)
{
    return "[A]\r\nServidor=127.0.0.1," + std::to_string(porta) +
           "\r\nEmpresa=EMP01\r\nUsername=rel\r\nPassword=p\r\nDestinoAdm=adm@emp.pt\r\n" + extra;
}

class SqlServerEmFalha : public ::testing::Test {
protected:
    // Company A on the server, then an embedded company B that the run must never reach.
    apoio::Resultado correr(const ServidorTds& servidor, const std::string& extra)
    {
        cenario.EmpresaVazia("b.db");
        cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + seccaoSqlServer(servidor.Porta(), extra) +
                           falhas::Cenario::Seccao("B", "b.db") + cenario.Globais("PastaSaida=" + cenario.Base() + "\r\n"));
        const auto inicio = std::chrono::steady_clock::now();
        auto r = cenario.Correr();
        segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        return r;
    }

    void verificarFimEmA(const apoio::Resultado& r, const std::string& motivo)
    {
        EXPECT_EQ(r.estado, 1) << r.erros;
        EXPECT_TRUE(Contem(r.erros, "empresa A") && Contem(r.erros, motivo)) << r.erros;
        EXPECT_EQ(r.saida, "Emissão Mapas\n");
        EXPECT_TRUE(Contem(cenario.MensagensRegisto().back(), motivo)) << cenario.MensagensRegisto().back();
        EXPECT_TRUE(cenario.Livros().empty());
    }

    falhas::Cenario cenario;
    double segundos = 0;
};

TEST_F(SqlServerEmFalha, InstrucaoSemRespostaTerminaNoTimeoutConsulta)
{
    ServidorTds servidor(ServidorTds::Modo::Login);
    const auto r = correr(servidor, "TimeoutConsulta=2\r\n");
    verificarFimEmA(r, "demorou mais do que TimeoutConsulta (2 s)");
    EXPECT_TRUE(Contem(r.erros, "SELECT NOME, NumContr FROM dbo.EMPRESA")) << "quotes the statement: " << r.erros;
    EXPECT_GE(segundos, 2.0);
    EXPECT_LT(segundos, 5.0);
    EXPECT_FALSE(servidor.Pacote(0x01).empty()) << "the statement reached the server";
}

TEST_F(SqlServerEmFalha, EncriptacaoExigidaAUmServidorQueNaoAOferece)
{
    ServidorTds servidor(ServidorTds::Modo::Prelogin);
    const auto r = correr(servidor, "Encriptacao=exigir\r\nTimeoutLigacao=5\r\n");
    verificarFimEmA(r, "não oferece encriptação e Encriptacao=exigir exige-a");
    EXPECT_LT(segundos, 5.0);
    EXPECT_TRUE(servidor.Pacote(0x10).empty()) << "no login was sent to it";
}

}  // namespace
