// A log and workbook folder that cannot take files. Root, which runs these tests, ignores
// permission bits, so the folder is either a regular file or an immutable directory.
#include <gtest/gtest.h>

#include "Cenario.h"
#include "PastaImutavel.h"
#include "ServidorSmtp.h"

namespace {

using falhas::Contem;

class PastaEmFalha : public ::testing::Test {
protected:
    void SetUp() override { cenario.EmpresaVazia("a.db"); }

    std::string parametros(const std::string& directoria) const
    {
        return "[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
               "[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni() + "[Log]\r\nDirectoria=" + directoria +
               "\r\n";
    }

    falhas::Cenario cenario;
    apoio::ServidorSmtp smtp;
};

// Without a log nothing may run: the failure is said on stderr, and no company is touched.
TEST_F(PastaEmFalha, DirectoriaQueEUmFicheiro)
{
    const std::string ficheiro = cenario.Base() + "/nao-e-pasta";
    apoio::EscreverBytes(ficheiro, "conteúdo alheio\r\n");
    cenario.Parametros(parametros(ficheiro));
    const auto r = cenario.Correr();
    EXPECT_EQ(r.estado, 1) << r.erros;
    EXPECT_TRUE(Contem(r.erros, ficheiro + "/LOG_MAPAS20261207.txt")) << r.erros;
    EXPECT_EQ(smtp.Transaccoes(), 0);
    EXPECT_EQ(apoio::LerBytes(ficheiro), "conteúdo alheio\r\n");
    EXPECT_EQ(apoio::Ficheiros(cenario.Dorvam()), (std::vector<std::string>{"Quorvelanti.qel", "a.db"}));
    EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
}

// The day's log and the delivery ledger already exist, so they still take lines, but no workbook
// can be created beside them. The company has no administration address, so its workbook is one
// to keep there: the run ends with the workbook status and the reason in the log, and sends only
// the failure notice.
TEST_F(PastaEmFalha, PastaOndeNaoSeCriaNenhumLivro)
{
    apoio::EscreverBytes(cenario.FicheiroRegisto(), "");
    apoio::EscreverBytes(cenario.FicheiroEntregas(), "");
    std::string semDestino = parametros(cenario.PastaLog()) + "AvisoFalha=aviso@emp.pt\r\n";
    semDestino.erase(semDestino.find("DestinoAdm=adm@emp.pt\r\n"), std::string("DestinoAdm=adm@emp.pt\r\n").size());
    cenario.Parametros(semDestino);
    {
        falhas::PastaImutavel imutavel(cenario.PastaLog());
        if (!imutavel.Activa()) GTEST_SKIP() << imutavel.Motivo();
        const auto r = cenario.Correr();
        EXPECT_EQ(r.estado, 2) << r.erros;
        EXPECT_TRUE(Contem(r.erros, "livro")) << r.erros;
        ASSERT_EQ(smtp.Mensagens().size(), 1u);
        EXPECT_EQ(smtp.Mensagens()[0].para, std::vector<std::string>{"aviso@emp.pt"});
        const auto mensagens = cenario.MensagensRegisto();
        ASSERT_EQ(mensagens.size(), 4u);
        EXPECT_EQ(mensagens[2].substr(0, 27), "Situação Anómala\n\rErro: ") << mensagens[2];
        EXPECT_TRUE(Contem(mensagens[2], "_Adm_A.xlsx")) << mensagens[2];
        EXPECT_EQ(mensagens[3], "Aviso de falha enviado para aviso@emp.pt");
        EXPECT_TRUE(cenario.Livros().empty());
    }
    EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
    // Once the folder takes files again the next run goes through.
    EXPECT_EQ(cenario.Correr().estado, 0);
    EXPECT_EQ(cenario.Livros().size(), 1u);
    EXPECT_EQ(smtp.Mensagens().size(), 1u);
}

}  // namespace
