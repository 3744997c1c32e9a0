#include <gtest/gtest.h>

#include "data/DataHora.h"
#include "data/Erro.h"

using quorvelanti::DataHora;

TEST(DataHora, FormatosDosTextosDaEmissao)
{
    DataHora d(2026, 12, 7, 23, 4, 59);
    EXPECT_EQ(d.Formatar("dd-mm-yyyy"), "07-12-2026");
    EXPECT_EQ(d.Formatar("yyyymmddhhmmss"), "20261207230459");
    EXPECT_EQ(d.Formatar("yyyy-mm-dd"), "2026-12-07");
    EXPECT_EQ(d.Formatar("HH:MM:SS"), "23:04:59");
    EXPECT_EQ(d.Formatar("yyyymmdd"), "20261207");
}

TEST(DataHora, LeOsTextosQueAsBasesEOsRelatoriosUsam)
{
    EXPECT_EQ(DataHora::Ler("2026-12-07 23:04:59"), DataHora(2026, 12, 7, 23, 4, 59));
    EXPECT_EQ(DataHora::Ler("2026-12-07"), DataHora(2026, 12, 7));
    EXPECT_EQ(DataHora::Ler("07-12-2026"), DataHora(2026, 12, 7));
    EXPECT_EQ(DataHora::Ler("07/12/2026 08:00:00"), DataHora(2026, 12, 7, 8));
    EXPECT_EQ(DataHora::Ler("2026-12-07 10:11:12.345"), DataHora(2026, 12, 7, 10, 11, 12));
    for (const char* mau : {"", "2026-02-30", "31-04-2026", "2026-12-07 25:00:00", "hoje", "2026-1-7"})
        EXPECT_FALSE(DataHora::Ler(mau).has_value()) << mau;
}

TEST(DataHora, UmAnoAtrasE29DeFevereiro)
{
    EXPECT_EQ(DataHora(2028, 2, 29, 10).MenosUmAno(), DataHora(2027, 2, 28, 10));
    EXPECT_EQ(DataHora(2025, 2, 28).MenosUmAno(), DataHora(2024, 2, 28));
    EXPECT_EQ(DataHora(2026, 12, 8).MenosUmAno(), DataHora(2025, 12, 8));
}

TEST(DataHora, NumeroDeSerieDaFolhaDeCalculo)
{
    EXPECT_DOUBLE_EQ(DataHora(1900, 1, 1).NumeroSerie(), 2.0);
    EXPECT_DOUBLE_EQ(DataHora(2026, 12, 7).NumeroSerie(), 46363.0);
    EXPECT_DOUBLE_EQ(DataHora(2026, 12, 7, 12).NumeroSerie(), 46363.5);
}

TEST(DataHora, DataImpossivelEErro)
{
    EXPECT_THROW(DataHora(2026, 2, 29), quorvelanti::Erro);
    EXPECT_THROW(DataHora::DeTexto("amanhã"), quorvelanti::Erro);
}
