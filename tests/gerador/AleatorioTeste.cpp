#include "Aleatorio.h"

#include <gtest/gtest.h>

#include <set>

using quorvelanti::gerador::Aleatorio;

// The published splitmix64 sequence for seed 0: a company generated here is the same company
// on any other machine or compiler.
TEST(Aleatorio, SegueASequenciaPublicadaDoSplitmix64)
{
    Aleatorio a(0);
    EXPECT_EQ(a.Proximo(), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(a.Proximo(), 0x6E789E6AA1B965F4ULL);
}

TEST(Aleatorio, InteirosCobremOsDoisExtremosESoEles)
{
    Aleatorio a(3);
    std::set<long> vistos;
    for (int i = 0; i < 2000; ++i) {
        const long v = a.Inteiro(-2, 2);
        ASSERT_GE(v, -2);
        ASSERT_LE(v, 2);
        vistos.insert(v);
    }
    EXPECT_EQ(vistos.size(), 5u);
    EXPECT_EQ(a.Inteiro(7, 7), 7);
}

TEST(Aleatorio, PonderadoNuncaEscolheUmPesoNuloEIndicePopularFicaNoIntervalo)
{
    Aleatorio a(11);
    std::size_t primeiros = 0;
    for (int i = 0; i < 3000; ++i) {
        EXPECT_NE(a.Ponderado({0.5, 0.0, 0.5}), 1u);
        const std::size_t p = a.IndicePopular(10);
        ASSERT_LT(p, 10u);
        primeiros += p == 0;
    }
    // Squared uniform: position 0 of 10 takes about 32% of the draws, not 10%.
    EXPECT_GT(primeiros, 700u);
    EXPECT_LT(primeiros, 1200u);
}
