#pragma once
// Keeps the credentials of an SMTP login out of what is kept of the server's replies. A server
// that refuses a login may quote the AUTH line it was given ("535 ... failed for AUTH PLAIN
// AHJlbABT..."), whose base64 holds the user and the password, or a token: every reply line is
// masked before it is kept, and so is every text made from them.
//
//   MascaraCredenciais mascara({password});
//   mascara.LinhaCliente("AUTH PLAIN AHJlbABzZWdyZWRv");          // what the client sent
//   mascara.LinhaServidor("535 5.7.8 Failed: AUTH PLAIN AHJlbABzZWdyZWRv");
//       // "535 5.7.8 Failed: AUTH PLAIN ****"
//
// Masked are: the secrets given (a password, a token) wherever they appear, and every base64
// word the client sent during an AUTH exchange, whole or in part.
#include <string>
#include <vector>

namespace quorvelanti {

class MascaraCredenciais {
public:
    explicit MascaraCredenciais(std::vector<std::string> segredos);

    // A command line the client sent; the data of AUTH and of its continuation lines is noted.
    void LinhaCliente(const std::string& linha);
    // A reply line of the server, masked; a reply other than 334 ends the AUTH exchange.
    std::string LinhaServidor(const std::string& linha);
    // Any text built from replies or from the library's messages, masked.
    std::string Mascarar(std::string texto) const;

private:
    bool enviado(const std::string& palavra) const;

    std::vector<std::string> segredos_;  // given in clear
    std::vector<std::string> enviados_;  // SASL data the client sent
    bool emAutenticacao_ = false;
};

}  // namespace quorvelanti
