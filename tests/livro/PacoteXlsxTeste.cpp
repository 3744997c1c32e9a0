// The proof of a finished package at its boundaries: a workbook the writer made passes; one whose
// sheet was cut short or lost bytes in its middle and was then packed as whole, a member whose
// stored data was cut, and a package cut inside its index are refused, each saying which member
// or what failed.
#include <gtest/gtest.h>

#include <filesystem>

#include "Apoio.h"
#include "components/files/PacoteXlsx.h"
#include "data/Erro.h"
#include "output/LivroXlsx.h"

using namespace quorvelanti;

namespace {

// Python's zipfile repacks the workbook with one part damaged as 'caso' says: "etiqueta" cuts it
// inside a tag, "raiz" right before its root's end tag, "lacuna" drops a quarter of it from its
// middle (each packed with a right CRC, as the writer packs a part it could not write whole);
// "membro" stores half of the part's deflated bytes under an index entry that declares it whole.
std::string estragado(const std::string& livro, const std::string& caso, const apoio::PastaTemporaria& pasta,
                      const std::string& parte = "xl/worksheets/sheet1.xml")
{
    const std::string destino = pasta / (caso + "-" + std::filesystem::path(parte).stem().string() + ".xlsx");
    const auto r = apoio::Executar(
        {apoio::Python(), "-c",
         "import sys, zipfile, zlib\n"
         "origem, destino, caso, parte = sys.argv[1:]\n"
         "with zipfile.ZipFile(origem) as z:\n"
         "    membros = [(i.filename, z.read(i)) for i in z.infolist()]\n"
         "with zipfile.ZipFile(destino, 'w', zipfile.ZIP_DEFLATED) as z:\n"
         "    for nome, dados in membros:\n"
         "        if nome != parte: z.writestr(nome, dados)\n"
         "        elif caso == 'etiqueta': z.writestr(nome, dados[:dados.index(b'<c ', len(dados) // 2) + 3])\n"
         "        elif caso == 'raiz': z.writestr(nome, dados[:dados.rindex(b'</worksheet>')])\n"
         "        elif caso == 'lacuna': z.writestr(nome, dados[:len(dados) // 3] + dados[len(dados) * 7 // 12:])\n"
         "        else:\n"
         "            c = zlib.compressobj(wbits=-15)\n"
         "            deflacionados = c.compress(dados) + c.flush()\n"
         "            z.writestr(zipfile.ZipInfo(nome), deflacionados[:len(deflacionados) // 2])\n"
         "            i = z.infolist()[-1]\n"
         "            i.compress_type, i.file_size, i.CRC = zipfile.ZIP_DEFLATED, len(dados), zlib.crc32(dados)\n",
         livro, destino, caso, parte});
    EXPECT_EQ(r.estado, 0) << r.erros;
    return apoio::LerBytes(destino);
}

// What the proof says of the package: "" when whole.
std::string recusa(const std::string& pacote)
{
    try {
        PacoteXlsx().Verificar(pacote);
        return "";
    } catch (const Erro& erro) {
        EXPECT_EQ(erro.Numero(), erros::LivroFalhou);
        return erro.DescricaoCompleta();
    }
}

}  // namespace

TEST(PacoteXlsx, SoUmPacoteInteiroPassa)
{
    apoio::PastaTemporaria pasta;
    const std::string livro = pasta / "livro.xlsx";
    {
        LivroXlsx escrito(livro);
        escrito.AdicionarFolha("Vendas");
        for (int linha = 0; linha < 200; ++linha) {
            escrito.Texto(linha, 0, "Artigo " + std::to_string(linha), nullptr);
            escrito.Numero(linha, 1, linha * 1.25, nullptr);
        }
        escrito.Gravar();
    }
    const std::string inteiro = apoio::LerBytes(livro);
    EXPECT_EQ(recusa(inteiro), "");

    EXPECT_EQ(recusa(estragado(livro, "etiqueta", pasta)),
              "O membro xl/worksheets/sheet1.xml acaba antes de fechar <row>");
    EXPECT_EQ(recusa(estragado(livro, "raiz", pasta)),
              "O membro xl/worksheets/sheet1.xml acaba antes de fechar <worksheet>");
    // Bytes lost in the middle leave the tags nested, rows being alike, but not what they count.
    EXPECT_EQ(recusa(estragado(livro, "lacuna", pasta)),
              "O membro xl/worksheets/sheet1.xml tem a célula \"Bspans=\" na linha 67");
    EXPECT_EQ(recusa(estragado(livro, "lacuna", pasta, "xl/sharedStrings.xml")),
              "O membro xl/sharedStrings.xml tem 148 textos e diz ter 200");
    EXPECT_EQ(recusa(estragado(livro, "membro", pasta)),
              "O membro xl/worksheets/sheet1.xml não se descomprime: dados comprimidos cortados");
    // Cut inside its index, the package loses the record that closes it; a cut anywhere else
    // moves that record away from the index it points to.
    EXPECT_EQ(recusa(inteiro.substr(0, inteiro.size() - 30)),
              "O pacote (zip) não acaba no registo que fecha o seu índice");
    EXPECT_EQ(recusa(inteiro.substr(0, 100) + inteiro.substr(101)), "O índice do pacote (zip) está cortado");

    // A run's proofs take a part stored as one proved before as proved, and only such a part: the
    // theme cut in the next workbook is still refused.
    PacoteXlsx provas;
    provas.Verificar(inteiro);
    provas.Verificar(inteiro);
    EXPECT_THROW(provas.Verificar(estragado(livro, "lacuna", pasta, "xl/theme/theme1.xml")), Erro);
}
