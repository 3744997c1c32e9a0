// The metrics file of a night ([Log] PastaMetricas), read by Prometheus' own text-format parser
// (python3-prometheus-client): two companies, the second failing on the second night with
// ContinuarAposFalha=1, and a night stopped by SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include "Cenario.h"
#include "ProcessoEmCurso.h"
#include "ServidorSmtpComPausa.h"

namespace fs = std::filesystem;

namespace {

// Every sample of the file, "name{label=value,...}" to its value, as the parser reads them.
std::map<std::string, double> amostras(const std::string& ficheiro)
{
    const auto r = apoio::Executar({apoio::Python(), "-c",
                                    "import sys\n"
                                    "from prometheus_client.parser import text_string_to_metric_families\n"
                                    "for f in text_string_to_metric_families(open(sys.argv[1]).read()):\n"
                                    "    for s in f.samples:\n"
                                    "        r = ','.join(f'{k}={v}' for k, v in sorted(s.labels.items()))\n"
                                    "        print(f'{s.name}{{{r}}} {s.value!r}')\n",
                                    ficheiro});
    EXPECT_EQ(r.estado, 0) << r.erros;
    std::map<std::string, double> valores;
    for (std::size_t i = 0, f; (f = r.saida.find('\n', i)) != std::string::npos; i = f + 1) {
        const std::string linha = r.saida.substr(i, f - i);
        valores[linha.substr(0, linha.rfind(' '))] = std::stod(linha.substr(linha.rfind(' ') + 1));
    }
    return valores;
}

std::string empresa(const std::string& metrica, const std::string& nome)
{
    return "quorvelanti_company_" + metrica + "{company=" + nome + ",set=diario}";
}

class Metricas : public ::testing::Test {
protected:
    void SetUp() override
    {
        cenario.EmpresaVazia("a.db");
        cenario.EmpresaVazia("b.db");
        fs::create_directories(pasta());
    }
    std::string pasta() const { return cenario.Base() + "/metricas"; }
    std::string ficheiro() const { return pasta() + "/quorvelanti_diario.prom"; }
    void parametros(const std::string& chavesSmtp)
    {
        cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                           falhas::Cenario::Seccao("B", "b.db") + cenario.Globais(chavesSmtp) +
                           "ContinuarAposFalha=1\r\nPastaMetricas=" + pasta() + "\r\n");
    }
    falhas::Cenario cenario;
};

}  // namespace

TEST_F(Metricas, UmaEmpresaQueFalhaGuardaOUltimoSucessoDaNoiteAnterior)
{
    fs::create_directories(cenario.Base() + "/saida");
    parametros("PastaSaida=" + cenario.Base() + "/saida\r\n");
    ASSERT_EQ(cenario.Correr().estado, 0);
    const auto primeira = amostras(ficheiro());
    const double sucessoB = primeira.at(empresa("last_success_timestamp_seconds", "B"));
    EXPECT_EQ(primeira.at("quorvelanti_run_exit_status{set=diario}"), 0);

    fs::remove(cenario.Dorvam() + "/b.db");
    ASSERT_EQ(cenario.Correr().estado, 1);
    const auto segunda = amostras(ficheiro());
    EXPECT_EQ(segunda.at(empresa("last_success_timestamp_seconds", "B")), sucessoB);
    EXPECT_GT(segunda.at(empresa("last_success_timestamp_seconds", "A")), sucessoB);
    EXPECT_GE(segunda.at(empresa("start_timestamp_seconds", "A")), segunda.at("quorvelanti_run_start_timestamp_seconds{set=diario}"));
    EXPECT_EQ(segunda.at(empresa("exit_status", "A")), 0);
    EXPECT_EQ(segunda.at(empresa("exit_status", "B")), 1);
    EXPECT_EQ(segunda.at("quorvelanti_run_exit_status{set=diario}"), 1);
    // The ledger: A's workbook delivered on each night, B's on the first only.
    EXPECT_EQ(segunda.at(empresa("messages_sent_total", "A")), 1);
    EXPECT_EQ(segunda.at(empresa("messages_sent_total", "B")), 0);
    EXPECT_EQ(segunda.at(empresa("messages_refused_total", "A")), 0);
    EXPECT_EQ(segunda.at("quorvelanti_run_workbooks_left{set=diario}"), static_cast<double>(cenario.Livros().size()));
    for (const auto& nome : fs::directory_iterator(pasta()))
        EXPECT_EQ(nome.path().filename(), "quorvelanti_diario.prom");  // nothing left under a temporary name
}

TEST_F(Metricas, UmaNoiteParadaPorSigtermEscreveAsMetricas)
{
    std::atomic<pid_t> pid{-1};
    falhas::ServidorSmtpComPausa smtp([&] {
        while (pid < 0) std::this_thread::yield();
        kill(pid, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    parametros(smtp.ChavesIni());
    falhas::ProcessoEmCurso corrida({apoio::Programa(), "/S"}, cenario.Ambiente(), cenario.Base() + "/corrida");
    pid = corrida.Pid();
    EXPECT_EQ(corrida.Terminar(), 143);
    const auto valores = amostras(ficheiro());
    EXPECT_EQ(valores.at("quorvelanti_run_exit_status{set=diario}"), 143);
    EXPECT_EQ(valores.at(empresa("exit_status", "A")), 143);
    EXPECT_EQ(valores.count(empresa("last_success_timestamp_seconds", "A")), 0u);
}
