// The day/month merge on hand-made query results: who gets a row, which figures go where, the
// cut of long codes and names, the order, and codes that a filter text could not hold.
#include <gtest/gtest.h>

#include "data/ConjuntoResultados.h"
#include "reports/daily/FusaoDiaMes.h"

using namespace quorvelanti;

namespace {

// A query result as the database gives it: salesperson, name, count, value.
ConjuntoResultados consulta(std::initializer_list<std::vector<Valor>> linhas)
{
    ConjuntoResultados rs({{"Vendedor", TipoCampo::Texto, 10},
                           {"Nome Vendedor", TipoCampo::Texto, 50},
                           {"No.Encomendas", TipoCampo::Inteiro},
                           {"Valor Venda", TipoCampo::Moeda}});
    for (const auto& l : linhas) rs.AcrescentarLinhaBruta(l);
    return rs;
}

const std::vector<ColunaFusao> colunasDia{{"No.Enc(Dia)", "No.Encomendas"}, {"Valor Venda(Dia)", "Valor Venda"}};
const std::vector<ColunaFusao> colunasMes{{"No.Enc(Mês)", "No.Encomendas"}, {"Valor Venda(Mês)", "Valor Venda"}};

Moeda m(const char* texto) { return Moeda::DeTexto(texto); }

// Row of the merged table as text, field by field, for compact comparison.
std::string linha(const ConjuntoResultados& rs)
{
    std::string s;
    for (std::size_t i = 0; i < rs.NumeroCampos(); ++i) s += (i ? "|" : "") + ValorComoTexto(rs.ValorDe(i));
    return s;
}

std::vector<std::string> linhas(ConjuntoResultados& rs)
{
    std::vector<std::string> todas;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) todas.push_back(linha(rs));
    return todas;
}

TEST(FusaoDiaMes, CamposDaTabela)
{
    auto dia = consulta({});
    auto mes = consulta({});
    ConjuntoResultados rs;
    FundirDiaMes(rs, dia, mes, colunasDia, colunasMes);
    ASSERT_EQ(rs.NumeroCampos(), 6u);
    const char* nomes[] = {"Vendedor", "Nome Vendedor", "No.Enc(Dia)", "Valor Venda(Dia)", "No.Enc(Mês)",
                           "Valor Venda(Mês)"};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(rs.CampoEm(i).nome, nomes[i]);
        EXPECT_EQ(rs.CampoEm(i).tipo, i < 2 ? TipoCampo::Texto : TipoCampo::Moeda);
    }
    EXPECT_EQ(rs.CampoEm(0).tamanho, 10);
    EXPECT_EQ(rs.CampoEm(1).tamanho, 50);
    EXPECT_EQ(rs.ContarRegistos(), 0);  // nothing today, nothing this month: an empty table
}

TEST(FusaoDiaMes, DiaComMesEVendedoresSoDoMes)
{
    auto dia = consulta({{std::string("V2"), std::string("Bruno"), std::int64_t{1}, m("10")},
                         {std::string("V1"), std::string("Carla"), std::int64_t{2}, m("20.5")}});
    auto mes = consulta({{std::string("V1"), std::string("Carla"), std::int64_t{5}, m("120.5")},
                         {std::string("V3"), std::string("Alice"), std::int64_t{3}, m("30")},
                         {std::string("V2"), std::string("Bruno"), std::int64_t{4}, m("40")}});
    ConjuntoResultados rs;
    FundirDiaMes(rs, dia, mes, colunasDia, colunasMes);
    // Sorted by name; the month-only salesperson has zero day figures.
    EXPECT_EQ(linhas(rs), (std::vector<std::string>{"V3|Alice|0|0|3|30", "V2|Bruno|1|10|4|40",
                                                    "V1|Carla|2|20.5|5|120.5"}));
}

TEST(FusaoDiaMes, DiaSemMesFicaComZeros)
{
    // The month query holds every salesperson of the day; should it not, the day row keeps
    // its figures and the month ones are 0.
    auto dia = consulta({{std::string("V1"), std::string("Ana"), std::int64_t{1}, m("7")}});
    auto mes = consulta({});
    ConjuntoResultados rs;
    FundirDiaMes(rs, dia, mes, colunasDia, colunasMes);
    EXPECT_EQ(linhas(rs), (std::vector<std::string>{"V1|Ana|1|7|0|0"}));
}

TEST(FusaoDiaMes, CodigosComApostrofoEVendedorSemFicha)
{
    // A code with an apostrophe is matched by value; a line without salesperson master row
    // comes with a null name and still finds its month row.
    auto dia = consulta({{std::string("O'B"), std::string("O'Brien"), std::int64_t{1}, m("1")},
                         {std::string("X9"), Valor{}, std::int64_t{1}, m("2")}});
    auto mes = consulta({{std::string("X9"), Valor{}, std::int64_t{2}, m("5")},
                         {std::string("O'B"), std::string("O'Brien"), std::int64_t{3}, m("9")}});
    ConjuntoResultados rs;
    FundirDiaMes(rs, dia, mes, colunasDia, colunasMes);
    EXPECT_EQ(linhas(rs), (std::vector<std::string>{"X9||1|2|2|5", "O'B|O'Brien|1|1|3|9"}));
    rs.MoverPrimeiro();
    EXPECT_TRUE(ENulo(rs.ValorDe("Nome Vendedor")));  // null names sort first and stay null
}

TEST(FusaoDiaMes, CodigoENomeLongosCortados)
{
    ConjuntoResultados dia({{"Vendedor", TipoCampo::Texto, 20},
                            {"Nome Vendedor", TipoCampo::Texto, 80},
                            {"No.Encomendas", TipoCampo::Inteiro},
                            {"Valor Venda", TipoCampo::Moeda}});
    const std::string nome(60, 'n');
    dia.AcrescentarLinhaBruta({std::string("ABCDEFGHIJKL"), nome, std::int64_t{1}, m("1")});
    ConjuntoResultados mes = dia.Clonar();  // same salesperson in the month, matched by full code
    ConjuntoResultados rs;
    FundirDiaMes(rs, dia, mes, colunasDia, colunasMes);
    ASSERT_EQ(rs.ContarRegistos(), 1);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("Vendedor"), "ABCDEFGHIJ");
    EXPECT_EQ(rs.Texto("Nome Vendedor"), std::string(50, 'n'));
    EXPECT_EQ(rs.ComoMoeda("No.Enc(Mês)"), Moeda::DeUnidades(1));
}

}  // namespace
