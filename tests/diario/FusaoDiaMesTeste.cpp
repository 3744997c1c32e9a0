// The day/month merge on hand-made query results, for what the fixture company cannot hold: a
// day row without month row, and codes and names longer than the table's fields.
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

TEST(FusaoDiaMes, DiaSemMesFicaComZeros)
{
    // The month query holds every salesperson of the day; should it not, the day row keeps
    // its figures and the month ones are 0.
    auto dia = consulta({{std::string("V1"), std::string("Ana"), std::int64_t{1}, m("7")}});
    auto mes = consulta({});
    ConjuntoResultados rs;
    FundirDiaMes(rs, dia, mes, colunasDia, colunasMes);
    ASSERT_EQ(rs.ContarRegistos(), 1);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.ComoMoeda("Valor Venda(Dia)"), m("7"));
    EXPECT_EQ(rs.ComoMoeda("No.Enc(Mês)"), Moeda{});
    EXPECT_EQ(rs.ComoMoeda("Valor Venda(Mês)"), Moeda{});
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

// The summary lists salespeople by name as people read them, whatever the byte values: no name
// first, then an empty one, then letters before accents and case.
TEST(FusaoDiaMes, ResumoPorNomeComAcentosEMaiusculas)
{
    auto linha = [](const char* codigo, Valor nome) {
        return std::vector<Valor>{std::string(codigo), nome, std::int64_t{1}, m("1")};
    };
    auto dia = consulta({linha("V1", std::string("Bruno")), linha("V2", std::string("Zé")),
                         linha("V3", std::string("ana")), linha("V9", std::string("Ana"))});
    auto mes = consulta({linha("V4", std::string("Álvaro")), linha("V5", std::string("Jorge Silva")),
                         linha("V6", std::string("João Nunes")), linha("V7", Valor{}), linha("V8", std::string(""))});
    ConjuntoResultados rs;
    FundirDiaMes(rs, dia, mes, colunasDia, colunasMes);
    std::vector<std::string> codigos;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) codigos.push_back(rs.Texto("Vendedor"));
    EXPECT_EQ(codigos, (std::vector<std::string>{"V7", "V8", "V4", "V3", "V9", "V1", "V6", "V5", "V2"}));
}

}  // namespace
