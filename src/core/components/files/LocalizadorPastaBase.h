#pragma once
// The base folder of the parameter files: the value given (from QUORVELANTI_PASTA_BASE) or /etc,
// never with a trailing separator.
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
