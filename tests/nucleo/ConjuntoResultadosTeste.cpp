#include <gtest/gtest.h>

#include "data/ConjuntoResultados.h"
#include "data/Erro.h"

using namespace quorvelanti;

namespace {
ConjuntoResultados tabela()
{
    ConjuntoResultados rs({{"Vendedor", TipoCampo::Texto, 10},
                           {"Nome Vendedor", TipoCampo::Texto, 50},
                           {"Valor", TipoCampo::Moeda},
                           {"Data", TipoCampo::Data}});
    auto linha = [&](const char* v, const char* n, const char* valor, Valor data) {
        rs.AdicionarLinha();
        rs.Definir("Vendedor", std::string(v));
        rs.Definir("Nome Vendedor", std::string(n));
        rs.Definir("Valor", std::string(valor));
        rs.Definir("Data", data);
    };
    linha("V2", "Rui", "10.5", std::string("07-12-2026"));
    linha("O'NEIL", "Ana", "3", Valor{});
    linha("V1", "Bea", "-1", DataHora(2026, 1, 2));
    linha("V2", "Rui", "4", std::string("sem data"));
    return rs;
}

std::vector<std::string> coluna(ConjuntoResultados& rs, const std::string& campo)
{
    std::vector<std::string> v;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) v.push_back(rs.Texto(campo));
    return v;
}
}  // namespace

TEST(ConjuntoResultados, ConverteParaOTipoDoCampoEGuardaTextosInteiros)
{
    ConjuntoResultados rs({{"Codigo", TipoCampo::Texto, 3}, {"Qtd", TipoCampo::Moeda}, {"Quando", TipoCampo::Data}});
    rs.AdicionarLinha();
    rs.Definir("codigo", std::string("ABCDEF"));  // names ignore letter case
    rs.Definir("QTD", std::int64_t{7});
    rs.Definir("Quando", std::string("31-12-2026"));
    EXPECT_EQ(rs.Texto("Codigo"), "ABCDEF");  // the size is the column's width, not a limit
    EXPECT_EQ(rs.CampoEm(0).tamanho, 3);
    EXPECT_EQ(std::get<Moeda>(rs.ValorDe("Qtd")), Moeda::DeUnidades(7));
    EXPECT_EQ(std::get<DataHora>(rs.ValorDe("Quando")), DataHora(2026, 12, 31));
    EXPECT_THROW(rs.ValorDe("Inexistente"), Erro);
}

TEST(ConjuntoResultados, NuloLidoComoTextoEVazio)
{
    auto rs = tabela();
    rs.MoverPrimeiro();
    rs.MoverSeguinte();
    EXPECT_TRUE(ENulo(rs.ValorDe("Data")));
    EXPECT_EQ(rs.Texto("Data"), "");
    EXPECT_EQ(rs.ComoMoeda("Valor"), Moeda::DeUnidades(3));
}

TEST(ConjuntoResultados, FiltroPorValorComApostrofoELimpeza)
{
    auto rs = tabela();
    rs.Filtrar("Vendedor", "O'NEIL");
    EXPECT_EQ(rs.ContarRegistos(), 1);
    EXPECT_EQ(coluna(rs, "Nome Vendedor"), std::vector<std::string>{"Ana"});
    rs.Filtrar("Vendedor", "V2");
    EXPECT_EQ(coluna(rs, "Valor"), (std::vector<std::string>{"10.5", "4"}));
    rs.Filtrar("Vendedor", "v2");  // values compare exactly
    EXPECT_EQ(rs.ContarRegistos(), 0);
    EXPECT_TRUE(rs.FimDados());
    rs.LimparFiltro();
    EXPECT_EQ(rs.ContarRegistos(), 4);
}

TEST(ConjuntoResultados, OrdenacaoEstavelComNulosPrimeiroENumerosPorValor)
{
    auto rs = tabela();
    rs.Ordenar("Nome Vendedor");
    EXPECT_EQ(coluna(rs, "Nome Vendedor"), (std::vector<std::string>{"Ana", "Bea", "Rui", "Rui"}));
    EXPECT_EQ(coluna(rs, "Valor"), (std::vector<std::string>{"3", "-1", "10.5", "4"}));
    rs.Ordenar("Valor");
    EXPECT_EQ(coluna(rs, "Valor"), (std::vector<std::string>{"-1", "3", "4", "10.5"}));
    rs.Ordenar("Data");
    EXPECT_EQ(coluna(rs, "Data"), (std::vector<std::string>{"", "", "02-01-2026", "07-12-2026"}));
}

TEST(ConjuntoResultados, FiltroSobreOrdenacaoEAlteracaoDasLinhasFiltradas)
{
    auto rs = tabela();
    rs.Filtrar("Vendedor", "V2");
    rs.Ordenar("Valor");
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) rs.Definir("Nome Vendedor", std::string("Rui M."));
    rs.LimparFiltro();
    EXPECT_EQ(coluna(rs, "Nome Vendedor"), (std::vector<std::string>{"Bea", "Ana", "Rui M.", "Rui M."}));
}

TEST(ConjuntoResultados, CloneTemCursorProprioSobreAsMesmasLinhas)
{
    auto rs = tabela();
    rs.MoverPrimeiro();
    rs.MoverSeguinte();
    auto clone = rs.Clonar();
    EXPECT_EQ(clone.Texto("Vendedor"), "V2");  // the clone starts at the first row
    EXPECT_EQ(rs.Texto("Vendedor"), "O'NEIL");  // the original's cursor did not move
    clone.Definir("Nome Vendedor", std::string("Rita"));
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("Nome Vendedor"), "Rita");
    clone.Filtrar("Vendedor", "V1");
    EXPECT_EQ(clone.ContarRegistos(), 1);
    EXPECT_EQ(rs.ContarRegistos(), 4);
}

TEST(ConjuntoResultados, ConjuntoVazioSemRegistoActual)
{
    ConjuntoResultados rs;
    EXPECT_EQ(rs.ContarRegistos(), 0);
    EXPECT_TRUE(rs.FimDados());
    EXPECT_THROW(rs.LinhaActual(), Erro);
}
