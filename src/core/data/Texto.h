#pragma once
// Text helpers. Inside the program every text is UTF-8; files written for Windows peers (the run
// log, parameter files read as such) are Windows-1252 and are converted only at their edge.
#include <string>
#include <string_view>
#include <vector>

namespace quorvelanti::texto {

// The UTF-8 byte-order mark that Windows editors put at the start of a file: no part of its text.
constexpr std::string_view kMarcaOrdemUtf8 = "\xEF\xBB\xBF";

// True when the bytes are well-formed UTF-8.
bool Utf8Valido(const std::string& bytes);
// A text value read from a database, as UTF-8 that a workbook or a message can carry: bytes that
// are not UTF-8 are read as Windows-1252 (a legacy program's "Jo\xE3o" is "João"), then made
// Saneado. Encoded surrogates alone do not make a text Windows-1252.
std::string DeBaseDados(std::string bytes);
// The text with every character that XML 1.0 forbids replaced by U+FFFD: controls other than
// tab, LF and CR, U+FFFE, U+FFFF, unpaired surrogates and bytes that start no UTF-8 sequence.
// A surrogate pair encoded half by half (CESU-8) becomes its character.
//
//   Saneado("a\x01b")  // "a\uFFFDb"
std::string Saneado(std::string utf8);
// True when Saneado would leave the text as it is.
bool SoCaracteresXml(const std::string& utf8);
// The text as one line a terminal shows as it is, whatever a file or a server put in it: Saneado,
// then tab, LF and CR become a blank and the controls XML allows (DEL, U+0080 to U+009F) U+FFFD,
// so no escape sequence reaches the terminal and no line can pass for another.
//
//   UmaLinhaVisivel("ok\n\x1b[2Kfalso")  // "ok \uFFFD[2Kfalso"
std::string UmaLinhaVisivel(std::string utf8);
// Windows-1252 bytes to UTF-8 (the five undefined bytes map to U+FFFD).
std::string DeWindows1252(const std::string& bytes);
// UTF-8 to Windows-1252; characters outside the code page become '?'.
std::string ParaWindows1252(const std::string& utf8);
// The first character of a UTF-8 text that Windows-1252 cannot hold ("" when every one fits):
// ForaDeWindows1252("Łódź") is "Ł".
std::string ForaDeWindows1252(const std::string& utf8);
// UTF-8 to UTF-16, as wide-character interfaces take it; a byte that is no UTF-8 becomes U+FFFD.
//   ParaUtf16("Relatório€") == u"Relatório€"
std::u16string ParaUtf16(const std::string& utf8);
// UTF-16 to UTF-8, as wide-character interfaces give it; an unpaired surrogate becomes U+FFFD.
//   DeUtf16(u"Designação") == "Designação"
std::string DeUtf16(const std::u16string& utf16);

// Removes leading and trailing blanks (spaces only, as the parameter-file rules say).
std::string Aparar(const std::string& s);
std::string MaiusculasAscii(std::string s);
std::string MinusculasAscii(std::string s);
bool IguaisSemCaixa(const std::string& a, const std::string& b);

// The count a setting holds: a whole number from minimo to maximo, 'vazio' when blank. Raises
// Erro (ParametroInvalido) naming the key for anything else.
//   Contagem("LigacoesConsulta", "4", 8, 1, 64) == 4
int Contagem(const std::string& chave, const std::string& valor, int vazio, int minimo, int maximo);

// Number of characters (code points) of a UTF-8 text.
std::size_t Caracteres(const std::string& utf8);
// The first n characters of a UTF-8 text.
std::string Primeiros(const std::string& utf8, std::size_t n);

// Splits at every occurrence of the separator; "a,,b" gives "a", "", "b"; "" gives one "".
std::vector<std::string> Dividir(const std::string& s, char separador);

}  // namespace quorvelanti::texto
