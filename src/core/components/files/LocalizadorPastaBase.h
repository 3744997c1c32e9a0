#pragma once
// The base folder of the parameter files: the value given (from QUORVELANTI_PASTA_BASE) or the
// system's (/etc; %ProgramData% on Windows), never with a trailing separator.
//
//   LocalizadorPastaBase(std::nullopt).PastaBase();   // "/etc"
//   LocalizadorPastaBase("/srv/q/").PastaBase();      // "/srv/q"
#include <optional>
#include <string>

namespace quorvelanti {

class LocalizadorPastaBase {
public:
    explicit LocalizadorPastaBase(std::optional<std::string> pastaDefinida = std::nullopt);
    std::string PastaBase() const;

private:
    std::optional<std::string> pastaDefinida_;
};

}  // namespace quorvelanti
