#include "NomeLivro.h"

#include <unistd.h>

#include "data/Relogio.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

NomeLivro NomeLivro::Para(const ContextoExecucao& ctx, const std::string& resto)
{
    const std::string carimbo = ctx.relogio.Agora().Formatar("yyyymmddhhmmss");
    return {ctx.PastaLog + carimbo + "-" + std::to_string(getpid()) + resto, carimbo + resto};
}

}  // namespace quorvelanti
