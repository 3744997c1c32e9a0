#include "CatalogoNomes.h"

#include <gtest/gtest.h>

using quorvelanti::gerador::CatalogoNomes;

TEST(CatalogoNomes, AsciiTiraAcentosEPassaAMinusculas)
{
    EXPECT_EQ(CatalogoNomes::Ascii("João Gonçalves"), "joao goncalves");
    EXPECT_EQ(CatalogoNomes::Ascii("ÁLVARO CONCEIÇÃO"), "alvaro conceicao");
    EXPECT_EQ(CatalogoNomes::Ascii("Évora, Óbidos & Águeda"), "evora, obidos & agueda");
    EXPECT_EQ(CatalogoNomes::Ascii("Cabo 2,5mm²"), "cabo 2,5mm");
}

TEST(CatalogoNomes, GruposDescritoresNoFimEPortesPorUltimo)
{
    CatalogoNomes c;
    EXPECT_EQ(c.GrupoPortes().codigo, "PORTES");
    EXPECT_TRUE(c.GrupoPortes().descritor);
    EXPECT_TRUE(c.GrupoServicos().descritor);
    ASSERT_EQ(c.GruposMercadoria() + 2, c.Grupos().size());
    for (std::size_t i = 0; i < c.GruposMercadoria(); ++i) {
        const auto& g = c.Grupos()[i];
        EXPECT_FALSE(g.descritor) << g.codigo;
        EXPECT_LE(g.codigo.size(), 10u) << "ARTIGOS.Grupo holds ten characters";
        EXPECT_LT(g.precoMinimo, g.precoMaximo) << g.codigo;
        EXPECT_FALSE(g.bases.empty());
        EXPECT_FALSE(g.variantes.empty());
    }
}
