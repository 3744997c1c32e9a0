// The two ways the workbook writer holds cells, whole in memory or row by row, give workbooks that
// read the same: values, formulas, looks, merges, widths and heights.
#include <gtest/gtest.h>

#include "Apoio.h"
#include "output/LivroXlsx.h"

using namespace quorvelanti;

namespace {

void escrever(const std::string& ficheiro, LivroXlsx::Escrita escrita)
{
    LivroXlsx livro(ficheiro, {.escrita = escrita});
    livro.AdicionarFolha("Vendas");
    LivroXlsx::Estilo vermelho, faixa;
    vermelho.negrito = true;
    vermelho.tamanhoLetra = 20;
    vermelho.corLetra = 0xFF0000;
    faixa.fundo = 0x7ACDF6;
    faixa.formatoNumero = "###,###,##0.00";
    const auto titulo = livro.FormatoDe(vermelho);
    const auto moeda = livro.FormatoDe(faixa);
    livro.Coluna(1, 15, moeda);
    livro.Altura(0, 30);
    livro.Fundir(0, 0, 2, "Vendas do dia — Açores", titulo);
    for (int linha = 1; linha <= 3; ++linha) {
        livro.Texto(linha, 0, "Artigo ção " + std::to_string(linha), nullptr);
        livro.Numero(linha, 1, linha * 1.25, moeda);
        livro.Vazio(linha, 2, moeda);
    }
    livro.FormulaNumero(4, 1, "=SUM(B2:B4)", 7.5, moeda);
    livro.FormulaTexto(4, 2, "=IF(B5=0,\"-\",\"ok\")", "ok", titulo);
    livro.AdicionarFolha("");
    livro.Gravar();
}

}  // namespace

TEST(LivroXlsx, EmMemoriaOuLinhaALinhaLeEmIgual)
{
    apoio::PastaTemporaria pasta;
    const std::string emMemoria = pasta / "memoria.xlsx", linhaALinha = pasta / "linhas.xlsx";
    escrever(emMemoria, LivroXlsx::Escrita::EmMemoria);
    escrever(linhaALinha, LivroXlsx::Escrita::LinhaALinha);
    const auto r = apoio::Executar(
        {apoio::Python(), "-c",
         "import openpyxl, sys\n"
         "def ler(f):\n"
         "    wb = openpyxl.load_workbook(f)\n"
         "    return [(ws.title, sorted(map(str, ws.merged_cells.ranges)),\n"
         "             {k: d.width for k, d in ws.column_dimensions.items()}, ws.row_dimensions[1].height,\n"
         "             [(c.coordinate, c.value, c.number_format, c.font.b, c.font.sz,\n"
         "               c.font.color and c.font.color.rgb, c.fill.fill_type, c.fill.fgColor.rgb)\n"
         "              for row in ws.iter_rows() for c in row])\n"
         "            for ws in wb.worksheets]\n"
         "a, b = ler(sys.argv[1]), ler(sys.argv[2])\n"
         "print(a == b, len(a[0][4]), a[0][4][0][1])\n",
         emMemoria, linhaALinha});
    EXPECT_EQ(r.saida, "True 15 Vendas do dia — Açores\n") << r.erros;
}
