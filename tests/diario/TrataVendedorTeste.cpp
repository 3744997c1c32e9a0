// The per-salesperson copies on a hand-made source (the fixture company checks the others on
// real query results): columns, types and sizes, a "Data Doc." that is no date, a missing
// "Vendedor" column; and the salesperson's address.
#include <gtest/gtest.h>

#include "ContextoTeste.h"
#include "data/Erro.h"
#include "reports/LerMailVendedor.h"
#include "reports/daily/TrataVendedor.h"

using namespace quorvelanti;

namespace {

class TrataVendedor : public ::testing::Test {
protected:
    MapasDia mapas;
};

// The pending-order lines as the database gives them (Data Doc. is dd-mm-yyyy text).
ConjuntoResultados linhasPendentes()
{
    ConjuntoResultados rs({{"Id. Doc.", TipoCampo::Texto, 40},   {"Data Doc.", TipoCampo::Texto, 10},
                           {"Cliente", TipoCampo::Texto, 15},    {"Nome Cliente", TipoCampo::Texto, 80},
                           {"Vendedor", TipoCampo::Texto, 10},   {"Nome Vendedor", TipoCampo::Texto, 50},
                           {"Artigo", TipoCampo::Texto, 20},     {"Designação Artigo", TipoCampo::Texto, 80},
                           {"Quantidade", TipoCampo::Numerico},  {"Pr.Unit.Venda", TipoCampo::Moeda},
                           {"Valor Pendente", TipoCampo::Moeda}});
    auto linha = [&](const char* doc, const char* data, const char* vnd, double qtd) {
        rs.AcrescentarLinhaBruta({std::string(doc), std::string(data), std::string("C1"), std::string("Cliente Um"),
                                  std::string(vnd), std::string("Nome"), std::string("ARTIGO-COM-VINTE-CH"),
                                  std::string("Art"), qtd, Moeda::DeTexto("2.5"), Moeda::DeDouble(qtd * 2.5)});
    };
    linha("ECL/A/1/2026", "01-12-2026", "V1", 2);
    linha("ECL/A/2/2026", "02-12-2026", "O'B", 1);
    linha("ECL/A/3/2026", "não data", "V1", 4);
    return rs;
}

TEST_F(TrataVendedor, EncPendentesCopiaSoOVendedorComColunasDoLivro)
{
    mapas.RsEncPendentesLinhas = linhasPendentes();
    ConjuntoResultados rsf;
    TrataVendedorEncPendentes(mapas, rsf, "V1");
    ASSERT_EQ(rsf.NumeroCampos(), 9u);
    EXPECT_EQ(rsf.CampoEm(0).nome, "Id.Doc.");  // "Id. Doc." loses its blank
    EXPECT_EQ(rsf.CampoEm(1).nome, "Data Doc");
    EXPECT_EQ(rsf.CampoEm(1).tipo, TipoCampo::TextoFixo);
    EXPECT_EQ(rsf.CampoEm(1).tamanho, 10);
    EXPECT_EQ(rsf.CampoEm(4).tamanho, 15);
    EXPECT_EQ(rsf.CampoEm(8).nome, "Valor Pendente");
    EXPECT_EQ(rsf.CampoEm(8).tipo, TipoCampo::Moeda);
    ASSERT_EQ(rsf.ContarRegistos(), 2);
    rsf.MoverPrimeiro();
    EXPECT_EQ(rsf.Texto("Id.Doc."), "ECL/A/1/2026");
    EXPECT_EQ(rsf.Texto("Data Doc"), "01-12-2026");
    EXPECT_EQ(rsf.Texto("Artigo"), "ARTIGO-COM-VINTE-CH");  // whole, past the field's 15 characters
    EXPECT_EQ(rsf.ComoMoeda("Quantidade"), Moeda::DeUnidades(2));
    EXPECT_EQ(rsf.ComoMoeda("Valor Pendente"), Moeda::DeUnidades(5));
    rsf.MoverSeguinte();
    EXPECT_EQ(rsf.Texto("Data Doc"), "não data");  // no date: passes unchanged
    // The source stays whole, for the workbooks written after.
    EXPECT_EQ(mapas.RsEncPendentesLinhas.ContarRegistos(), 3);
}

TEST_F(TrataVendedor, OrigemSemColunaVendedorFalha)
{
    mapas.RsVendasDiaResumo = ConjuntoResultados({{"Codigo", TipoCampo::Texto, 10}});
    ConjuntoResultados rsf;
    EXPECT_THROW(TrataVendedorAcumulado(mapas, rsf, "V1"), Erro);
}

TEST(LerMailVendedor, SoCodigosExactosEmPosicoesPares)
{
    diario::ContextoTeste t;
    std::string email = "antigo";
    LerMailVendedor(t.ctx, email, "V1");
    EXPECT_EQ(email, "");  // empty list
    t.ctx.Empresa->Definicoes.DestinoVnd = "V1,ana@x.pt, V2, rui@x.pt,V1,outra@x.pt,V3";
    LerMailVendedor(t.ctx, email, "V1");
    EXPECT_EQ(email, "ana@x.pt");  // first of a repeated code
    LerMailVendedor(t.ctx, email, "V2");
    EXPECT_EQ(email, "");  // written " V2": blanks count
    LerMailVendedor(t.ctx, email, " V2");
    EXPECT_EQ(email, " rui@x.pt");
    LerMailVendedor(t.ctx, email, "ana@x.pt");
    EXPECT_EQ(email, "");  // an address is never taken for a code
    LerMailVendedor(t.ctx, email, "V3");
    EXPECT_EQ(email, "");  // a final code without address
}

}  // namespace
