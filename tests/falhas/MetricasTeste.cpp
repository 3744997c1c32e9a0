// The metrics file of a night ([Log] PastaMetricas), read by Prometheus' own text-format parser
// (python3-prometheus-client): two companies, the second failing on the second night with
// ContinuarAposFalha=1. A night stopped by SIGTERM writes it too (SinaisTeste).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "Cenario.h"

namespace fs = std::filesystem;

namespace {

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
    const auto primeira = falhas::AmostrasPrometheus(ficheiro());
    const double sucessoB = primeira.at(empresa("last_success_timestamp_seconds", "B"));
    EXPECT_EQ(primeira.at("quorvelanti_run_exit_status{set=diario}"), 0);

    fs::remove(cenario.Dorvam() + "/b.db");
    ASSERT_EQ(cenario.Correr().estado, 1);
    const auto segunda = falhas::AmostrasPrometheus(ficheiro());
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
