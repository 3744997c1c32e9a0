// The per-salesperson copies: their columns and types, the rows of one salesperson only, the
// date columns, renamed source columns, and codes that a filter text could not hold.
#include <gtest/gtest.h>

#include "ContextoTeste.h"
#include "data/Erro.h"
#include "reports/daily/TrataVendedor.h"

using namespace quorvelanti;

namespace {

class TrataVendedor : public ::testing::Test {
protected:
    diario::ContextoTeste t;
    ContextoExecucao& ctx = t.ctx;
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
    ctx.RsEncPendentesLinhas = linhasPendentes();
    ConjuntoResultados rsf;
    TrataVendedorEncPendentes(ctx, rsf, "V1");
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
    EXPECT_EQ(rsf.Texto("Artigo"), "ARTIGO-COM-VINT");  // cut to the field's 15 characters
    EXPECT_EQ(rsf.ComoMoeda("Quantidade"), Moeda::DeUnidades(2));
    EXPECT_EQ(rsf.ComoMoeda("Valor Pendente"), Moeda::DeUnidades(5));
    rsf.MoverSeguinte();
    EXPECT_EQ(rsf.Texto("Data Doc"), "não data");  // no date: passes unchanged
    // The source stays restricted to the salesperson.
    EXPECT_EQ(ctx.RsEncPendentesLinhas.ContarRegistos(), 2);
}

TEST_F(TrataVendedor, CodigoComApostrofoNaoFalha)
{
    ctx.RsEncPendentesLinhas = linhasPendentes();
    ConjuntoResultados rsf;
    TrataVendedorEncPendentes(ctx, rsf, "O'B");
    ASSERT_EQ(rsf.ContarRegistos(), 1);
    rsf.MoverPrimeiro();
    EXPECT_EQ(rsf.Texto("Id.Doc."), "ECL/A/2/2026");
}

TEST_F(TrataVendedor, SemLinhasDaUmConjuntoVazioComTodasAsColunas)
{
    ctx.RsEncPendentesLinhas = linhasPendentes();
    ConjuntoResultados rsf = linhasPendentes();  // whatever was there is replaced
    TrataVendedorEncPendentes(ctx, rsf, "V9");
    EXPECT_EQ(rsf.ContarRegistos(), 0);
    EXPECT_EQ(rsf.NumeroCampos(), 9u);
}

TEST_F(TrataVendedor, PendenteConverteDataEntregaEmData)
{
    ConjuntoResultados rs({{"Id.Doc.", TipoCampo::Texto, 40},  {"Vendedor", TipoCampo::Texto, 10},
                           {"Nome Vendedor", TipoCampo::Texto, 50}, {"Data Entrega", TipoCampo::Texto, 10},
                           {"Cliente", TipoCampo::Texto, 15},  {"Nome Cliente", TipoCampo::Texto, 80},
                           {"Artigo", TipoCampo::Texto, 20},   {"Designação Artigo", TipoCampo::Texto, 80},
                           {"Pr.Unit.Venda", TipoCampo::Moeda}, {"Quantidade", TipoCampo::Numerico},
                           {"Valor Venda", TipoCampo::Moeda}});
    rs.AcrescentarLinhaBruta({std::string("ECL/A/1/2026"), std::string("V1"), std::string("Ana"),
                              std::string("24-12-2026"), std::string("C1"), std::string("Um"), std::string("A1"),
                              std::string("Artigo 1"), Moeda::DeTexto("1.25"), 3.0, Moeda::DeTexto("3.75")});
    ctx.RsEncDiaDetalhe = rs;
    ConjuntoResultados rsf;
    TrataVendedorPendente(ctx, rsf, "V1");
    ASSERT_EQ(rsf.ContarRegistos(), 1);
    EXPECT_EQ(rsf.CampoEm(1).nome, "Data Entrega");
    EXPECT_EQ(rsf.CampoEm(1).tipo, TipoCampo::Data);
    rsf.MoverPrimeiro();
    EXPECT_EQ(std::get<DataHora>(rsf.ValorDe("Data Entrega")), DataHora(2026, 12, 24));
    EXPECT_EQ(rsf.ComoMoeda("Valor Venda"), Moeda::DeTexto("3.75"));
    EXPECT_FALSE(rsf.TemCampo("Vendedor"));  // used for the restriction, not copied
}

TEST_F(TrataVendedor, ClienteLeNomeClienteEValorVenda)
{
    ConjuntoResultados rs({{"Vendedor", TipoCampo::Texto, 10}, {"Nome Vendedor", TipoCampo::Texto, 50},
                           {"Cliente", TipoCampo::Texto, 15}, {"NomeCliente", TipoCampo::Texto, 80},
                           {"Valor Venda", TipoCampo::Moeda}});
    rs.AcrescentarLinhaBruta({std::string("V1"), std::string("Ana"), std::string("C1"), std::string("Um"),
                              Moeda::DeTexto("-4")});
    rs.AcrescentarLinhaBruta({std::string("V2"), std::string("Rui"), std::string("C2"), std::string("Dois"),
                              Moeda::DeTexto("9")});
    ctx.RsVendasMesCliente = rs;
    ConjuntoResultados rsf;
    TrataVendedorCliente(ctx, rsf, "V1");
    ASSERT_EQ(rsf.NumeroCampos(), 3u);
    EXPECT_EQ(rsf.CampoEm(1).nome, "Nome Cliente");
    EXPECT_EQ(rsf.CampoEm(2).nome, "Vendas");
    ASSERT_EQ(rsf.ContarRegistos(), 1);
    rsf.MoverPrimeiro();
    EXPECT_EQ(rsf.Texto("Nome Cliente"), "Um");
    EXPECT_EQ(rsf.ComoMoeda("Vendas"), Moeda::DeTexto("-4"));
}

TEST_F(TrataVendedor, OrigemSemColunaVendedorFalha)
{
    ctx.RsVendasDiaResumo = ConjuntoResultados({{"Codigo", TipoCampo::Texto, 10}});
    ConjuntoResultados rsf;
    EXPECT_THROW(TrataVendedorAcumulado(ctx, rsf, "V1"), Erro);
}

TEST(LerMailVendedor, SoCodigosExactosEmPosicoesPares)
{
    diario::ContextoTeste t;
    std::string email = "antigo";
    LerMailVendedor(t.ctx, email, "V1");
    EXPECT_EQ(email, "");  // empty list
    t.ctx.DestinoVnd = "V1,ana@x.pt, V2, rui@x.pt,V1,outra@x.pt,V3";
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
