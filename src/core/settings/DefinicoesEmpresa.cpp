#include "DefinicoesEmpresa.h"

#include <cctype>
#include <filesystem>

#include "components/files/LeitorIni.h"
#include "components/files/ReferenciaSegredo.h"
#include "data/Erro.h"

namespace quorvelanti {

namespace {

// The engine settings of a company section that its main and second connections share.
void definirMotor(ConstrutorLigacao& construtor, const LeitorIni& ini, const std::string& empresa,
                  const std::string& caminho)
{
    construtor.DefinirMotor(ini.LerValor(empresa, "Motor"));
    if (auto driver = ini.LerValor(empresa, "DriverODBC"); !driver.empty()) construtor.DefinirDriverOdbc(driver);
    if (auto timeout = ini.LerValor(empresa, "TimeoutLigacao"); !timeout.empty()) construtor.DefinirTimeout(timeout);
    if (auto timeout = ini.LerValor(empresa, "TimeoutConsulta"); !timeout.empty())
        construtor.DefinirTimeoutConsulta(timeout);
    if (auto cifra = ini.LerValor(empresa, "Encriptacao"); !cifra.empty()) construtor.DefinirEncriptacao(cifra);
    construtor.DefinirLigacoesConsulta(ini.LerValor(empresa, "LigacoesConsulta"));
    construtor.DefinirAtrasoSimulado(ini.LerValor(empresa, "AtrasoSimulado"));
    construtor.DefinirPastaRelativa(std::filesystem::path(caminho).parent_path().string());
}

// Server, database, user and password: the main keys, or those ending in "Ext" for the second one.
ConstrutorLigacao ligacao(const LeitorIni& ini, const std::string& empresa, const std::string& caminho,
                          const std::string& sufixo)
{
    ConstrutorLigacao construtor;
    definirMotor(construtor, ini, empresa, caminho);
    construtor.DefinirServidor(ini.LerValor(empresa, "Servidor" + sufixo));
    construtor.DefinirBaseDados(ini.LerValor(empresa, "Empresa" + sufixo));
    construtor.DefinirUtilizador(ini.LerValor(empresa, "Username" + sufixo));
    const std::string chave = "Password" + sufixo;
    construtor.DefinirPassword(ReferenciaSegredo::Resolver("[" + empresa + "] " + chave, ini.LerValor(empresa, chave)));
    return construtor;
}

void saltarBrancos(const std::string& s, std::size_t& i)
{
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

bool literalTexto(const std::string& s, std::size_t& i)
{
    if (i >= s.size() || s[i] != '\'') return false;
    for (++i; i < s.size(); ++i) {
        if (s[i] != '\'') continue;
        if (i + 1 < s.size() && s[i + 1] == '\'') {
            ++i;  // doubled quote inside the text
            continue;
        }
        ++i;
        return true;
    }
    return false;
}

bool literalNumero(const std::string& s, std::size_t& i)
{
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    std::size_t digitos = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digitos;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digitos;
    return digitos > 0;
}

}  // namespace

bool GrupoPortesValido(const std::string& grupoPortes)
{
    std::size_t i = 0;
    saltarBrancos(grupoPortes, i);
    if (i == grupoPortes.size()) return true;
    while (true) {
        saltarBrancos(grupoPortes, i);
        if (!literalTexto(grupoPortes, i) && !literalNumero(grupoPortes, i)) return false;
        saltarBrancos(grupoPortes, i);
        if (i == grupoPortes.size()) return true;
        if (grupoPortes[i++] != ',') return false;
    }
}

DefinicoesEmpresa DefinicoesEmpresa::Ler(const LeitorIni& ini, const std::string& empresa, const std::string& caminho)
{
    if (!ini.TemSeccao(empresa))
        throw Erro(erros::EmpresaInvalida, "A empresa \"" + empresa + "\" não tem secção no ficheiro de parâmetros",
                   caminho);
    DefinicoesEmpresa d;
    d.Nome = empresa;
    d.Ligacao = ligacao(ini, empresa, caminho, "");
    d.DestinoAdm = ini.LerValor(empresa, "DestinoAdm");
    d.DestinoVnd = ini.LerValor(empresa, "DestinoVnd");
    d.DestinoEnc = ini.LerValor(empresa, "DestinoEnc");
    d.GrupoPortes = ini.LerValor(empresa, "GrupoPortes");
    // The list goes into the statements as it stands, so only SQL literals may pass.
    if (!GrupoPortesValido(d.GrupoPortes))
        throw Erro(erros::ParametroInvalido,
                   "Empresa " + empresa +
                       ": a chave GrupoPortes tem de ser uma lista de valores SQL separados "
                       "por vírgulas (por exemplo 'PORTES','FRETE')",
                   d.GrupoPortes);
    if (TemSegundaBase(ini, empresa)) d.LigacaoExt = ligacao(ini, empresa, caminho, "Ext");
    return d;
}

void VerificarSegredos(const std::string& ficheiro, const std::vector<std::string>& empresas, LeitorIni::Cache* cache)
{
    LeitorIni ini(cache);
    ini.DefinirFicheiro(ficheiro);
    for (const auto& empresa : empresas)
        for (const char* chave : {"Password", "PasswordExt"})
            ReferenciaSegredo::Resolver("[" + empresa + "] " + chave, ini.LerValor(empresa, chave));
}

bool DefinicoesEmpresa::TemSegundaBase(const LeitorIni& ini, const std::string& empresa)
{
    return !ini.LerValor(empresa, "EmpresaExt").empty();
}

}  // namespace quorvelanti
