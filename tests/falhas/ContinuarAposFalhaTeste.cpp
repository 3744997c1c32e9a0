// Two generated companies, the first with one salesperson's address refused. Without
// ContinuarAposFalha the night ends there, as it always did. With it the second company goes out
// whole, the run still ends 1 with one notice about the first, and the notice's command completes
// exactly what the first company missed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Cenario.h"
#include "ServidorSmtp.h"

namespace fs = std::filesystem;

namespace {

using falhas::Contem;

// Each company's salespeople V01..V12 at <letra>1@emp.pt..<letra>12@emp.pt.
std::string seccao(const std::string& nome, const std::string& letra)
{
    std::string vendedores;
    for (int i = 1; i <= 12; ++i)
        vendedores += (i > 1 ? "," : "") + std::string(i < 10 ? "V0" : "V") + std::to_string(i) + "," + letra +
                      std::to_string(i) + "@emp.pt";
    return "[" + nome + "]\r\nMotor=SQLite\r\nEmpresa=" + letra + ".db\r\nDestinoAdm=adm-" + letra +
           "@emp.pt\r\nDestinoEnc=compras-" + letra + "@emp.pt\r\nDestinoVnd=" + vendedores + "\r\n";
}

// The summaries of one company's workbooks (their attachments end in "_<company>.xlsx"), sorted;
// the notice is no workbook.
std::vector<std::string> daEmpresa(std::vector<apoio::MensagemRecebida> mensagens, const std::string& empresa)
{
    std::erase_if(mensagens, [](const auto& m) { return m.para[0] == "aviso@emp.pt"; });
    std::vector<std::string> linhas;
    const std::string fim = "_" + empresa + ".xlsx";
    for (const auto& linha : falhas::Resumo(mensagens))
        if (linha.size() > fim.size() && linha.compare(linha.size() - fim.size(), fim.size(), fim) == 0)
            linhas.push_back(linha);
    std::sort(linhas.begin(), linhas.end());
    return linhas;
}

class ContinuarAposFalha : public ::testing::Test {
protected:
    static void SetUpTestSuite() { (modelo = new falhas::Cenario)->EmpresaGerada("g.db", 4000); }
    static void TearDownTestSuite() { delete modelo; }
    void SetUp() override
    {
        for (const char* copia : {"/a.db", "/b.db"}) fs::copy_file(modelo->Dorvam() + "/g.db", cenario.Dorvam() + copia);
    }

    apoio::Resultado correr(const std::string& log, const std::vector<std::string>& recusar, const std::string& comando = "")
    {
        apoio::OpcoesSmtp o;
        o.recusar = recusar;
        smtp = std::make_unique<apoio::ServidorSmtp>(o);
        cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + seccao("A", "a") + seccao("B", "b") +
                           cenario.Globais(smtp->ChavesIni()) + "AvisoFalha=aviso@emp.pt\r\n" + log);
        return comando.empty() ? cenario.Correr() : apoio::Executar({"/bin/sh", "-c", comando}, {}, 60);
    }

    static falhas::Cenario* modelo;
    falhas::Cenario cenario;
    std::unique_ptr<apoio::ServidorSmtp> smtp;
};
falhas::Cenario* ContinuarAposFalha::modelo = nullptr;

TEST_F(ContinuarAposFalha, ASegundaEmpresaSaiEARetomaCompletaAPrimeira)
{
    ASSERT_EQ(correr("ContinuarAposFalha=0\r\n", {"a5@emp.pt"}).estado, 1);
    EXPECT_TRUE(daEmpresa(smtp->Mensagens(), "B").empty()) << "without the key the night ends at A";
    fs::remove(cenario.FicheiroEntregas());
    fs::remove(cenario.FicheiroRegisto());
    for (const auto& livro : cenario.Livros()) fs::remove(cenario.PastaLog() + "/" + livro);

    auto r = correr("ContinuarAposFalha=1\r\n", {"a5@emp.pt"});
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "Falha na empresa A") && Contem(r.erros, "Erro 606")) << r.erros;
    auto primeira = smtp->Mensagens();
    const auto avisos = std::count_if(primeira.begin(), primeira.end(), [](const auto& m) { return m.para[0] == "aviso@emp.pt"; });
    ASSERT_EQ(avisos, 1) << "one notice";
    const auto aviso = apoio::LerCorreio(primeira.back().dados);
    for (const char* parte : {"Empresa: A\n", "a5@emp.pt", "550", "] Extrair Mapas B\n"})
        EXPECT_TRUE(Contem(aviso.corpo, parte)) << parte << " in " << aviso.corpo;
    EXPECT_FALSE(Contem(aviso.corpo, "Empresa: B")) << aviso.corpo;
    const auto livros = cenario.Livros();
    ASSERT_EQ(livros.size(), 1u);
    EXPECT_TRUE(Contem(livros[0], "_V05_Vnd_A.xlsx")) << "the refused workbook stays: " << livros[0];

    const auto inicio = aviso.corpo.find("    QUORVELANTI_DATA=2026-12-07 QUORVELANTI_RETOMAR=1 ");
    ASSERT_NE(inicio, std::string::npos) << aviso.corpo;
    r = correr("ContinuarAposFalha=1\r\n", {}, aviso.corpo.substr(inicio + 4, aviso.corpo.find('\n', inicio) - inicio - 4));
    EXPECT_EQ(r.estado, 0) << r.erros;
    EXPECT_TRUE(Contem(r.saida, "Retoma B: todos os livros já entregues")) << r.saida;
    const auto retoma = smtp->Mensagens();
    EXPECT_TRUE(daEmpresa(retoma, "B").empty());

    // A whole night without faults: B as the failed night sent it, A as that night and the resume together.
    ASSERT_EQ(correr("ContinuarAposFalha=1\r\n", {}).estado, 0);
    const auto completa = smtp->Mensagens();
    EXPECT_EQ(daEmpresa(primeira, "B"), daEmpresa(completa, "B"));
    auto juntas = primeira;
    juntas.insert(juntas.end(), retoma.begin(), retoma.end());
    EXPECT_EQ(daEmpresa(juntas, "A"), daEmpresa(completa, "A"));
    EXPECT_GT(daEmpresa(retoma, "A").size(), 0u);
}

}  // namespace
