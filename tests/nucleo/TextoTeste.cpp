#include <gtest/gtest.h>

#include "data/Texto.h"

namespace texto = quorvelanti::texto;

TEST(Texto, Windows1252IdaEVolta)
{
    const std::string utf8 = "Emissão € – “ok” Ç";
    const std::string cp = texto::ParaWindows1252(utf8);
    EXPECT_EQ(cp, std::string("Emiss\xE3o \x80 \x96 \x93ok\x94 \xC7"));
    EXPECT_EQ(texto::DeWindows1252(cp), utf8);
    EXPECT_EQ(texto::ParaWindows1252("日本"), "??");
}

TEST(Texto, Utf16ComParesSubstitutosEBytesEstranhos)
{
    EXPECT_EQ(texto::ParaUtf16("Relatório€"), u"Relatório€");
    EXPECT_EQ(texto::ParaUtf16("\xF0\x9D\x84\x9E"), u"\U0001D11E");  // beyond 16 bits: a surrogate pair
    EXPECT_EQ(texto::ParaUtf16("a\xE9z"), u"a\uFFFDz");               // Windows-1252 "é" is no UTF-8
    // The code page conversion reads UTF-8 the same way.
    EXPECT_EQ(texto::ParaWindows1252("a\xE9z"), "a?z");
}

TEST(Texto, Utf8Valido)
{
    EXPECT_TRUE(texto::Utf8Valido("Início"));
    EXPECT_FALSE(texto::Utf8Valido("In\xED" "cio"));
    EXPECT_FALSE(texto::Utf8Valido("\xC0\x80"));  // overlong
    EXPECT_FALSE(texto::Utf8Valido("\xE2\x82"));  // cut short
}

TEST(Texto, CortaPorCaracteresNaoPorBytes)
{
    EXPECT_EQ(texto::Primeiros("Designação Artigo", 9), "Designaçã");
    EXPECT_EQ(texto::Caracteres("ção"), 3u);
    EXPECT_EQ(texto::Primeiros("abc", 10), "abc");
}

TEST(Texto, DividirGuardaEntradasVaziasEBrancos)
{
    EXPECT_EQ(texto::Dividir("V1, a@x,,b", ','), (std::vector<std::string>{"V1", " a@x", "", "b"}));
    EXPECT_EQ(texto::Dividir("", ','), (std::vector<std::string>{""}));
    EXPECT_EQ(texto::Aparar("  C:\\Rel  "), "C:\\Rel");
}
