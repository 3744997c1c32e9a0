// The delivery ledger: what a resumed run counts as delivered is exactly the workbooks of the same
// date, set, parameter file and company; the file stays one whole line per message.
#include <gtest/gtest.h>

#include <filesystem>

#include "Apoio.h"
#include "data/DataHora.h"
#include "data/Texto.h"
#include "settings/RegistoEntregas.h"

using namespace quorvelanti;
using Livro = IdentidadeLivro;

TEST(RegistoEntregas, SoOsLivrosDaMesmaCorridaContamComoEntregues)
{
    apoio::PastaTemporaria pasta;
    const std::string caminho = RegistoEntregas::NomeFicheiro(pasta.Caminho() + "/");
    const RegistoEntregas::Corrida noite{"2026-12-07", "diario", "/etc/dorvam/Quorvelanti.qel"};
    const DataHora agora(2026, 12, 7, 23, 4, 59);
    RegistoEntregas(caminho, noite).Registar("EMP 1", Livro::Vendedor("V\t01"), "ana@emp.pt", "", "<2@emp.pt>", agora);
    // Another date, set or parameter file is another run, whatever it delivered.
    for (const RegistoEntregas::Corrida& outra : {RegistoEntregas::Corrida{"2026-12-06", "diario", noite.ficheiroIni},
                                                  {noite.data, "semanal", noite.ficheiroIni}, {noite.data, "diario", "/x.qel"}})
        RegistoEntregas(caminho, outra).Registar("EMP 1", Livro::Administracao(), "adm@emp.pt", "", "<1@emp.pt>", agora);
    // A client's workbook as older runs recorded it, once per salesperson; then a line cut short
    // by a power cut: its workbook goes again, and the next line stays whole.
    const std::string inicio = "2026-12-07 23:05:00\t2026-12-07\tdiario\t" + noite.ficheiroIni + "\tEMP 1\t";
    apoio::EscreverBytes(caminho, apoio::LerBytes(caminho) + inicio + "cliente\tC2\tV04\tc2@cli.pt\t\t<4@emp.pt>\n" +
                                      inicio + "vendedor\t\tV03\tze@");
    RegistoEntregas(caminho, noite)
        .Registar("EMP 1", Livro::Cliente("C1"), "c1@cli.pt", "rita@emp.pt;rui@emp.pt", "<5@emp.pt>", agora);

    RegistoEntregas retoma(caminho, noite);
    retoma.LerEntregues();
    EXPECT_TRUE(retoma.Entregue("EMP 1", Livro::Vendedor("V\t01")));
    EXPECT_TRUE(retoma.Entregue("EMP 1", Livro::Cliente("C1")));
    EXPECT_TRUE(retoma.Entregue("EMP 1", Livro::Cliente("C2")));
    for (const auto& livro :
         {Livro::Vendedor("V03"), Livro::Vendedor("V04"), Livro::Administracao(), Livro::Cliente("C3")})
        EXPECT_FALSE(retoma.Entregue("EMP 1", livro)) << livro.Descricao();
    EXPECT_FALSE(retoma.Entregue("EMP 2", Livro::Vendedor("V\t01")));

    const auto linhas = texto::Dividir(apoio::LerBytes(caminho), '\n');
    ASSERT_EQ(linhas.size(), 9u) << "header, five lines, the cut one, the last, and the final line end";
    EXPECT_EQ(linhas[0].substr(0, 10), "# momento\t");
    EXPECT_EQ(linhas[1], "2026-12-07 23:04:59\t2026-12-07\tdiario\t/etc/dorvam/Quorvelanti.qel\tEMP 1\tvendedor\t\tV 01"
                         "\tana@emp.pt\t\t<2@emp.pt>\t\tentregue");
    EXPECT_EQ(texto::Dividir(linhas[7], '\t').size(), 13u);
    EXPECT_EQ(texto::Dividir(linhas[7], '\t')[7], "") << "one line per client, whoever its salespeople";
}

// One parameter file whatever its spelling: a line an older run wrote through a link counts, a
// new line names the canonical path, and the line closing a company's set is read as such.
TEST(RegistoEntregas, UmFicheiroDeParametrosQualquerQueSejaAGrafia)
{
    apoio::PastaTemporaria pasta;
    std::filesystem::create_directory(pasta / "dorvam");
    apoio::EscreverBytes(pasta / "dorvam/Q.qel", "");
    std::filesystem::create_directory_symlink(pasta / "dorvam", pasta / "ligacao");
    const std::string caminho = RegistoEntregas::NomeFicheiro(pasta.Caminho() + "/");
    apoio::EscreverBytes(caminho, "2026-12-07 23:04:59\t2026-12-07\tdiario\t" + pasta / "ligacao/Q.qel" +
                                      "\tEMP\tadministracao\t\t\tadm@emp.pt\t\t<1@emp.pt>\n");
    RegistoEntregas(caminho, {"2026-12-07", "diario", pasta / "dorvam/./Q.qel"})
        .RegistarEmpresaCompleta("EMP", DataHora(2026, 12, 7, 23, 5, 0));

    RegistoEntregas retoma(caminho, {"2026-12-07", "diario", pasta / "ligacao/../dorvam/Q.qel"});
    retoma.LerEntregues();
    EXPECT_TRUE(retoma.Entregue("EMP", Livro::Administracao()));
    EXPECT_TRUE(retoma.EmpresaCompleta("EMP"));
    EXPECT_FALSE(retoma.EmpresaCompleta("OUTRA"));
    const std::string canonico = std::filesystem::canonical(pasta / "dorvam/Q.qel");
    EXPECT_EQ(texto::Dividir(apoio::LerBytes(caminho), '\n').at(1),
              "2026-12-07 23:05:00\t2026-12-07\tdiario\t" + canonico + "\tEMP\tcompleta\t\t\t\t\t\t\t");
}
