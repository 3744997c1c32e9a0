#include <gtest/gtest.h>

#include "data/Erro.h"
#include "data/Moeda.h"

using quorvelanti::Erro;
using quorvelanti::Moeda;

TEST(Moeda, SomasExactasOndeDoublesDerivam)
{
    Moeda total;
    for (int i = 0; i < 1000; ++i) total += Moeda::DeTexto("0.1");
    EXPECT_EQ(total, Moeda::DeUnidades(100));
    EXPECT_EQ((Moeda::DeTexto("0.3") - Moeda::DeTexto("0.1")).Texto(), "0.2");
}

TEST(Moeda, TextoSemSeparadorDeMilharesEDecimaisSoQuandoHa)
{
    EXPECT_EQ(Moeda::DeUnidades(2).Texto(), "2");
    EXPECT_EQ(Moeda::DeUnidades(1234567).Texto(), "1234567");
    EXPECT_EQ(Moeda::DeTexto("-2.50").Texto(), "-2.5");
    EXPECT_EQ(Moeda::DeTexto("0,0001").Texto(','), "0,0001");
    EXPECT_EQ(Moeda::DeTexto("-0.5").Texto(), "-0.5");
}

TEST(Moeda, LeituraArredondaAoDecimoMilesimoEMetadeAfastaDeZero)
{
    EXPECT_EQ(Moeda::DeTexto("1.00005").Bruto(), 10001);
    EXPECT_EQ(Moeda::DeTexto("-1.00005").Bruto(), -10001);
    EXPECT_EQ(Moeda::DeDouble(2.675).Bruto(), 26750);
    EXPECT_EQ(Moeda::DeTexto(" 12 ").Bruto(), 120000);
}

TEST(Moeda, ProdutoEQuocienteArredondados)
{
    EXPECT_EQ((Moeda::DeTexto("1.5") * Moeda::DeTexto("3.3333")).Texto(), "5");
    EXPECT_EQ((Moeda::DeUnidades(10) / Moeda::DeUnidades(3)).Texto(), "3.3333");
    EXPECT_EQ((Moeda::DeUnidades(-20) / Moeda::DeUnidades(3)).Texto(), "-6.6667");
    EXPECT_THROW(Moeda::DeUnidades(1) / Moeda{}, Erro);
}

TEST(Moeda, TextoInvalidoEErro)
{
    for (const char* mau : {"", "abc", "1.2.3", "12a", "-", "1e5"}) EXPECT_THROW(Moeda::DeTexto(mau), Erro) << mau;
}
