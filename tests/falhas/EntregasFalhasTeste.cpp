// The delivery ledger under faults: one it cannot write stops the run before any message; a
// resume finds the night's deliveries whatever spelling of the base folder it is given, and
// leaves a complete company alone even when its database is gone; runs of two installations
// that share a log folder never touch each other's workbooks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "Cenario.h"
#include "PastaImutavel.h"
#include "ProcessoEmCurso.h"
#include "ServidorSmtp.h"

namespace fs = std::filesystem;

namespace {

using falhas::Contem;

std::string duasEmpresas(const falhas::Cenario& c, const apoio::ServidorSmtp& smtp)
{
    return "[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
           "[B]\r\nMotor=SQLite\r\nEmpresa=b.db\r\nDestinoAdm=b@emp.pt\r\n" + c.Globais(smtp.ChavesIni());
}

class RegistoInutilizavel : public ::testing::TestWithParam<std::string> {};

TEST_P(RegistoInutilizavel, TerminaAntesDeQualquerMensagem)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    apoio::ServidorSmtp smtp;
    cenario.Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                       cenario.Globais(smtp.ChavesIni()));
    const std::string registo = cenario.FicheiroEntregas();
    std::unique_ptr<falhas::PastaImutavel> imutavel;
    if (GetParam() == "Imutavel") {
        apoio::EscreverBytes(registo, "");
        imutavel = std::make_unique<falhas::PastaImutavel>(registo);
        if (!imutavel->Activa()) GTEST_SKIP() << imutavel->Motivo();
    } else if (GetParam() == "Pasta") {
        fs::create_directory(registo);
    } else if (GetParam() == "Fifo") {
        ASSERT_EQ(mkfifo(registo.c_str(), 0600), 0);
    } else {
        apoio::EscreverBytes(cenario.Base() + "/alvo.txt", "");
        fs::create_symlink(cenario.Base() + "/alvo.txt", registo);
    }

    const auto r = cenario.Correr();
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "Erro 206") && Contem(r.erros, registo)) << r.erros;
    EXPECT_EQ(smtp.Transaccoes(), 0);
    EXPECT_TRUE(cenario.Livros().empty()) << "no workbook was written";
    if (GetParam() == "Ligacao") {
        EXPECT_EQ(apoio::LerBytes(cenario.Base() + "/alvo.txt"), "") << "nothing through the link";
    }
}

INSTANTIATE_TEST_SUITE_P(Tipos, RegistoInutilizavel, ::testing::Values("Imutavel", "Pasta", "Fifo", "Ligacao"),
                         [](const auto& info) { return info.param; });

// B's address is refused: A goes out whole, B fails. With A's database gone the next morning,
// a resume spelled through "D/." completes B alone; one through a link to D then sends nothing.
TEST(RetomaDoRegisto, OutraGrafiaDaPastaEEmpresaCompletaSemBaseDeDados)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    cenario.EmpresaVazia("b.db");
    {
        apoio::OpcoesSmtp o;
        o.recusar = {"b@emp.pt"};
        apoio::ServidorSmtp smtp(o);
        cenario.Parametros(duasEmpresas(cenario, smtp));
        ASSERT_EQ(cenario.Correr().estado, 1);
        ASSERT_EQ(smtp.Mensagens().size(), 1u);
    }
    fs::remove(cenario.Dorvam() + "/a.db");
    const std::string ligacao = fs::path(cenario.Base()).parent_path() / (fs::path(cenario.Base()).filename().string() + "-ligacao");
    fs::create_directory_symlink(cenario.Base(), ligacao);
    for (const std::string& base : {cenario.Base() + "/.", ligacao}) {
        SCOPED_TRACE(base);
        apoio::ServidorSmtp smtp;
        cenario.Parametros(duasEmpresas(cenario, smtp));
        auto ambiente = cenario.Ambiente();
        ambiente["QUORVELANTI_PASTA_BASE"] = base;
        ambiente["QUORVELANTI_RETOMAR"] = "1";
        const auto r = apoio::Executar({apoio::Programa(), "/S"}, ambiente, 60);
        EXPECT_EQ(r.estado, 0) << r.erros;
        EXPECT_TRUE(Contem(r.saida, "Retoma A: todos os livros já entregues")) << r.saida;
        const auto enviadas = smtp.Mensagens();
        if (base == ligacao)
            EXPECT_TRUE(enviadas.empty());
        else
            EXPECT_EQ(falhas::Resumo(enviadas), std::vector<std::string>{"b@emp.pt _Adm_B.xlsx"});
    }
    fs::remove(ligacao);
}

// Two installations, one company name, one log folder, and their runs started together ten
// times: every run ends well, each mails and deletes only its own workbook.
TEST(DuasInstalacoes, CorridasSimultaneasNaMesmaPastaDeRegisto)
{
    falhas::Cenario uma, outra;
    for (auto* c : {&uma, &outra}) {
        c->EmpresaVazia("a.db");
        c->Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                      "[email]\r\nAssunto=Mapas\r\n[SMTP]\r\nemailEmissor=rel@emp.pt\r\nPastaSaida=" + c->Base() +
                      "/saida\r\n[Log]\r\nDirectoria=" + uma.PastaLog() + "\r\n");
        fs::create_directory(c->Base() + "/saida");
    }
    for (int vez = 0; vez < 10; ++vez) {
        falhas::ProcessoEmCurso a({apoio::Programa(), "/S"}, uma.Ambiente(), uma.Base() + "/a");
        falhas::ProcessoEmCurso b({apoio::Programa(), "/S"}, outra.Ambiente(), outra.Base() + "/b");
        EXPECT_EQ(a.Terminar(), 0) << apoio::LerBytes(uma.Base() + "/a.err");
        EXPECT_EQ(b.Terminar(), 0) << apoio::LerBytes(outra.Base() + "/b.err");
    }
    EXPECT_EQ(apoio::Ficheiros(uma.Base() + "/saida").size(), 10u);
    EXPECT_EQ(apoio::Ficheiros(outra.Base() + "/saida").size(), 10u);
    EXPECT_TRUE(uma.Livros().empty()) << "every workbook was mailed and deleted";
}

}  // namespace
