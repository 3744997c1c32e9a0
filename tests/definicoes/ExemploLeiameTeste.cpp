// The README's parameter file, read by the program's own reader: what a person copies from it
// must be what the program reads.
#include <gtest/gtest.h>

#include <array>

#include "Apoio.h"
#include "app/Sincronizacao.h"
#include "components/files/LeitorIni.h"

using namespace quorvelanti;

TEST(ExemploLeiame, OFicheiroDeParametrosDoLeiameLeSeComoEstaDescrito)
{
    const std::string leiame = apoio::LerBytes(apoio::Fonte("README.md"));
    const auto bloco = leiame.find("```ini\n", leiame.find("## Configuration reference"));
    ASSERT_NE(bloco, std::string::npos);
    apoio::PastaTemporaria pasta;
    const std::string ficheiro = pasta / "Quorvelanti.qel";
    apoio::EscreverBytes(ficheiro, leiame.substr(bloco + 7, leiame.find("```", bloco + 7) - bloco - 7));

    EXPECT_EQ(LerEmpresas(ficheiro), (std::vector<std::string>{"EMP01", "EMP02"}));
    const std::vector<std::array<std::string, 3>> chaves = {
        {"EMP01", "Servidor", "sql01\\ERP"}, {"EMP01", "Empresa", "EMP01"}, {"EMP01", "Username", "relatorios"},
        {"EMP01", "Password", "segredo;#1"}, {"EMP01", "DestinoAdm", "adm@empresa.pt;direccao@empresa.pt"},
        {"EMP01", "DestinoVnd", "V01,ana@empresa.pt,V02,rui@empresa.pt"}, {"EMP01", "DestinoEnc", "compras@empresa.pt"},
        {"EMP01", "GrupoPortes", "'PORTES','FRETE'"}, {"EMP02", "Servidor", "sql02,1433"},
        {"EMP02", "Empresa", "EMP02"}, {"EMP02", "Username", "relatorios"}, {"EMP02", "Password", "outro segredo"},
        {"EMP02", "Encriptacao", "exigir"}, {"EMP02", "DestinoAdm", "adm@emp02.pt"}, {"email", "Assunto", "Mapas diários"},
        {"SMTP", "emailEmissor", "relatorios@empresa.pt"}, {"SMTP", "Servidor", "smtp.empresa.pt"},
        {"SMTP", "Porta", "587"}, {"SMTP", "Seguranca", "starttls"}, {"Log", "Directoria", "/var/lib/quorvelanti"},
        {"Log", "AvisoFalha", "informatica@empresa.pt"}, {"Log", "ContinuarAposFalha", "1"}};
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiro);
    for (const auto& [seccao, chave, valor] : chaves) EXPECT_EQ(ini.LerValor(seccao, chave), valor) << chave;
    // Every company listed has its section, so the example runs as copied.
    for (const auto& empresa : LerEmpresas(ficheiro)) EXPECT_TRUE(ini.TemSeccao(empresa)) << empresa;
    // Every key line of the example is in the list above, so one added there is checked too.
    std::size_t linhasDeChave = 0;
    for (const auto& linha : LeitorIni::LerLinhas(ficheiro))
        if (linha.find('=') != std::string::npos && linha[0] != ';' && linha[0] != '#') ++linhasDeChave;
    EXPECT_EQ(linhasDeChave, chaves.size());
}
