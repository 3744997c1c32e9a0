#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

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

// The database's money range bounds every amount: a result beyond it is an error carrying the
// exact figure, never a wrapped one; the limits themselves are amounts.
TEST(Moeda, ForaDosLimitesEErroComOValorExacto)
{
    auto detalhe = [](auto operacao) {
        try {
            operacao();
        } catch (const Erro& erro) {
            EXPECT_EQ(erro.Numero(), quorvelanti::erros::MoedaForaDosLimites);
            return erro.Detalhe();
        }
        return std::string("sem erro");
    };
    const Moeda maximo = Moeda::DeTexto("922337203685477.5807");
    const Moeda minimo = Moeda::DeTexto("-922337203685477.5808");
    EXPECT_EQ(maximo.Bruto(), INT64_MAX);
    EXPECT_EQ(minimo.Bruto(), INT64_MIN);
    EXPECT_EQ(detalhe([&] { Moeda t = maximo; t += Moeda::DeDecimosMilesimos(1); }), "922337203685477.5808");
    EXPECT_EQ(detalhe([&] { Moeda t = Moeda::DeUnidades(900000000000000); t += t; }), "1800000000000000");
    EXPECT_EQ(detalhe([&] { (void)(minimo - Moeda::DeUnidades(1)); }), "-922337203685478.5808");
    EXPECT_EQ(detalhe([&] { (void)Moeda::DeDouble(1e15); }), "1000000000000000");
    EXPECT_EQ(detalhe([&] { (void)Moeda::DeDouble(std::nan("")); }), "nan");
    EXPECT_EQ(detalhe([&] { (void)Moeda::DeTexto("922337203685477.5808"); }), "922337203685477.5808");
    EXPECT_EQ(detalhe([&] { (void)Moeda::DeTexto(" 99999999999999999999999999999999999999999 "); }),
              "99999999999999999999999999999999999999999");
    EXPECT_EQ(detalhe([&] { (void)(maximo * Moeda::DeUnidades(2)); }), "1844674407370955.1614");
    EXPECT_EQ(Moeda::DeDouble(-900000000000000.0).Texto(), "-900000000000000");
}
