#include "PastaConfigurada.h"

#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

std::string PastaConfigurada(const std::string& valor, const std::string& chave, const std::string& seccao)
{
    std::string pasta = texto::Aparar(valor);
    if (!pasta.empty() && pasta.back() == '\\') pasta.back() = '/';
    if (sistema::CaminhoDeOutroSistema(pasta))
        throw Erro(erros::ParametroInvalido,
                   "A chave " + chave + " da secção [" + seccao +
                       "] tem um caminho do Windows; indique uma pasta deste sistema (por exemplo "
                       "/var/lib/quorvelanti)",
                   valor);
    if (pasta.empty() || pasta.back() != '/') pasta += '/';
    return pasta;
}

}  // namespace quorvelanti
