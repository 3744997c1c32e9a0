#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "Apoio.h"
#include "components/files/FicheiroTemporario.h"

using quorvelanti::Erro;
using quorvelanti::FicheiroTemporario;

// A link commits only under a free name; a rename replaces. Either way the file takes the mode it
// was given, and no temporary name is left behind, also when a commit fails or never comes.
TEST(FicheiroTemporario, GravaTudoOuNada)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "1.eml", "alheio");
    for (auto uso : {FicheiroTemporario::Uso::Substituir, FicheiroTemporario::Uso::Ligar}) {
        const bool soLigar = uso == FicheiroTemporario::Uso::Ligar;
        const auto nome = pasta / (soLigar ? "3.eml" : "2.eml");
        FicheiroTemporario m(pasta / "q.eml", 0666, uso);
        FicheiroTemporario esquecido(pasta / "q.eml", 0666, uso);
        m.Escrever("men");
        m.Escrever("sagem");
        // Made only to be linked it has no name in the folder, where the file system allows.
        const bool semNome = m.Caminho().rfind("/proc/self/fd/", 0) == 0;
        EXPECT_TRUE(soLigar || !semNome);
        const auto nomes = apoio::Ficheiros(pasta.Caminho());
        EXPECT_EQ(std::count_if(nomes.begin(), nomes.end(), FicheiroTemporario::NomeTemporario), semNome ? 0 : 2);
        EXPECT_FALSE(m.Ligar(pasta / "1.eml"));
        EXPECT_TRUE(m.Ligar(nome));
        EXPECT_EQ(apoio::LerBytes(nome), "mensagem");
    }
    EXPECT_EQ(apoio::LerBytes(pasta / "1.eml"), "alheio");

    FicheiroTemporario p(pasta / "1.eml", 0600);
    p.Dono(geteuid(), getegid());  // its own owner: no right needed
    p.Modo(0640);
    p.Escrever("novo");
    p.Substituir();
    EXPECT_EQ(apoio::LerBytes(pasta / "1.eml"), "novo");
    EXPECT_EQ(std::filesystem::status(pasta / "1.eml").permissions(), std::filesystem::perms(0640));

    std::filesystem::create_directory(pasta / "pasta");
    {
        FicheiroTemporario naoCabe(pasta / "pasta");
        naoCabe.Escrever("x");
        EXPECT_THROW(naoCabe.Substituir(), Erro);   // a folder is never replaced
        FicheiroTemporario esquecido(pasta / "4.eml");
    }
    EXPECT_THROW(FicheiroTemporario(pasta / "falta/4.eml"), Erro);
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()), (std::vector<std::string>{"1.eml", "2.eml", "3.eml", "pasta"}));
}

// Only the program's own temporary names whose writer is gone are removed; one still held stays.
TEST(FicheiroTemporario, RemoveSoOsAbandonados)
{
    apoio::PastaTemporaria pasta;
    for (const char* nome : {".a.xlsx.tmp-abc123", ".a.xlsx.tmp-abc12", "a.xlsx.tmp-abc123", ".a.xlsx.tmp-abc12_"})
        apoio::EscreverBytes(pasta / nome, "");
    FicheiroTemporario vivo(pasta / "b.xlsx");
    EXPECT_EQ(FicheiroTemporario::RemoverAbandonados(pasta.Caminho()), 1);
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()),
              (std::vector<std::string>{".a.xlsx.tmp-abc12", ".a.xlsx.tmp-abc12_",
                                        std::filesystem::path(vivo.Caminho()).filename(), "a.xlsx.tmp-abc123"}));
}
