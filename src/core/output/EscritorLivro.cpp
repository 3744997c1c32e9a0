#include "EscritorLivro.h"

#include <algorithm>

#include "output/LivroFolha.h"
#include "output/LivroXlsx.h"

namespace quorvelanti {

namespace {

// Held whole up to this many cells in its largest sheet (tens of MB in the writer), row by
// row beyond: a large sheet then costs almost no memory, a small one no file of its own.
constexpr double kCelulasEmMemoria = 200000;

LivroXlsx::Escrita escritaPara(const DescricaoLivro& descricao)
{
    double maior = 0;
    for (const auto& folha : descricao.folhas)
        maior = std::max(maior, static_cast<double>(folha.dados.ContarRegistos()) * folha.dados.NumeroCampos());
    return maior > kCelulasEmMemoria ? LivroXlsx::Escrita::LinhaALinha : LivroXlsx::Escrita::EmMemoria;
}

// Writes every sheet into a workbook that the caller then saves or hands over.
void escreverFolhas(LivroXlsx& livro, const DescricaoLivro& descricao)
{
    const LivroTipo tipo(descricao.tipo);
    for (const auto& folha : descricao.folhas) {
        if (folha.dados.ContarRegistos() <= 0) {
            livro.AdicionarFolha("");  // keeps its place, empty, under the default name
            continue;
        }
        livro.AdicionarFolha(folha.nome);
        LivroFolha(livro, tipo, folha.dados.ClonarComFiltro())
            .Escrever(folha.titulo, descricao.linhasCliente, folha.totais);
    }
}

}  // namespace

void EscritorLivro::Gravar(const DescricaoLivro& descricao, PacoteXlsx& provas)
{
    LivroXlsx livro(descricao.ficheiro, {.escrita = escritaPara(descricao), .provas = &provas});
    escreverFolhas(livro, descricao);
    livro.Gravar();
}

LivroAnexo EscritorLivro::Anexo(const DescricaoLivro& descricao, const std::string& nomeAnexo, PacoteXlsx& provas)
{
    LivroXlsx livro(descricao.ficheiro, {.escrita = escritaPara(descricao), .paraMensagem = true, .provas = &provas});
    escreverFolhas(livro, descricao);
    return livro.Fechar(nomeAnexo);
}

}  // namespace quorvelanti
