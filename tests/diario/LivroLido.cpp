#include "LivroLido.h"

#include <gtest/gtest.h>

#include <sstream>

#include "Apoio.h"

namespace diario {

namespace {
const std::string marca = "##FOLHA ";
}

std::vector<FolhaLida> LerLivro(const std::string& ficheiro)
{
    const std::string script = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    print(")" + marca + R"(" + ws.title)
    for linha in ws.iter_rows(values_only=True):
        textos = [str(v) for v in linha if v is not None]
        if textos:
            print("|".join(textos))
)";
    const auto r = apoio::Executar({apoio::Python(), "-c", script, ficheiro});
    EXPECT_EQ(r.estado, 0) << r.erros;
    std::vector<FolhaLida> livro;
    std::istringstream linhas(r.saida);
    for (std::string l; std::getline(linhas, l);) {
        if (l.rfind(marca, 0) == 0)
            livro.push_back({l.substr(marca.size()), ""});
        else if (!livro.empty())
            livro.back().texto += l + "\n";
    }
    return livro;
}

std::vector<std::string> NomesFolhas(const std::vector<FolhaLida>& livro)
{
    std::vector<std::string> nomes;
    for (const auto& f : livro) nomes.push_back(f.nome);
    return nomes;
}

std::string TextoFolha(const std::vector<FolhaLida>& livro, const std::string& nome)
{
    for (const auto& f : livro)
        if (f.nome == nome) return f.texto;
    return {};
}

}  // namespace diario
