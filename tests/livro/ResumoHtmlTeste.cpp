// The HTML summary of a workbook, at the boundaries a message meets: figures on the edge of
// rounding and grouping, a total that divides by zero, hostile texts, a row filter, the row limit
// and the size of the encoded part.
#include "output/ResumoHtml.h"

#include <gtest/gtest.h>

#include "components/mail/mime/MensagemCodificacao.h"

using namespace quorvelanti;

namespace {

bool contem(const std::string& texto, const std::string& parte) { return texto.find(parte) != std::string::npos; }

ConjuntoResultados conjunto(const std::vector<Campo>& campos, const std::vector<std::vector<Valor>>& linhas)
{
    ConjuntoResultados rs(campos);
    for (const auto& linha : linhas) rs.AcrescentarLinhaBruta(linha);
    return rs;
}

Moeda m(double valor) { return Moeda::DeDouble(valor); }

TEST(ResumoHtml, FigurasComoOLivroAsMostraTextosEscapadosELinhasEscolhidas)
{
    const std::vector<Campo> campos{{"Nome", TipoCampo::Texto, 40},
                                    {"Valor", TipoCampo::Moeda},
                                    {"Custo", TipoCampo::Moeda},
                                    {"Margem", TipoCampo::Moeda},
                                    {"Data", TipoCampo::Data}};
    const DataHora dia(2026, 12, 7);
    auto valores = conjunto(campos, {{std::string("<b>\"a\" & 'b'</b>"), m(1234567.125), m(0), m(0), dia},
                                     {std::string("x"), m(-0.005), m(0), m(0), Valor{}},
                                     {std::string("y"), m(999.995), m(0), m(0), dia},
                                     {std::string("z"), m(0), m(0), m(0), dia},
                                     {std::string("w"), m(0), m(0), m(0), dia}});
    auto compras = conjunto({{"Artigo", TipoCampo::Texto, 15}, {"Disponibilidade", TipoCampo::Texto, 80}},
                            {{std::string("A1"), std::string("Em Stock")},
                             {std::string("A2"), std::string("2  em Stock   1 Enc.For")},
                             {std::string("A3"), std::string("")}});
    DescricaoLivro livro{.tipo = TipoLivro::Compras};
    livro.folhas.push_back({"Valores",
                            "Valores de 07-12-2026",
                            std::move(valores),
                            {{2, TipoTotal::SUMC}, {3, TipoTotal::SUMC}, {4, TipoTotal::PER2}},
                            {.mostrar = true}});
    livro.folhas.push_back({"Fora", "Folha fora do resumo", conjunto(campos, {}), {}});
    livro.folhas.push_back(
        {"Compras",
         "Compras em 07-12-2026",
         std::move(compras),
         {},
         {.mostrar = true, .campo = "Disponibilidade", .omitir = "Em Stock", .legenda = "Sem stock"}});

    const std::string html =
        ResumoHtml({.livro = livro, .texto = "Informação & mais", .anexo = "x<1>.xlsx", .linhas = 3});

    EXPECT_TRUE(contem(html, "<p style=\"margin:0 0 8px 0;\">Informação &amp; mais</p>"));
    EXPECT_TRUE(contem(html, "&lt;b&gt;&quot;a&quot; &amp; &#39;b&#39;&lt;/b&gt;"));
    EXPECT_FALSE(contem(html, "<b>"));
    // Halves away from zero, grouped by thousands, a negative half-cent, a carry into the thousands.
    EXPECT_TRUE(contem(html, ">1.234.567,13</td>"));
    EXPECT_TRUE(contem(html, ">-0,01</td>"));
    EXPECT_TRUE(contem(html, ">1.000,00</td>"));
    EXPECT_TRUE(contem(html, ">07-12-2026</td>"));
    // The first three rows, then the totals of all five: the sum, and a percentage over a zero total.
    EXPECT_FALSE(contem(html, ">z</td>"));
    EXPECT_TRUE(contem(html, "Mais 2 linhas no livro anexo."));
    EXPECT_TRUE(contem(html, ">1.235.567,12</td>"));
    EXPECT_TRUE(contem(html, ">#DIV/0!</td>"));
    // A sheet outside the summary, then one of the rows still without stock.
    EXPECT_FALSE(contem(html, "Folha fora do resumo"));
    EXPECT_TRUE(contem(html, "Sem stock: 2 de 3"));
    EXPECT_FALSE(contem(html, ">Em Stock</td>"));
    EXPECT_TRUE(contem(html, ">2  em Stock   1 Enc.For</td>"));
    // The attachment and the sheets it holds, as their tabs show them: the empty one is unnamed.
    EXPECT_TRUE(contem(html, "O livro anexo, x&lt;1&gt;.xlsx, tem todas as folhas: Valores, Compras."));
}

TEST(ResumoHtml, UmaFolhaEnormeCabeNaParteEMostraOTotalGeral)
{
    const std::vector<Campo> campos{{"Designação", TipoCampo::Texto, 80}, {"Valor", TipoCampo::Moeda}};
    std::string longo;
    for (int i = 0; i < 700; ++i) longo += "ç";
    std::vector<std::vector<Valor>> linhas(3000, {longo, m(1)});
    linhas.push_back({std::string("Total Geral"), m(3000)});
    DescricaoLivro livro{.tipo = TipoLivro::ClienteSemanal,
                         .linhasCliente = {"Cliente: C1", "Nome Cliente: =?", "Nome Vendedor: V"}};
    livro.folhas.push_back({"Enc. Pendentes", "Encomendas Pendentes", conjunto(campos, linhas), {}, {.mostrar = true}});

    const std::string html = ResumoHtml({.livro = livro, .texto = "t", .anexo = "c.xlsx", .linhas = 10000});

    EXPECT_LE(mensagem::QuotedPrintable(html).size(), MaximoBytesResumo);
    // Texts are cut at 500 characters; rows stop where the part is full, the grand total still shown.
    EXPECT_FALSE(contem(html, longo));
    EXPECT_TRUE(contem(html, longo.substr(0, 1000) + "…</td>"));
    EXPECT_TRUE(contem(html, ">Total Geral</td>"));
    const auto mais = html.find("Mais ");
    ASSERT_NE(mais, std::string::npos);
    const int escondidas = std::stoi(html.substr(mais + 5));
    EXPECT_GT(escondidas, 2500);
    EXPECT_LT(escondidas, 3000);
}

}  // namespace
