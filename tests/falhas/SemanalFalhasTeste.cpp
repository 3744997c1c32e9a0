// Mail faults in the weekly automatic run ("/3S"), where one company sends a message per client
// with its salesperson in copy: a refused copy costs only itself, and a passing fault neither
// loses nor repeats a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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

// A salesperson's address refused where it is the copy of its clients' messages: every client
// still gets its workbook, the run goes to its end and then fails naming the address.
TEST_F(SemanalComFalha, CopiaRecusadaSoCustaASiPropria)
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
    const auto comCopia = std::find_if(todas.begin(), todas.end(), [](const auto& m) { return m.para.size() == 2; });
    ASSERT_NE(comCopia, todas.end()) << "the generated company's clients have salespeople";
    const std::string recusado = comCopia->para.at(1);
    fs::remove(cenario.FicheiroRegisto());

    apoio::OpcoesSmtp o;
    o.recusar = {recusado};
    apoio::ServidorSmtp smtp(o);
    const auto r = correr(smtp);

    EXPECT_EQ(r.estado, 1) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "Erro 606") && Contem(r.erros, ": " + recusado + ": 550")) << r.erros;
    const auto entregues = smtp.Mensagens();
    ASSERT_EQ(entregues.size(), todas.size()) << "every client got its workbook, each once";
    long semCopia = 0;
    for (std::size_t i = 0; i < todas.size(); ++i) {
        auto esperados = todas[i].para;
        semCopia += std::erase(esperados, recusado);
        EXPECT_EQ(entregues[i].para, esperados) << i;
    }
    EXPECT_TRUE(cenario.Livros().empty()) << "every workbook was delivered, so deleted";
    const auto mensagens = cenario.MensagensRegisto();
    EXPECT_EQ(std::count_if(mensagens.begin(), mensagens.end(),
                            [&](const std::string& l) { return Contem(l, ": " + recusado + ": 550"); }),
              semCopia)
        << "one line for each message it missed";
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
