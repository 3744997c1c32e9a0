// The metrics text carries each company's last success over to the next file, whatever the
// company's name holds that the format escapes.
#include <gtest/gtest.h>

#include "app/FicheiroMetricas.h"

using namespace quorvelanti;

TEST(FicheiroMetricas, UltimoSucessoPassaParaOFicheiroSeguinte)
{
    const std::string nome = "Ferragens \"Sul\" \\n\\ Lda\nLinha";
    MetricasCorrida metricas;
    const MetricasCorrida::Instante t0{std::chrono::seconds(1796992800)};
    metricas.Iniciar(t0);
    metricas.InicioEmpresa(nome, t0);
    metricas.FimEmpresa(nome, t0 + std::chrono::milliseconds(1500), 0);
    metricas.InicioEmpresa("B", t0);
    metricas.FimEmpresa("B", t0 + std::chrono::seconds(2), 1);
    const std::string texto = TextoMetricas({"diario", metricas, t0 + std::chrono::seconds(3), 1, 0}, {{"B", 17.5}});
    const auto sucessos = SucessosAnteriores(texto);
    EXPECT_EQ(sucessos, (std::map<std::string, double>{{nome, 1796992801.5}, {"B", 17.5}}));
}
