#pragma once
// The pickup folder: each message becomes one .eml file that another program sends later.
// A file appears under its final name only when complete, and never replaces another.
//
//   CorreioPastaSaida pasta("/var/spool/quorvelanti");
//   pasta.Gravar(texto, relogio.Agora());   // "/var/spool/quorvelanti/20261207230459-1.eml"
#include <string>

#include "data/DataHora.h"

namespace quorvelanti {

class CorreioPastaSaida {
public:
    explicit CorreioPastaSaida(std::string pasta) : pasta_(std::move(pasta)) {}

    // The path written, <yyyymmddhhmmss>-<n>.eml with a free n: 1, 2, 3... for the messages of
    // one second (after a file was taken away, some free n beyond it). Raises
    // Erro(erros::FicheiroNaoGravado) when the folder cannot take the file; nothing is left then.
    std::string Gravar(const std::string& mensagem, const DataHora& agora) const;

private:
    std::string pasta_;
};

}  // namespace quorvelanti
