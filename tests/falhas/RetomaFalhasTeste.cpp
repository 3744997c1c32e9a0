// A night that fails at a message the server refuses, daily and weekly: the notice reaches
// AvisoFalha with the company, the refusal and the command that resumes the run; that command,
// once the fault is gone, sends exactly what was missing; run again it sends nothing; and a run
// without it sends everything, as it always did.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Cenario.h"
#include "ServidorSmtp.h"
#include "data/Texto.h"

namespace {

using falhas::Contem;
using quorvelanti::texto::Dividir;

class RetomaDepoisDeFalha : public ::testing::TestWithParam<std::string> {
protected:
    static void SetUpTestSuite() { (modelo = new falhas::Cenario)->EmpresaGerada("g.db", 4000); }
    static void TearDownTestSuite() { delete modelo; }
    void SetUp() override { std::filesystem::copy_file(modelo->Dorvam() + "/g.db", cenario.Dorvam() + "/g.db"); }

    // With a fault, the server refuses the end of the fourth message: the run fails there, and
    // the notice goes.
    apoio::Resultado correr(bool comFalha, const std::string& comando = "")
    {
        apoio::OpcoesSmtp o;
        if (comFalha) {
            o.respostaDados = "554 5.7.1 Mensagem recusada";
            o.depoisDe = 3;
            o.vezes = 1;
        }
        smtp = std::make_unique<apoio::ServidorSmtp>(o);
        std::string vendedores = "DestinoEnc=compras@emp.pt\r\nDestinoVnd=";
        for (int i = 1; i <= 12; ++i)
            vendedores += (i > 1 ? "," : "") + std::string(i < 10 ? "V0" : "V") + std::to_string(i) + ",v" + std::to_string(i) + "@emp.pt";
        cenario.Parametros("[EMPRESAS]\r\nG\r\n[FIM]\r\n" + falhas::Cenario::Seccao("G", "g.db", vendedores + "\r\n") +
                               cenario.Globais(smtp->ChavesIni()) + "AvisoFalha=aviso@emp.pt\r\n",
                           GetParam() == "/S" ? "Quorvelanti.qel" : "MapaEncSemana.qel");
        return comando.empty() ? cenario.Correr(GetParam()) : apoio::Executar({"/bin/sh", "-c", comando}, {}, 60);
    }

