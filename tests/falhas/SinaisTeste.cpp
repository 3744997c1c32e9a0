// The run stopped from outside, or its surroundings gone, in an automatic daily run of two
// companies: a signal while it waits on the mail server, a stdout nobody reads, the parameter
// file saved under a running run, a file-size limit. Each ends in a sound state or a clear
// failure, never a silent death.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "Cenario.h"
#include "ProcessoEmCurso.h"
#include "ServidorSmtp.h"
#include "ServidorSmtpComPausa.h"

namespace {

using falhas::Contem;

class DuasEmpresas : public ::testing::Test {
protected:
    void SetUp() override
    {
        cenario.EmpresaVazia("a.db");
        cenario.EmpresaVazia("b.db");
    }
    void parametros(const std::string& chavesSmtp)
    {
        cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                           falhas::Cenario::Seccao("B", "b.db") + cenario.Globais(chavesSmtp));
    }
    // Hidden files of the log folder: temporary ones left behind.
    std::vector<std::string> ocultos() const
    {
        std::vector<std::string> nomes;
        for (const auto& nome : cenario.Livros())
            if (nome[0] == '.') nomes.push_back(nome);
        return nomes;
    }
    falhas::Cenario cenario;
};

struct Sinal {
    int numero;
    std::string nome;
};
std::ostream& operator<<(std::ostream& os, const Sinal& s) { return os << s.nome; }

class SinalNaEsperaDoCorreio : public DuasEmpresas, public ::testing::WithParamInterface<Sinal> {};

