#include "NomeLivro.h"

#include "data/Relogio.h"
#include "run/ContextoExecucao.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

NomeLivro NomeLivro::Para(const ContextoExecucao& ctx, const std::string& resto)
{
    const std::string carimbo = ctx.relogio.Agora().Formatar("yyyymmddhhmmss");
    return {ctx.PastaLog + carimbo + "-" + std::to_string(sistema::IdProcesso()) + resto, carimbo + resto};
}

}  // namespace quorvelanti
