#include "Parametros.h"

#include "components/files/LeitorIni.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

bool Parametros::Escrever()
{
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiroIni_);
    try {
        ini.EscreverValores({{"email", "Assunto", emailAssunto_}, {"Log", "Directoria", logDirectoria_}});
    } catch (const Erro& erro) {
        ultimoErro_ = erro.DescricaoCompleta();
        return false;
    }
    ultimoErro_.clear();
    return true;
}

void Parametros::Ler()
{
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiroIni_);
    try {
        emailAssunto_ = ini.LerValor("email", "Assunto");
        emailOrigem_ = ini.LerValor("SMTP", "emailEmissor");
        logDirectoria_ = ini.LerValor("Log", "Directoria");
        logAvisoFalha_ = ini.LerValor("Log", "AvisoFalha");
    } catch (const Erro&) {
        // Reading stops at the first failure and keeps what was read; the run finds out later.
    }
}

std::string Parametros::PastaDe(const std::string& directoria)
{
    std::string pasta = texto::Aparar(directoria);
    // Files written by Windows peers end the folder with its separator; here it is just that.
    if (!pasta.empty() && pasta.back() == '\\') pasta.back() = '/';
    // Taken as it stands, such a path would name files like "D:\Relatorios\LOG_MAPAS….txt" in
    // the working folder.
    if (sistema::CaminhoDeOutroSistema(pasta))
        throw Erro(erros::ParametroInvalido,
                   "A chave Directoria da secção [Log] tem um caminho do Windows; indique uma pasta deste "
                   "sistema (por exemplo /var/lib/quorvelanti)",
                   directoria);
    if (pasta.empty() || pasta.back() != '/') pasta += '/';
    return pasta;
}

}  // namespace quorvelanti
