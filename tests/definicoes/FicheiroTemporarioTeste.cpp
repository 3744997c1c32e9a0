#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "Apoio.h"
#include "components/FicheiroTemporario.h"

using quorvelanti::Erro;
using quorvelanti::FicheiroTemporario;

namespace {

unsigned modoDe(const std::string& caminho)
{
    struct stat atributos {};
    stat(caminho.c_str(), &atributos);
    return atributos.st_mode & 07777;
}

}  // namespace

// A link commits only under a free name; a rename replaces. Either way the file takes the mode it
// was given, and no temporary name is left behind, also when a commit fails or never comes.
TEST(FicheiroTemporario, GravaTudoOuNada)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "1.eml", "alheio");
    {
        FicheiroTemporario m(pasta / "q.eml");
        m.Escrever("mensagem");
        m.Escrever(std::string(100000, 'x'));
        EXPECT_FALSE(m.Ligar(pasta / "1.eml"));
        EXPECT_TRUE(m.Ligar(pasta / "2.eml"));
    }
    EXPECT_EQ(apoio::LerBytes(pasta / "1.eml"), "alheio");
    EXPECT_EQ(apoio::LerBytes(pasta / "2.eml"), "mensagem" + std::string(100000, 'x'));

    FicheiroTemporario p(pasta / "1.eml", 0600);
    p.Dono(geteuid(), getegid());  // its own owner: no right needed
    p.Modo(0640);
    p.Escrever("novo");
    p.Substituir();
    EXPECT_EQ(apoio::LerBytes(pasta / "1.eml"), "novo");
    EXPECT_EQ(modoDe(pasta / "1.eml"), 0640u);

    std::filesystem::create_directory(pasta / "pasta");
    {
        FicheiroTemporario naoCabe(pasta / "pasta");
        naoCabe.Escrever("x");
        EXPECT_THROW(naoCabe.Substituir(), Erro);   // a folder is never replaced
        FicheiroTemporario esquecido(pasta / "3.eml");
    }
    EXPECT_THROW(FicheiroTemporario(pasta / "falta/4.eml"), Erro);
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()), (std::vector<std::string>{"1.eml", "2.eml", "pasta"}));
}

// A folder that takes no new file is a refusal of rights, which a caller may answer another way.
TEST(FicheiroTemporario, PastaSemDireitosERecusa)
{
    apoio::PastaTemporaria pasta;
    ASSERT_EQ(chmod(pasta.Caminho().c_str(), 0555), 0);
    const passwd* ninguem = getpwnam("nobody");
    if (geteuid() == 0 && !ninguem) GTEST_SKIP() << "root needs nobody to be refused";
    const pid_t filho = fork();
    if (filho == 0) {
        if (geteuid() == 0 && setuid(ninguem->pw_uid) != 0) _exit(3);
        try {
            FicheiroTemporario t(pasta / "p.qel");
        } catch (const FicheiroTemporario::SemPermissao&) {
            _exit(0);
        } catch (const Erro&) {
            _exit(1);
        }
        _exit(2);
    }
    int estado = -1;
    waitpid(filho, &estado, 0);
    EXPECT_EQ(estado, 0);
    chmod(pasta.Caminho().c_str(), 0755);
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
