#pragma once
// Makes what a token endpoint or a mail server sent back fit to be quoted (in an error, the log,
// a failure notice): every credential of the run masked, control characters gone, the length
// bounded. A server may echo a credential in whatever form it met it or likes, so each secret is
// found as itself and
//   URL-encoded (%XX in either case, "+" or %20 for a space), JSON-escaped (\uXXXX, \"),
//   quoted-printable (=XX, soft line breaks), as HTML character references, in Windows-1252
//   (and as its UTF-8 read as Windows-1252),
//   in base64 (either alphabet, wrapped or not) at any offset inside a longer base64 text: the
//   characters that only the secret's bytes decide are masked;
// and so is every base64 word the client sent during an SMTP AUTH exchange, whole or in part.
//
//   MascaraCredenciais mascara({password});
//   mascara.Acrescentar(token);                                   // a token issued meanwhile
//   mascara.LinhaCliente("AUTH PLAIN AHJlbABzZWdyZWRv");          // what the client sent
//   mascara.LinhaServidor("535 5.7.8 Failed: AUTH PLAIN AHJlbABzZWdyZWRv");
//   mascara.Citar("535 5.7.8 Failed: AUTH PLAIN AHJlbABzZWdyZWRv");  // "535 5.7.8 Failed: AUTH PLAIN ****"
//   mascara.Citar("bad client_secret=segr%C3%AAdo\r\n\x1b[2J");  // "bad client_secret=**** [2J"
//
// Citar keeps at most kCitacaoMaxima bytes, cut at a character ("…" marks the cut); a control
// character, or a run of them, becomes one space; a byte that is no UTF-8 becomes "?".
#include <bitset>
#include <cstddef>
#include <string>
#include <vector>

namespace quorvelanti {

class MascaraCredenciais {
public:
    static constexpr std::size_t kCitacaoMaxima = 512;

    explicit MascaraCredenciais(const std::vector<std::string>& segredos = {});
    ~MascaraCredenciais();

    // One more secret to mask from now on; an empty one is ignored.
    void Acrescentar(const std::string& segredo);
    // A command line the client sent; the data of AUTH and of its continuation lines is noted.
    void LinhaCliente(const std::string& linha);
    // A reply line of the server: one other than 334 ends the AUTH exchange.
    void LinhaServidor(const std::string& linha);
    // Any text made of what a server sent, quoted as described above.
    std::string Citar(const std::string& texto) const;

private:
    struct Forma;  // a text to find: a secret's characters, or the base64 characters it decides

    std::string mascarar(const std::string& texto) const;
    bool enviado(const std::string& palavra) const;

    std::vector<Forma> formas_;
    std::bitset<256> inicios_;           // the bytes any form can start with
    std::vector<std::string> enviados_;  // SASL data the client sent
    bool emAutenticacao_ = false;
};

}  // namespace quorvelanti
