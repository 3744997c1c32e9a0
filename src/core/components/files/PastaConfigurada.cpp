#include "PastaConfigurada.h"

#include <cctype>

#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

std::string PastaConfigurada(const std::string& valor, const std::string& chave, const std::string& seccao)
{
    std::string pasta = texto::Aparar(valor);
    if (!pasta.empty() && pasta.back() == '\\') pasta.back() = '/';
    const bool letraDeDisco = pasta.size() >= 2 && std::isalpha(static_cast<unsigned char>(pasta[0])) && pasta[1] == ':';
    if (letraDeDisco || pasta.find('\\') != std::string::npos)
        throw Erro(erros::ParametroInvalido,
                   "A chave " + chave + " da secção [" + seccao +
                       "] tem um caminho do Windows; indique uma pasta deste sistema (por exemplo "
                       "/var/lib/quorvelanti)",
                   valor);
    if (pasta.empty() || pasta.back() != '/') pasta += '/';
    return pasta;
}

}  // namespace quorvelanti
