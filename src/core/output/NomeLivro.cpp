#include "NomeLivro.h"

#include "data/Relogio.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

NomeLivro NomeLivro::Para(const std::string& pastaLog, const Relogio& relogio, const std::string& resto)
{
    const std::string carimbo = relogio.Agora().Formatar("yyyymmddhhmmss");
    return {pastaLog + carimbo + "-" + std::to_string(sistema::IdProcesso()) + resto, carimbo + resto};
}

}  // namespace quorvelanti
