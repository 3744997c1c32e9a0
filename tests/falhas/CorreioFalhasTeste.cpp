// Mail faults in a daily automatic run of two companies: whatever the server does, the run ends
// at the first mail that fails, says why, keeps that workbook in the log folder, writes no other
// and leaves the parameter file alone. A refused recipient among others, and a message the
// server may have taken without saying so, are told apart.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <regex>

#include "Cenario.h"
#include "ServidorSmtp.h"
#include "data/Texto.h"

namespace {

using falhas::Contem;
using quorvelanti::texto::Dividir;

// Seconds since the epoch of an ISO 8601 time with its offset, "2026-12-09T16:50:01+00:00".
std::time_t segundosDe(const std::string& iso)
{
    std::tm t{};
    strptime(iso.c_str(), "%Y-%m-%dT%H:%M:%S", &t);
    const long desvio = (std::stol(iso.substr(20, 2)) * 60 + std::stol(iso.substr(23, 2))) * 60;
    return timegm(&t) - (iso[19] == '-' ? -desvio : desvio);
}

// The ledger's lines, each split into its fields, without the first line that names them.
// The ledger's lines of messages, without those closing a company's set.
std::vector<std::vector<std::string>> linhasEntregas(const falhas::Cenario& cenario)
{
    std::vector<std::vector<std::string>> linhas;
    for (const auto& linha : Dividir(apoio::LerBytes(cenario.FicheiroEntregas()), '\n'))
        if (!linha.empty() && linha[0] != '#') linhas.push_back(Dividir(linha, '\t'));
    std::erase_if(linhas, [](const auto& campos) { return campos.at(5) == "completa"; });
    return linhas;
}

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

    void correr(const std::string& chavesSmtp, const std::string& destinoAdmA = "adm@emp.pt",
                const std::string& avisoFalha = "")
    {
        cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n[A]\r\nMotor=SQLite\r\nEmpresa=a.db\r\nDestinoAdm=" +
                           destinoAdmA + "\r\n" + falhas::Cenario::Seccao("B", "b.db") + cenario.Globais(chavesSmtp) +
                           (avisoFalha.empty() ? "" : "AvisoFalha=" + avisoFalha + "\r\n"));
        resultado = cenario.Correr();
    }

    // What must hold after any failed mail of company A's administration workbook.
    void verificarNadaPerdido(const std::string& motivo, std::size_t linhasDeTentativa = 0)
    {
        EXPECT_EQ(resultado.estado, 1) << resultado.erros;
        EXPECT_TRUE(Contem(resultado.erros, "adm@emp.pt")) << resultado.erros;
        EXPECT_TRUE(Contem(resultado.erros, motivo)) << resultado.erros;
        EXPECT_EQ(resultado.saida, "Emissão Mapas\n") << "no company ended, no closing line";

        const auto mensagens = cenario.MensagensRegisto();
        ASSERT_EQ(mensagens.size(), 3u + linhasDeTentativa) << "one line for each retry";
        EXPECT_EQ(mensagens[1], "Emissão Mapas");
        EXPECT_TRUE(Contem(mensagens.back(), "adm@emp.pt") && Contem(mensagens.back(), motivo)) << mensagens.back();

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
    verificarNadaPerdido(f.motivo, std::max(f.tentativasVistas, 1) - 1);
    EXPECT_TRUE(smtp.Mensagens().empty()) << "nothing was taken, so nothing counts as sent";
    EXPECT_EQ(smtp.Transaccoes(), f.tentativasVistas);
}

