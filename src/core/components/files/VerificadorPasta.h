#pragma once
#include <string>

namespace quorvelanti {

// Tells whether a folder exists.
class VerificadorPasta {
public:
    bool Existe(const std::string& pasta) const;
};

}  // namespace quorvelanti
