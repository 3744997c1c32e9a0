#include "VerificadorPasta.h"

#include <filesystem>

namespace quorvelanti {

bool VerificadorPasta::Existe(const std::string& pasta) const
{
    std::error_code erro;
    return std::filesystem::is_directory(pasta, erro);
}

}  // namespace quorvelanti