// The server holds its answer to the first message until the run has gone: the run must give up
// the wait by itself, write its last line, keep the workbook whose mail it never saw through,
// leave no temporary file and mail nothing more.
TEST_P(SinalNaEsperaDoCorreio, DesenrolaRegistaESaiCom128MaisOSinal)
{
    const Sinal sinal = GetParam();
    using Relogio = std::chrono::steady_clock;
    std::atomic<pid_t> pid{-1};
    std::atomic<Relogio::rep> enviado{0};
    falhas::ServidorSmtpComPausa smtp([&] {
        while (pid < 0) std::this_thread::yield();
        enviado = Relogio::now().time_since_epoch().count();
        kill(pid, sinal.numero);
        // The answer comes only once the run is gone (reaped by Terminar below), or after 10 s.
        for (int i = 0; i < 1000 && kill(pid, 0) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    parametros(smtp.ChavesIni());
    int estado = -1;
    {
        falhas::ProcessoEmCurso corrida({apoio::Programa(), "/S"}, cenario.Ambiente(), cenario.Base() + "/corrida");
        pid = corrida.Pid();
        estado = corrida.Terminar();
    }
    const auto depoisDoSinal = Relogio::now() - Relogio::time_point(Relogio::duration(enviado.load()));
    EXPECT_LT(depoisDoSinal, std::chrono::seconds(5)) << "the run waited for the server's answer";
    EXPECT_EQ(estado, 128 + sinal.numero);
    const auto mensagens = cenario.MensagensRegisto();
    EXPECT_TRUE(Contem(mensagens.back(), "Corrida interrompida pelo sinal " + sinal.nome)) << mensagens.back();
    EXPECT_TRUE(Contem(apoio::LerBytes(cenario.Base() + "/corrida.err"), "Corrida interrompida"));
    EXPECT_EQ(smtp.Mensagens().size(), 1u) << "nothing is mailed after the signal";
    const auto livros = cenario.Livros();
    ASSERT_EQ(livros.size(), 1u);
    EXPECT_TRUE(Contem(livros[0], "_Adm_A.xlsx")) << livros[0];
    EXPECT_TRUE(ocultos().empty());
}

INSTANTIATE_TEST_SUITE_P(Sinais, SinalNaEsperaDoCorreio,
                         ::testing::Values(Sinal{SIGTERM, "SIGTERM"}, Sinal{SIGINT, "SIGINT"}, Sinal{SIGHUP, "SIGHUP"}),
                         [](const ::testing::TestParamInfo<Sinal>& info) { return info.param.nome; });

// Stopped while it mails A's workbook: once the run has unwound, AvisoFalha hears of it through the
// same mail server, with the signal, the company and the command that resumes the run, and the
// metrics file says so, giving A no success.
TEST_F(DuasEmpresas, InterrompidaAvisaQuemEstaEmAvisoFalha)
{
    std::atomic<pid_t> pid{-1};
    falhas::ServidorSmtpComPausa smtp([&] {
        while (pid < 0) std::this_thread::yield();
        kill(pid, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    parametros(smtp.ChavesIni());
    std::filesystem::create_directories(cenario.Base() + "/metricas");
    cenario.Parametros(cenario.ParametrosEscritos() + "AvisoFalha=aviso@emp.pt\r\nPastaMetricas=" + cenario.Base() +
                       "/metricas\r\n");
    falhas::ProcessoEmCurso corrida({apoio::Programa(), "/S"}, cenario.Ambiente(), cenario.Base() + "/corrida");
    pid = corrida.Pid();
    EXPECT_EQ(corrida.Terminar(), 143);
    const auto mensagens = smtp.Mensagens();
    ASSERT_FALSE(mensagens.empty());
    const auto aviso = apoio::LerCorreio(mensagens.back());
    EXPECT_EQ(aviso.Enderecos("To"), std::vector<std::string>{"aviso@emp.pt"});
    for (const char* parte : {"Corrida interrompida pelo sinal SIGTERM", "Empresa: A\n", "QUORVELANTI_RETOMAR=1"})
        EXPECT_TRUE(Contem(aviso.corpo, parte)) << parte << " in " << aviso.corpo;
    const auto metricas = falhas::AmostrasPrometheus(cenario.Base() + "/metricas/quorvelanti_diario.prom");
    EXPECT_EQ(metricas.at("quorvelanti_run_exit_status{set=diario}"), 143);
    EXPECT_EQ(metricas.at("quorvelanti_company_exit_status{company=A,set=diario}"), 143);
    EXPECT_EQ(metricas.count("quorvelanti_company_last_success_timestamp_seconds{company=A,set=diario}"), 0u);
}

// "quorvelanti /S | true", or a wrapper that died: the progress lines are lost, not the mails.
TEST_F(DuasEmpresas, SaidaFechadaNaoImpedeOsCorreios)
{
    apoio::ServidorSmtp smtp;
    parametros(smtp.ChavesIni());
    falhas::ProcessoEmCurso corrida({apoio::Programa(), "/S"}, cenario.Ambiente(), cenario.Base() + "/corrida", true);
    EXPECT_EQ(corrida.Terminar(), 0) << apoio::LerBytes(cenario.Base() + "/corrida.err");
    EXPECT_EQ(smtp.Mensagens().size(), 2u);
    EXPECT_EQ(cenario.MensagensRegisto().back(), "Emissão Mapas terminada");
}

// While a run waits on its first mail, the parameter file is saved the way editors save it (a
// new file renamed over the old one). A second run of that file still finds the run going; a
// run of the weekly file is not held back; every workbook is mailed once.
TEST_F(DuasEmpresas, FicheiroSubstituidoAMeioNaoDeixaEntrarSegundaCorrida)
{
    cenario.Parametros("[EMPRESAS]\r\n[FIM]\r\n[Log]\r\nDirectoria=" + cenario.Base() + "\r\n", "MapaEncSemana.qel");
    apoio::Resultado segunda, semanal;
    falhas::ServidorSmtpComPausa smtp([&] {
        const std::string ficheiro = cenario.Dorvam() + "/Quorvelanti.qel";
        apoio::EscreverBytes(ficheiro + ".novo", cenario.ParametrosEscritos());
        chmod((ficheiro + ".novo").c_str(), 0600);
        std::filesystem::rename(ficheiro + ".novo", ficheiro);
        segunda = cenario.Correr("/S");
        semanal = cenario.Correr("/3S");
    });
    parametros(smtp.ChavesIni());
    const auto primeira = cenario.Correr("/S");
    EXPECT_EQ(primeira.estado, 0) << primeira.erros;
    EXPECT_EQ(segunda.estado, 3) << segunda.erros;
    EXPECT_TRUE(Contem(segunda.erros, "em curso")) << segunda.erros;
    EXPECT_EQ(semanal.estado, 0) << semanal.erros;
    EXPECT_EQ(smtp.Mensagens().size(), 2u);
}

// A file-size limit below the workbook's size: the write fails with the system's reason, as a
// full disk would, instead of the signal killing the run; nothing half-written stays.
TEST(LimiteDeTamanho, FalhaDeEscritaComOMotivo)
{
    falhas::Cenario cenario;
    cenario.EmpresaGerada("g.db", 3000);
    apoio::ServidorSmtp smtp;
    cenario.Parametros("[EMPRESAS]\r\nG\r\n[FIM]\r\n" + falhas::Cenario::Seccao("G", "g.db") +
                       cenario.Globais(smtp.ChavesIni()));
    const auto r =
        apoio::Executar({"/usr/bin/prlimit", "--fsize=16384", apoio::Programa(), "/S"}, cenario.Ambiente(), 60);
    EXPECT_EQ(r.estado, 2) << r.erros;
    const auto mensagens = cenario.MensagensRegisto();
    EXPECT_TRUE(Contem(mensagens.back(), "Situação Anómala")) << mensagens.back();
    EXPECT_TRUE(Contem(mensagens.back(), "File too large")) << mensagens.back();
    EXPECT_TRUE(smtp.Mensagens().empty());
    EXPECT_TRUE(cenario.Livros().empty());
}

}  // namespace
