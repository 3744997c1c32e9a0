#include "Parametros.h"

#include "components/files/LeitorIni.h"
#include "components/files/PastaConfigurada.h"
#include "data/Erro.h"
#include "data/Texto.h"

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
        logContinuarAposFalha_ = texto::Aparar(ini.LerValor("Log", "ContinuarAposFalha")) == "1";
    } catch (const Erro&) {
        // Reading stops at the first failure and keeps what was read; the run finds out later.
    }
}

std::string Parametros::PastaDe(const std::string& directoria)
{
    return PastaConfigurada(directoria, "Directoria", "Log");
}

}  // namespace quorvelanti
