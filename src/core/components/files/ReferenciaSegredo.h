#pragma once
// A secret of the parameter file, written there as itself or as a reference to where it is kept,
// so the file itself need hold no password:
//   @credencial:NOME     the file NOME of $CREDENTIALS_DIRECTORY (systemd's LoadCredential= and
//                        LoadCredentialEncrypted=)
//   @ficheiro:/caminho   the content of that file
// One final newline is removed from what is read. A file that any other user may read is
// refused: a secret kept there would be no better kept than in the parameter file.
//
//   ReferenciaSegredo::Resolver("[EMP01] Password", "@credencial:emp01-bd");   // the password
//   ReferenciaSegredo::Resolver("[EMP01] Password", "segredo;#1");             // "segredo;#1"
//   ReferenciaSegredo::LerFicheiro("[SMTP] OAuthChavePrivada", "/etc/dorvam/chave.pem");
//
// Failures raise Erro(erros::SegredoIndisponivel) naming the key and the reference as written,
// never a secret.
#include <string>

namespace quorvelanti {

class ReferenciaSegredo {
public:
    // True when the value is a reference ("@credencial:" or "@ficheiro:") rather than the secret.
    static bool EReferencia(const std::string& valor);
    // The secret the key's value stands for: the value itself when it is no reference.
    static std::string Resolver(const std::string& chave, const std::string& valor);
    // A secret that is always a file (a private key, a key file): the value is the file's path
    // or a reference; the whole content is returned, the same checks applied.
    static std::string LerFicheiro(const std::string& chave, const std::string& valor);
};

}  // namespace quorvelanti
