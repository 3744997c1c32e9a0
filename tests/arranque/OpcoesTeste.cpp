// --help and --version of the three programs answer without a display and exit 0; another text
// starting with "--" is refused with status 2 and the usage, not taken for a file's name.
#include <gtest/gtest.h>

#include "Apoio.h"

namespace {

bool contem(const std::string& texto, const std::string& fragmento) { return texto.find(fragmento) != std::string::npos; }

apoio::Resultado semEcra(const std::vector<std::string>& argumentos)
{
    return apoio::Executar(argumentos, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QUORVELANTI_DATA", "mal"}});
}

TEST(Opcoes, AjudaVersaoEOpcaoDesconhecida)
{
    const std::string demo = apoio::Fonte("demo/correr.sh");
    for (const auto& programa : std::vector<std::vector<std::string>>{{apoio::Programa()}, {"/bin/bash", demo}}) {
        for (const char* ajuda : {"--help", "-h"}) {
            auto argumentos = programa;
            argumentos.push_back(ajuda);
            const auto r = semEcra(argumentos);
            EXPECT_EQ(r.estado, 0) << r.erros;
            EXPECT_EQ(r.saida.rfind("Uso: quorvelanti", 0), 0u) << r.saida;
            EXPECT_TRUE(contem(r.saida, "Estado de saída")) << r.saida;
        }
        auto argumentos = programa;
        argumentos.push_back("--parametros");
        const auto r = semEcra(argumentos);
        EXPECT_EQ(r.estado, 2);
        EXPECT_TRUE(contem(r.erros, "Opção desconhecida: --parametros") && contem(r.erros, "Uso: ")) << r.erros;
        EXPECT_EQ(r.saida, "");
    }
    const auto ajuda = semEcra({apoio::Programa(), "--help"});
    for (const char* assunto : {"/3S", "--verificar", "QUORVELANTI_PASTA_BASE", "QUORVELANTI_RETOMAR", "dorvam"})
        EXPECT_TRUE(contem(ajuda.saida, assunto)) << assunto;
    for (const char* versao : {"--version", "-V"}) {
        const auto r = semEcra({apoio::Programa(), versao});
        EXPECT_EQ(r.estado, 0);
        EXPECT_EQ(r.saida.rfind("quorvelanti ", 0), 0u) << r.saida;
    }
}

}  // namespace
