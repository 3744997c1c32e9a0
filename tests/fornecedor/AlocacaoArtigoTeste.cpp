// The allocation of one article's stock and supplier orders to its lines, rule by rule.
#include <gtest/gtest.h>

#include <vector>

#include "reports/daily/AlocacaoArtigo.h"

using namespace quorvelanti;

namespace {

Moeda M(const char* texto) { return Moeda::DeTexto(texto); }

// The availability texts of a run of lines through one allocation.
std::vector<std::string> alocar(AlocacaoArtigo& a, const std::vector<const char*>& quantidades)
{
    std::vector<std::string> textos;
    for (const char* q : quantidades) textos.push_back(a.Alocar(M(q)));
    return textos;
}

}  // namespace

TEST(AlocacaoArtigo, StockCobreALinhaDeixaEncomendasIntactas)
{
    AlocacaoArtigo a(M("5"), M("7"));
    EXPECT_EQ(a.Alocar(M("5")), "Em Stock");  // Q = S still counts as covered
    EXPECT_EQ(a.StockLivre(), M("0"));
    EXPECT_EQ(a.EncomendaLivre(), M("7"));
}

TEST(AlocacaoArtigo, StockDezComLinhasDeQuatro)
{
    AlocacaoArtigo semEncomendas(M("10"), M("0"));
    EXPECT_EQ(alocar(semEncomendas, {"4", "4", "4"}),
              (std::vector<std::string>{"Em Stock", "Em Stock", "2  em Stock "}));
    EXPECT_EQ(semEncomendas.StockLivre(), M("-2"));
    EXPECT_EQ(semEncomendas.EncomendaLivre(), M("-4"));  // E - Q when nothing was on order

    AlocacaoArtigo comEncomendas(M("10"), M("5"));
    EXPECT_EQ(alocar(comEncomendas, {"4", "4", "4"}),
              (std::vector<std::string>{"Em Stock", "Em Stock", "2  em Stock   2 Enc.For"}));
    EXPECT_EQ(comEncomendas.EncomendaLivre(), M("3"));  // only the missing 2 came from the orders
}

TEST(AlocacaoArtigo, StockParcialComEncomendasQueNaoChegam)
{
    // 0 < S < Q, Q - S >= E: the orders give all they have, two blanks, and E drops by Q.
    AlocacaoArtigo a(M("1"), M("2"));
    EXPECT_EQ(a.Alocar(M("5")), "1  em Stock   2  Enc.For");
    EXPECT_EQ(a.EncomendaLivre(), M("-3"));
    EXPECT_EQ(a.StockLivre(), M("-4"));

    AlocacaoArtigo exacto(M("1"), M("4"));  // Q - S = E is "only part" too
    EXPECT_EQ(exacto.Alocar(M("5")), "1  em Stock   4  Enc.For");
}

TEST(AlocacaoArtigo, SemStockGastaEncomendasPorOrdem)
{
    AlocacaoArtigo a(M("0"), M("5"));
    EXPECT_EQ(alocar(a, {"3", "3", "3"}), (std::vector<std::string>{"  3 Enc.For", "  2  Enc.For", ""}));
    EXPECT_EQ(a.EncomendaLivre(), M("-4"));

    AlocacaoArtigo exacto(M("0"), M("3"));  // Q = E is covered in full: one blank
    EXPECT_EQ(exacto.Alocar(M("3")), "  3 Enc.For");
}

TEST(AlocacaoArtigo, StockNegativoContaComoSemStock)
{
    AlocacaoArtigo a(M("-2"), M("0"));
    EXPECT_EQ(a.Alocar(M("1")), "");
    AlocacaoArtigo comEncomendas(M("-2"), M("4"));
    EXPECT_EQ(comEncomendas.Alocar(M("1")), "  1 Enc.For");  // reservations do not eat the orders
}

TEST(AlocacaoArtigo, QuantiasSemDecimaisQuandoInteirasEComVirgulaQuandoTem)
{
    EXPECT_EQ(AlocacaoArtigo::Quantia(M("2")), "2");
    EXPECT_EQ(AlocacaoArtigo::Quantia(M("1234567")), "1234567");  // no thousands separator
    EXPECT_EQ(AlocacaoArtigo::Quantia(M("2.5")), "2,5");
    EXPECT_EQ(AlocacaoArtigo::Quantia(M("0.125")), "0,125");

    AlocacaoArtigo a(M("1.5"), M("10"));
    EXPECT_EQ(a.Alocar(M("4")), "1,5  em Stock   2,5 Enc.For");
}
