#pragma once
// A secret of the parameter file, written there as itself or as a reference to where it is kept,
// so the file itself need hold no password:
//   @credencial:NOME     the file NOME of $CREDENTIALS_DIRECTORY (systemd's LoadCredential= and
//                        LoadCredentialEncrypted=)
//   @ficheiro:/caminho   the content of that file
// A UTF-8 byte-order mark is removed from what is read, and from a secret one final line end
// (LF, CRLF or CR). A file that any other user may read is refused: a secret kept there would be
// no better kept than in the parameter file; so is one past kTamanhoMaximo, unread beyond it
// (a password, a PEM key or a service account's JSON key takes a few KB).
//
//   ReferenciaSegredo::Resolver("[EMP01] Password", "@credencial:emp01-bd");   // the password
//   ReferenciaSegredo::Resolver("[EMP01] Password", "segredo;#1");             // "segredo;#1"
//   ReferenciaSegredo::LerFicheiro("[SMTP] OAuthChavePrivada", "/etc/dorvam/chave.pem");
//
// Failures raise Erro(erros::SegredoIndisponivel) naming the key and the reference as written,
// never a secret.
#include <cstddef>
#include <string>

namespace quorvelanti {

class ReferenciaSegredo {
public:
    static constexpr std::size_t kTamanhoMaximo = 64 * 1024;

    // True when the value is a reference ("@credencial:" or "@ficheiro:") rather than the secret.
    static bool EReferencia(const std::string& valor);
    // The secret the key's value stands for: the value itself when it is no reference.
    static std::string Resolver(const std::string& chave, const std::string& valor);
    // A secret that is always a file (a private key, a key file): the value is the file's path
    // or a reference; the whole content is returned, the same checks applied.
    static std::string LerFicheiro(const std::string& chave, const std::string& valor);
};

}  // namespace quorvelanti
