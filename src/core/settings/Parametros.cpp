#include "Parametros.h"

#include "components/files/LeitorIni.h"
#include "components/files/PastaConfigurada.h"
#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

// The windows read a Boolean: the save's Erro becomes False here, its text the reason.
bool Parametros::Escrever(std::string* motivo)
{
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiroIni_);
    try {
        ini.EscreverValores({{"email", "Assunto", emailAssunto_}, {"Log", "Directoria", logDirectoria_}});
    } catch (const Erro& erro) {
        if (motivo) *motivo = erro.DescricaoCompleta();
        return false;
    }
    return true;
}

void Parametros::Ler()
{
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiroIni_);
    emailAssunto_ = ini.LerValor("email", "Assunto");
    emailOrigem_ = ini.LerValor("SMTP", "emailEmissor");
    logDirectoria_ = ini.LerValor("Log", "Directoria");
    logAvisoFalha_ = ini.LerValor("Log", "AvisoFalha");
    logContinuarAposFalha_ = texto::Aparar(ini.LerValor("Log", "ContinuarAposFalha")) == "1";
    logUrlVigia_ = texto::Aparar(ini.LerValor("Log", "UrlVigia"));
    logCertificadoCA_ = texto::Aparar(ini.LerValor("Log", "CertificadoCA"));
    const std::string metricas = texto::Aparar(ini.LerValor("Log", "PastaMetricas"));
    logPastaMetricas_ = metricas.empty() ? "" : PastaConfigurada(metricas, "PastaMetricas", "Log");
}

std::string Parametros::PastaDe(const std::string& directoria)
{
    return PastaConfigurada(directoria, "Directoria", "Log");
}

}  // namespace quorvelanti
