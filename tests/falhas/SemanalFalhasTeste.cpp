// Mail faults in the weekly automatic run ("/3S"), where one company sends a message per client:
// a failure after some clients were mailed ends the run there, keeps that client's workbook and
// leaves nothing else behind, so a later run can be told apart from what was already sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "Cenario.h"
#include "ServidorSmtp.h"

namespace fs = std::filesystem;

namespace {

using falhas::Contem;

class SemanalComFalha : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        modelo = new falhas::Cenario;
        modelo->EmpresaGerada("semana.db", 6000);
    }
    static void TearDownTestSuite()
    {
        delete modelo;
        modelo = nullptr;
    }

    void SetUp() override { fs::copy_file(modelo->Dorvam() + "/semana.db", cenario.Dorvam() + "/semana.db"); }

    apoio::Resultado correr(const apoio::ServidorSmtp& smtp, const std::string& chavesExtra = "")
    {
        cenario.Parametros("[EMPRESAS]\r\nW\r\n[FIM]\r\n" + falhas::Cenario::Seccao("W", "semana.db") +
                               cenario.Globais(smtp.ChavesIni() + chavesExtra),
                           "MapaEncSemana.qel");
        return cenario.Correr("/3S");
    }

    static falhas::Cenario* modelo;
    falhas::Cenario cenario;
};
falhas::Cenario* SemanalComFalha::modelo = nullptr;

TEST_F(SemanalComFalha, DestinatarioRecusadoAMeioTerminaAliEGuardaSoEsseLivro)
{
    // A first run, with every mail taken, tells which messages go out and in which order.
    std::vector<apoio::MensagemRecebida> todas;
    {
        apoio::ServidorSmtp smtp;
        const auto r = correr(smtp);
        ASSERT_EQ(r.estado, 0) << r.erros;
        todas = smtp.Mensagens();
        ASSERT_GT(todas.size(), 100u);
        EXPECT_EQ(smtp.Ligacoes(), 2) << "a hundred messages a connection by default";
        EXPECT_EQ(smtp.Quits(), 2);
    }
    // Refuse the first address, from the third message on, that no earlier message went to.
    std::size_t n = 2;
    auto jaUsado = [&](const std::string& endereco) {
        for (std::size_t i = 0; i < n; ++i)
            if (std::count(todas[i].para.begin(), todas[i].para.end(), endereco)) return true;
        return false;
    };
    while (n < todas.size() && jaUsado(todas[n].para.at(0))) ++n;
    ASSERT_LT(n + 1, todas.size()) << "the generated company has enough clients with pending orders";
    const std::string recusado = todas[n].para.at(0);
    const std::string livroRecusado = apoio::LerCorreio(todas[n].dados).anexos.at(0).nome;
    std::smatch cliente;
    ASSERT_TRUE(std::regex_match(livroRecusado, cliente, std::regex("20261207[0-9]{6}_Enc_(.+)\\.xlsx")))
        << livroRecusado;
    fs::remove(cenario.FicheiroRegisto());

    apoio::OpcoesSmtp o;
    o.recusar = {recusado};
    apoio::ServidorSmtp smtp(o);
    const auto r = correr(smtp);

    EXPECT_EQ(r.estado, 1) << r.erros;
    EXPECT_TRUE(Contem(r.erros, recusado) && Contem(r.erros, "550")) << r.erros;
    const auto entregues = smtp.Mensagens();
    EXPECT_EQ(smtp.Quits(), smtp.Ligacoes()) << "the failure ended the connection with QUIT";
    ASSERT_EQ(entregues.size(), n) << "those before it, each once; none after it";
    for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(entregues[i].para, todas[i].para) << i;

    const auto livros = cenario.Livros();
    ASSERT_EQ(livros.size(), 1u) << "mailed workbooks are deleted; nothing was written after the failure";
    EXPECT_TRUE(std::regex_match(livros[0], std::regex("20261207[0-9]{6}-[0-9]+_Enc_" + cliente.str(1) + "\\.xlsx")))
        << livros[0];
    EXPECT_EQ(falhas::ZipsIncompletos({cenario.PastaLog() + "/" + livros[0]}), "");

    const auto mensagens = cenario.MensagensRegisto();
    ASSERT_GE(mensagens.size(), 2u);
    EXPECT_TRUE(Contem(mensagens.back(), recusado)) << mensagens.back();
    EXPECT_EQ(cenario.LerParametros("MapaEncSemana.qel"), cenario.ParametrosEscritos());
}

// A passing 4xx on the first message with one retry allowed, or a server that hangs up mid-run:
// the same messages go out as in a run without any fault, each exactly once.
TEST_F(SemanalComFalha, Um4xxPassageiroNaoDuplicaNemPerdeMensagens)
{
    std::vector<std::string> semFalha;
    {
        apoio::ServidorSmtp smtp;
        ASSERT_EQ(correr(smtp).estado, 0);
        semFalha = falhas::Resumo(smtp.Mensagens());
    }
    apoio::OpcoesSmtp o;
    o.respostaDados = "451 4.3.0 Ocupado";
    o.vezes = 1;
    apoio::ServidorSmtp smtp(o);
    const auto r = correr(smtp, "Tentativas=2\r\n");
    ASSERT_EQ(r.estado, 0) << r.erros;

    const auto entregues = smtp.Mensagens();
    EXPECT_EQ(smtp.Transaccoes(), static_cast<int>(entregues.size()) + 1);
    EXPECT_EQ(falhas::Resumo(entregues), semFalha);
    EXPECT_TRUE(cenario.Livros().empty());
    EXPECT_EQ(cenario.MensagensRegisto().back(), "Emissão Mapas terminada");

    // The server hangs up after every seventh message and once answers 421: each costs one
    // transaction and one new connection, and the same messages go out once each.
    apoio::OpcoesSmtp fecha;
    fecha.fecharLigacaoApos = 7;
    fecha.respostaDados = "421 4.4.2 Ligacao terminada";
    fecha.vezes = 1;
    fecha.depoisDe = 10;
    apoio::ServidorSmtp outro(fecha);
    ASSERT_EQ(correr(outro).estado, 0);
    const auto semDuplicados = outro.Mensagens();
    EXPECT_EQ(falhas::Resumo(semDuplicados), semFalha);
    EXPECT_GT(outro.Ligacoes(), 2);
    EXPECT_EQ(outro.Transaccoes(), static_cast<int>(semDuplicados.size()) + outro.Ligacoes() - 1);
    EXPECT_EQ(outro.Quits(), 1) << "only the run's last connection was ours to end";
}

}  // namespace