INSTANTIATE_TEST_SUITE_P(
    Servidor, CorreioFalhado,
    ::testing::Values(
        FalhaCorreio{"RecusaODestinatario", opcoes([](apoio::OpcoesSmtp& o) { o.recusar = {"adm@emp.pt"}; }), "",
                     "550", 1},
        FalhaCorreio{"FechaALigacaoAMeioDaMensagem",
                     opcoes([](apoio::OpcoesSmtp& o) { o.fecharNosDados = true; }), "",
                     "pode ter sido entregue", 1},
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
    apoio::PortaFechada porta;
    correr("Servidor=127.0.0.1\r\nPorta=" + std::to_string(porta.Porta()) + "\r\n");
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

// A refused second DestinoAdm and a refused second AvisoFalha, on a night re-done two days
// later: the others get their mail, both companies go out, and the run then fails naming the
// refused address. Each message is dated when it was written and names this machine in EHLO.
TEST_F(CorreioFalhado, DestinatarioRecusadoSoCustaASiProprio)
{
    apoio::OpcoesSmtp o;
    o.recusar = {"velho@emp.pt"};
    apoio::ServidorSmtp smtp(o);
    correr(smtp.ChavesIni(), "adm@emp.pt;velho@emp.pt", "aviso@emp.pt;velho@emp.pt");

    EXPECT_EQ(resultado.estado, 1);
    EXPECT_TRUE(Contem(resultado.erros, "Erro 606") && Contem(resultado.erros, ": velho@emp.pt: 550")) << resultado.erros;
    EXPECT_TRUE(Contem(resultado.saida, "Extrair Mapas B\nEmissão Mapas terminada\n")) << resultado.saida;
    const auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 3u);
    EXPECT_EQ(falhas::Resumo({recebidas[0], recebidas[1]}),
              (std::vector<std::string>{"adm@emp.pt _Adm_A.xlsx", "adm@emp.pt _Adm_B.xlsx"}));
    EXPECT_EQ(recebidas[2].para, std::vector<std::string>{"aviso@emp.pt"});
    const auto aviso = apoio::LerCorreio(recebidas[2].dados);
    EXPECT_TRUE(Contem(aviso.corpo, ": velho@emp.pt: 550 5.1.1") && Contem(aviso.corpo, "Empresa: A\nPasso: livro da administração"))
        << aviso.corpo;
    EXPECT_TRUE(cenario.Livros().empty()) << "both workbooks were delivered";

    const auto entregas = linhasEntregas(cenario);
    ASSERT_EQ(entregas.size(), 2u);
    EXPECT_EQ(entregas[0].at(11), "velho@emp.pt");
    EXPECT_EQ(entregas[1].at(11), "");
    EXPECT_EQ(entregas[0].at(12), "entregue");
    const auto registo = cenario.MensagensRegisto();
    EXPECT_EQ(std::count_if(registo.begin(), registo.end(),
                            [](const std::string& l) { return Contem(l, "aviso de falha não chegou a velho@emp.pt"); }),
              1);

    const auto lido = apoio::LerCorreio(recebidas[0].dados);
    EXPECT_LT(std::abs(std::time(nullptr) - segundosDe(lido.data)), 60) << lido.data << ", not the run's 2026-12-07";
    EXPECT_NE(recebidas[0].ehlo, "emp.pt");
    EXPECT_FALSE(recebidas[0].ehlo.empty());
}

// A server that stores the first message and never answers its end, with Tentativas=3 and
// Timeout=2: the run ends within the timeout, the message arrived once, the ledger marks it
// uncertain, the notice says it may have been delivered; the resume leaves it be.
TEST_F(CorreioFalhado, SemRespostaAoFimDaMensagemNaoRepeteNemNaRetoma)
{
    apoio::OpcoesSmtp o;
    o.aposGuardar = apoio::OpcoesSmtp::AposGuardar::Calar;
    apoio::ServidorSmtp smtp(o);
    const auto inicio = std::chrono::steady_clock::now();
    correr(smtp.ChavesIni() + "Tentativas=3\r\nTimeout=2\r\n", "adm@emp.pt", "aviso@emp.pt");
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));

    EXPECT_EQ(resultado.estado, 1);
    EXPECT_TRUE(Contem(resultado.erros, "Erro 404") && Contem(resultado.erros, "pode ter sido entregue"))
        << resultado.erros;
    const auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 2u) << "the workbook once, then the notice";
    EXPECT_EQ(smtp.Transaccoes(), 2);
    const auto aviso = apoio::LerCorreio(recebidas[1].dados);
    EXPECT_TRUE(Contem(aviso.corpo, "pode ter sido entregue") && Contem(aviso.corpo, "incerta")) << aviso.corpo;
    const auto entregas = linhasEntregas(cenario);
    ASSERT_EQ(entregas.size(), 1u);
    EXPECT_EQ(entregas[0].at(12), "incerta");
    EXPECT_TRUE(Contem(aviso.corpo, entregas[0].at(10))) << "the notice names the message";
    EXPECT_EQ(cenario.Livros().size(), 1u) << "kept, for a person who finds it missing";

    auto ambiente = cenario.Ambiente();
    ambiente["QUORVELANTI_RETOMAR"] = "1";
    const auto retoma = apoio::Executar({apoio::Programa(), "/S"}, ambiente, 60);
    EXPECT_EQ(retoma.estado, 0) << retoma.erros;
    EXPECT_TRUE(Contem(retoma.saida, "Retoma A: o registo de entregas tem 1 livro desta emissão (1 de entrega incerta)\n"
                                     "Retoma B: o registo de entregas tem 0 livros desta emissão\n"))
        << retoma.saida;
    const auto depois = smtp.Mensagens();
    ASSERT_EQ(depois.size(), 3u);
    EXPECT_EQ(falhas::Resumo({depois[2]}), std::vector<std::string>{"adm@emp.pt _Adm_B.xlsx"});
}

}  // namespace
