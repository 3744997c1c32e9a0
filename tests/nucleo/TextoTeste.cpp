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

// Text from a database reaches a workbook or a mail readable and carriable: a legacy program's
// Windows-1252 bytes are read as such, and what XML forbids becomes U+FFFD, pairs excepted.
TEST(Texto, DaBaseDeDadosLegivelEDentroDoXml)
{
    EXPECT_EQ(texto::DeBaseDados("Jo\xE3o Ant\xF3nio"), "João António");
    EXPECT_EQ(texto::DeBaseDados("João"), "João");
    EXPECT_EQ(texto::DeBaseDados("a\xEF\xBF\xBE" "b\xEF\xBF\xBF"), "a\uFFFDb\uFFFD");
    EXPECT_EQ(texto::DeBaseDados("x\xED\xA0\x80y"), "x\uFFFDy") << "a lone surrogate is no Windows-1252";
    EXPECT_EQ(texto::DeBaseDados("\xED\xA0\xBD\xED\xB8\x80"), "\U0001F600") << "a pair encoded half by half";
    EXPECT_EQ(texto::Saneado("a\x01\tb\x7f\r\n\x1f"), "a\uFFFD\tb\x7f\r\n\uFFFD");
    EXPECT_EQ(texto::Saneado("\xF4\x8F\xBF\xBF\xEF\xBF\xBD"), "\xF4\x8F\xBF\xBF\xEF\xBF\xBD") << "U+10FFFF, U+FFFD stay";
    EXPECT_EQ(texto::Saneado("fim\xC3"), "fim\uFFFD");
    EXPECT_TRUE(texto::SoCaracteresXml("Emissão Mapas\r\n"));
    EXPECT_FALSE(texto::SoCaracteresXml("\xEF\xBF\xBE"));
    EXPECT_FALSE(texto::Utf8Valido("\xED\xA0\x80"));
    // One visible line: blanks for line breaks, U+FFFD for what would drive a terminal.
    EXPECT_EQ(texto::UmaLinhaVisivel(std::string("ok\r\nFALHA\t\x1b[2K\0\x7f\xC2\x9B" "1m\xC2\xA0é", 24)),
              "ok  FALHA \uFFFD[2K\uFFFD\uFFFD\uFFFD" "1m\xC2\xA0é");
}
