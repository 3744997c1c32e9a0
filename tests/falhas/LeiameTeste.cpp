// The README's "Trying it on your own parameter file" commands, run as a reader copies them into
// a shell (with this build's program and generator for the demo's), must check and run clean.
#include <gtest/gtest.h>

#include "Apoio.h"
#include "Cenario.h"

namespace {

using falhas::Contem;

// The first ```sh block after the heading, as a shell script.
std::string blocoShell(const std::string& leiame, const std::string& titulo)
{
    const auto inicio = leiame.find("```sh\n", leiame.find(titulo)) + 6;
    return leiame.substr(inicio, leiame.find("```", inicio) - inicio);
}

void substituir(std::string& texto, const std::string& de, const std::string& para)
{
    for (auto i = texto.find(de); i != std::string::npos; i = texto.find(de, i + para.size()))
        texto.replace(i, de.size(), para);
}

TEST(Leiame, OExemploCorreComoCopiado)
{
    std::string comandos =
        blocoShell(apoio::LerBytes(apoio::Fonte("README.md")), "## Trying it on your own parameter file");
    substituir(comandos, "build-demo/tools/gerador/quorvelanti-gerador", QUORVELANTI_GERADOR_FALHAS);
    substituir(comandos, "build-demo/src/main/quorvelanti", apoio::Programa());
    apoio::PastaTemporaria pasta;
    const auto r = apoio::Executar({"/bin/bash", "-e", "-c", "cd " + pasta.Caminho() + "\n" + comandos},
                                   {{"QUORVELANTI_DATA", ""}, {"QUORVELANTI_PASTA_BASE", ""}});
    EXPECT_EQ(r.estado, 0) << r.saida << r.erros;
    EXPECT_TRUE(Contem(r.saida, "ok    empresa ")) << r.saida;
    EXPECT_FALSE(Contem(r.saida, "FALHA")) << r.saida;
    EXPECT_TRUE(Contem(r.saida, "Emissão Mapas terminada")) << r.saida;
    EXPECT_TRUE(Contem(r.saida, "-1.eml")) << "the administration workbook's message: " << r.saida;
    EXPECT_EQ(r.erros, "");
}

}  // namespace