    static falhas::Cenario* modelo;
    falhas::Cenario cenario;
    std::unique_ptr<apoio::ServidorSmtp> smtp;
};
falhas::Cenario* RetomaDepoisDeFalha::modelo = nullptr;

TEST_P(RetomaDepoisDeFalha, AvisoERetomaSemDuplicados)
{
    ASSERT_EQ(correr(true).estado, 1);
    auto primeira = smtp->Mensagens();
    ASSERT_EQ(primeira.size(), 4u) << "three workbooks went before the refusal, then the notice";
    const auto aviso = apoio::LerCorreio(primeira.back().dados);
    primeira.pop_back();
    EXPECT_EQ(aviso.Enderecos("To"), std::vector<std::string>{"aviso@emp.pt"});
    EXPECT_TRUE(Contem(aviso.Cabecalho("Subject"), (GetParam() == "/S" ? "diária" : "semanal") + std::string(" de 07-12-2026")));
    for (const char* parte : {"Empresa: G\n", "554 5.7.1 Mensagem recusada", "] Emissão Mapas\n"})
        EXPECT_TRUE(Contem(aviso.corpo, parte)) << parte << " in " << aviso.corpo;
    // One ledger line per delivered workbook, with its Message-ID; the notice is no workbook.
    std::vector<std::string> ids, idsNoRegisto;
    for (const auto& m : primeira) ids.push_back(apoio::LerCorreio(m.dados).Cabecalho("Message-ID"));
    for (const auto& linha : Dividir(apoio::LerBytes(cenario.FicheiroEntregas()), '\n'))
        if (!linha.empty() && linha[0] != '#') idsNoRegisto.push_back(Dividir(linha, '\t').at(10));
    EXPECT_EQ(idsNoRegisto, ids);

    const auto inicio = aviso.corpo.find("    QUORVELANTI_DATA=2026-12-07 QUORVELANTI_RETOMAR=1 ");
    ASSERT_NE(inicio, std::string::npos) << aviso.corpo;
    const std::string retomar = aviso.corpo.substr(inicio + 4, aviso.corpo.find('\n', inicio) - inicio - 4);
    auto r = correr(false, retomar);  // the fault gone, the notice's own command
    ASSERT_EQ(r.estado, 0) << r.erros;
    EXPECT_TRUE(Contem(r.saida, "Retoma G: " + std::to_string(primeira.size()) + " livros já entregues")) << r.saida;
    const auto segunda = smtp->Mensagens();
    ASSERT_FALSE(segunda.empty());

    // The company is complete now: run again, the command leaves it alone.
    r = correr(false, retomar);
    EXPECT_EQ(r.estado, 0) << r.erros;
    EXPECT_TRUE(smtp->Mensagens().empty()) << "everything was delivered";
    const std::string saltados = "Retoma G: todos os livros já entregues, a empresa não é processada de novo";
    EXPECT_TRUE(Contem(r.saida, saltados)) << r.saida;
    const auto registo = cenario.MensagensRegisto();
    EXPECT_EQ(std::count(registo.begin(), registo.end(), saltados), 1) << "the log says it too";

    // Without the variable a run sends everything: the two runs above together, each once.
    ASSERT_EQ(correr(false).estado, 0);
    auto completa = falhas::Resumo(smtp->Mensagens());
    auto juntas = falhas::Resumo(primeira);
    for (const auto& linha : falhas::Resumo(segunda)) juntas.push_back(linha);
    std::sort(completa.begin(), completa.end());
    std::sort(juntas.begin(), juntas.end());
    EXPECT_EQ(juntas, completa);
    EXPECT_EQ(std::adjacent_find(completa.begin(), completa.end()), completa.end()) << "no workbook twice";
}

INSTANTIATE_TEST_SUITE_P(Conjuntos, RetomaDepoisDeFalha, ::testing::Values("/S", "/3S"),
                         [](const auto& info) { return info.param == "/S" ? "Diario" : "Semanal"; });

// When the mail server is what failed, the notice cannot go either: stderr and the log say so,
// and the exit status stays the run's. A mistyped or empty QUORVELANTI_RETOMAR runs nothing.
TEST(AvisoDeFalha, QueNaoPodeSeguirFicaNoStderrENoRegisto)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    apoio::OpcoesSmtp o;
    o.recusar = {"adm@emp.pt", "aviso@emp.pt"};
    apoio::ServidorSmtp smtp(o);
    cenario.Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                       cenario.Globais(smtp.ChavesIni()) + "AvisoFalha=aviso@emp.pt\r\n");
    // Empty, too: more likely a broken script than a wish to send the whole night again.
    for (const char* valor : {"sim", ""}) {
        auto ambiente = cenario.Ambiente();
        ambiente["QUORVELANTI_RETOMAR"] = valor;
        const auto r = apoio::Executar({apoio::Programa(), "/S"}, ambiente, 60);
        EXPECT_EQ(r.estado, 1) << valor;
        EXPECT_TRUE(Contem(r.erros, "QUORVELANTI_RETOMAR")) << r.erros;
    }
    EXPECT_EQ(smtp.Transaccoes(), 0);

    const auto r = cenario.Correr();
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "Não foi possível enviar o aviso de falha para aviso@emp.pt")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "Erro 401")) << "the run's own failure is still the one reported: " << r.erros;
    EXPECT_TRUE(Contem(cenario.MensagensRegisto().back(), "aviso de falha para aviso@emp.pt"));
    EXPECT_EQ(smtp.Transaccoes(), 2) << "the workbook and the notice, each tried once";
    EXPECT_EQ(Dividir(apoio::LerBytes(cenario.FicheiroEntregas()), '\n').size(), 2u) << "its first line only";
}

}  // namespace
