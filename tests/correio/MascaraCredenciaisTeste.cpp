// The mask of what servers send back, at its edges: each encoding a secret may come back in,
// base64 at each offset (its neighbours kept), the cut and the control characters.
#include <gtest/gtest.h>

#include <algorithm>

#include "components/mail/MascaraCredenciais.h"
#include "components/mail/mime/MensagemCodificacao.h"

using namespace quorvelanti;

namespace {

const std::string kSegredo = "Pa55 ç€\"\\/+=&😀";

TEST(MascaraCredenciais, CadaCodificacaoDoSegredo)
{
    const MascaraCredenciais mascara({kSegredo});
    const std::string formas[] = {
        kSegredo,
        "Pa55%20%C3%A7%E2%82%AC%22%5C%2F%2B%3D%26%F0%9F%98%80",         // URL, upper hex
        "Pa55+%c3%a7%e2%82%ac%22%5c/%2b%3d%26%f0%9f%98%80",             // URL, lower hex, "+", "/" left
        "Pa55 \\u00e7\\u20AC\\\"\\\\\\/+=&\\ud83d\\ude00",               // JSON
        "Pa55 =C3=A7=E2=82=\r\n=AC\"\\/+=3D&=F0=9F=98=80",              // quoted-printable, a soft break
        "Pa55 &#231;&#x20ac;&quot;\\/+=&amp;&#128512;",                 // HTML
        "Pa55 \xE7\x80\"\\/+=&\xF0\x9F\x98\x80",                        // Windows-1252
        "Pa55 Ã§â‚¬\"\\/+=&ðŸ˜€",                                        // its UTF-8 read as Windows-1252
        mensagem::Base64(kSegredo, false),                             // base64 alone
        mensagem::Base64(kSegredo, false).substr(0, 10) + "\r\n" + mensagem::Base64(kSegredo, false).substr(10),
    };
    for (const auto& forma : formas) EXPECT_EQ(mascara.Citar("x " + forma + " y"), "x **** y") << forma;
    EXPECT_EQ(mascara.Citar("535 5.7.8 Authentication failed: Pa55 ç"), "535 5.7.8 Authentication failed: Pa55 ç")
        << "ordinary words and a piece of the secret stay";
}

// Inside a longer base64 text the secret starts at offset 0, 1 or 2 of a group of three: only
// the characters it alone decides go, so the text around it is still told apart.
TEST(MascaraCredenciais, Base64EmCadaAlinhamento)
{
    const MascaraCredenciais mascara({kSegredo});
    for (const std::string antes : {"", "a", "ab", "abc", "abcd"}) {
        SCOPED_TRACE(antes.size());
        for (const bool url : {false, true}) {
            std::string b64 = mensagem::Base64("\x01" + antes + kSegredo + "\x02\x03", false);
            if (url) std::replace(b64.begin(), b64.end(), '+', '-'), std::replace(b64.begin(), b64.end(), '/', '_');
            const std::string citado = mascara.Citar(b64);
            const std::size_t decididos = 8 * kSegredo.size() / 6 - 1;  // at least these many, at any offset
            EXPECT_LE(citado.size(), b64.size() - decididos + 4) << citado;
            EXPECT_EQ(citado.substr(0, (1 + antes.size()) * 8 / 6), b64.substr(0, (1 + antes.size()) * 8 / 6));
            EXPECT_EQ(citado.substr(citado.size() - 3), b64.substr(b64.size() - 3)) << citado;
        }
    }
    EXPECT_EQ(MascaraCredenciais({"abc"}).Citar("eGFiYyE="), "eGFiYyE=") << "3 characters: too few to tell from a word";
}

TEST(MascaraCredenciais, CorteControlosEBytesQueNaoSaoUtf8)
{
    const MascaraCredenciais mascara({"segredo-longo-1234"});
    EXPECT_EQ(mascara.Citar("a\r\n\tb\x1b[2Jc\x7f\xc2\x85" "d\xff" "e"), "a b [2Jc d?e");
    const std::string longo = std::string(500, 'a') + std::string(100, 'x');
    EXPECT_EQ(mascara.Citar(longo), std::string(500, 'a') + std::string(9, 'x') + "…");
    EXPECT_EQ(mascara.Citar(std::string(300, 'a') + "ç" + std::string(300, 'b')).size(),
              MascaraCredenciais::kCitacaoMaxima);
    const std::string acentos = mascara.Citar(std::string(400, 'a') + std::string(104, 'c') + "ççççç");
    EXPECT_EQ(acentos, std::string(400, 'a') + std::string(104, 'c') + "çç…") << "cut before a character, never inside";
    EXPECT_EQ(mascara.Citar(std::string(500, 'a') + "segredo-longo-1234" + std::string(20, 'b')),
              std::string(500, 'a') + "****bbbbb…")
        << "a secret across the cut is masked before it";
}

}  // namespace
