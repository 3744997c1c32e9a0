#pragma once
// The encodings a mail message needs (RFC 2045, 2047, 2231). Texts are UTF-8; every result is
// plain ASCII that fits in a mail line.
//
//   mensagem::Base64("xlsx bytes", true);               // 76-character lines ended by CRLF
//   mensagem::QuotedPrintable("Olá\nadeus");            // "Ol=C3=A1\r\nadeus"
//   mensagem::CabecalhoNaoEstruturado("Subject", "Mapas (07-12-2026) - Açores");
//   mensagem::Parametro("filename", "Vendas Março.xlsx");  // filename*=UTF-8''Vendas%20Mar%C3%A7o.xlsx
#include <string>

namespace quorvelanti::mensagem {

// Base64; with emLinhas the output is cut into lines of 76 characters, each ended by CRLF.
std::string Base64(const std::string& bytes, bool emLinhas);

// Quoted-printable with CRLF line ends: every line end of the text (CRLF, LF or CR) becomes a
// CRLF of the encoding; lines longer than 76 characters get soft breaks.
std::string QuotedPrintable(const std::string& texto);

// A header field "Nome: texto" with its CRLF, folded under 78 characters where blanks allow.
// Each line break of the text (CRLF, CR or LF) becomes one blank. The text is sent as it is
// when it is printable ASCII without leading or trailing blanks; otherwise (accents, control
// characters, edge blanks) as RFC 2047 B words, which readers decode back to the exact text.
std::string CabecalhoNaoEstruturado(const std::string& nome, const std::string& texto);

// One phrase (a display name) as it may stand before "<address>": as is, quoted or encoded.
std::string Frase(const std::string& texto);

// A MIME parameter: name="value" for plain ASCII, otherwise RFC 2231 name*=UTF-8''%XX...
std::string Parametro(const std::string& nome, const std::string& valor);

}  // namespace quorvelanti::mensagem
