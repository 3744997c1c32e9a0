// The parameter files a person copies from the README and from the packaged samples, read by the
// program's own reader: what is written there must be what the program reads.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "Apoio.h"
#include "app/Sincronizacao.h"
#include "components/LeitorIni.h"
#include "settings/Parametros.h"

using namespace quorvelanti;

namespace {

// The first ```ini block after the heading, "" when there is none.
std::string blocoIni(const std::string& texto, const std::string& titulo)
{
    const auto seccao = texto.find(titulo);
    const auto inicio = texto.find("```ini\n", seccao == std::string::npos ? texto.size() : seccao);
    if (inicio == std::string::npos) return "";
    const auto fim = texto.find("```", inicio + 7);
    return texto.substr(inicio + 7, fim - inicio - 7);
}

}  // namespace

TEST(ExemploLeiame, OFicheiroDeParametrosDoLeiameLeSeComoEstaDescrito)
{
    apoio::PastaTemporaria pasta;
    const std::string ficheiro = pasta / "Quorvelanti.qel";
    const std::string bloco = blocoIni(apoio::LerBytes(apoio::Fonte("README.md")), "## Configuration reference");
    ASSERT_FALSE(bloco.empty());
    apoio::EscreverBytes(ficheiro, bloco);

    EXPECT_EQ(LerEmpresas(ficheiro), (std::vector<std::string>{"EMP01", "EMP02"}));
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiro);
    const std::map<std::pair<std::string, std::string>, std::string> esperado = {
        {{"EMP01", "Servidor"}, "sql01\\ERP"},
        {{"EMP01", "Empresa"}, "EMP01"},
        {{"EMP01", "Username"}, "relatorios"},
        {{"EMP01", "Password"}, "segredo;#1"},
        {{"EMP01", "DestinoAdm"}, "adm@empresa.pt;direccao@empresa.pt"},
        {{"EMP01", "DestinoVnd"}, "V01,ana@empresa.pt,V02,rui@empresa.pt"},
        {{"EMP01", "DestinoEnc"}, "compras@empresa.pt"},
        {{"EMP01", "GrupoPortes"}, "'PORTES','FRETE'"},
        {{"email", "Assunto"}, "Mapas diários"},
        {{"SMTP", "emailEmissor"}, "relatorios@empresa.pt"},
        {{"SMTP", "Servidor"}, "smtp.empresa.pt"},
        {{"SMTP", "Porta"}, "587"},
        {{"SMTP", "Seguranca"}, "starttls"},
        {{"Log", "Directoria"}, "/var/lib/quorvelanti"},
    };
    for (const auto& [chave, valor] : esperado)
        EXPECT_EQ(ini.LerValor(chave.first, chave.second), valor) << "[" << chave.first << "] " << chave.second;
    // Every key line of the example is checked above, so one added there is checked too.
    std::size_t linhasDeChave = 0;
    for (const auto& linha : LeitorIni::LerLinhas(ficheiro))
        if (linha.find('=') != std::string::npos && linha[0] != ';' && linha[0] != '#') ++linhasDeChave;
    EXPECT_EQ(linhasDeChave, esperado.size());
}

TEST(ExemploLeiame, OsFicheirosDeExemploDoPacoteTemUmaEmpresaEUmaPastaValida)
{
    for (const char* nome : {"Quorvelanti.qel", "MapaEncSemana.qel"}) {
        const std::string ficheiro = apoio::Fonte(std::string("packaging/exemplos/") + nome);
        EXPECT_EQ(LerEmpresas(ficheiro), std::vector<std::string>{"EMP01"}) << nome;
        Parametros p;
        p.FicheiroIni(ficheiro);
        p.Ler();
        EXPECT_EQ(Parametros::PastaDe(p.Log_Directoria()), "/var/lib/quorvelanti/") << nome;
        LeitorIni ini;
        ini.DefinirFicheiro(ficheiro);
        EXPECT_EQ(ini.LerValor("EMP01", "Servidor"), "sql01.empresa.pt,1433") << nome;
    }
}
