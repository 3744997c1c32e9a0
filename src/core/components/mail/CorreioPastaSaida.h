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
    // The last name given, kept by whoever outlives one message (the run's mail session): the
    // next message of the same second then finds its free name at the first look.
    struct Ultimo {
        std::string base;  // the folder and second: "/var/spool/quorvelanti/20261207230459-"
        int numero = 0;
    };

    explicit CorreioPastaSaida(std::string pasta, Ultimo* ultimo = nullptr) : pasta_(std::move(pasta)), ultimo_(ultimo)
    {
    }

    // The path written, <yyyymmddhhmmss>-<n>.eml with a free n: 1, 2, 3... for the messages of
    // one second (after a file was taken away, some free n beyond it). Raises
    // Erro(erros::FicheiroNaoGravado) when the folder cannot take the file; nothing is left then.
    std::string Gravar(const std::string& mensagem, const DataHora& agora) const;

private:
    std::string pasta_;
    Ultimo* ultimo_;
};

}  // namespace quorvelanti
