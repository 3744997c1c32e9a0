#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <tuple>

#include "Apoio.h"
#include "components/files/LeitorIni.h"
#include "data/Erro.h"

using quorvelanti::LeitorIni;

namespace {
const std::string kFicheiro =
    "; par\xE2metros da emiss\xE3o\r\n"  // Windows-1252
    "[EMPRESAS]\r\n"
    "EMP01\r\n"
    "  bare line  \r\n"
    "[FIM]\r\n"
    "\r\n"
    "[EMP01]\r\n"
    "Servidor = sql01\\ERP \r\n"
    "Password=a;b}=c\r\n"
    "# comment inside\r\n"
    "\r\n"
    "; belongs to the next section\r\n"
    "[email]\r\n"
    "Assunto=Mapas\r\n"
    "[Log]\r\n"
    "Directoria=";  // last line without a line end

LeitorIni abrir(const std::string& caminho)
{
    LeitorIni ini;
    ini.DefinirFicheiro(caminho);
    return ini;
}
}  // namespace

TEST(LeitorIni, LeValoresIgnorandoCaixaEBrancos)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", kFicheiro);
    auto ini = abrir(pasta / "p.qel");
    EXPECT_EQ(ini.LerValor("emp01", "SERVIDOR"), "sql01\\ERP");
    EXPECT_EQ(ini.LerValor("EMP01", "Password"), "a;b}=c");
    EXPECT_EQ(ini.LerValor("EMP01", "Inexistente"), "");
    EXPECT_EQ(ini.LerValor("Nada", "Assunto"), "");
    EXPECT_EQ(ini.LerValor("Log", "Directoria"), "");
    EXPECT_EQ(abrir(pasta / "nao-existe.qel").LerValor("email", "Assunto"), "");
    EXPECT_TRUE(ini.TemSeccao("email"));
    EXPECT_FALSE(ini.TemSeccao("EMP02"));
}

TEST(LeitorIni, EscreverUmaChaveMudaSoOsBytesDoValor)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", kFicheiro);
    auto ini = abrir(pasta / "p.qel");
    ini.EscreverValor("EMAIL", "assunto", "Relatórios");
    ini.EscreverValor("EMP01", "Servidor", "sql02");
    std::string esperado = kFicheiro;
    esperado.replace(esperado.find("Mapas"), 5, "Relat\xF3rios");  // the file's own code page
    esperado.replace(esperado.find("sql01\\ERP"), 9, "sql02");
    EXPECT_EQ(apoio::LerBytes(pasta / "p.qel"), esperado);
    EXPECT_EQ(ini.LerValor("email", "Assunto"), "Relatórios");
}

TEST(LeitorIni, ChaveEmFaltaEntraNoFimDaSuaSeccaoAntesDosComentariosDaSeguinte)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", kFicheiro);
    auto ini = abrir(pasta / "p.qel");
    ini.EscreverValor("EMP01", "DestinoAdm", "adm@x.pt");
    ini.EscreverValor("Log", "Nivel", "1");
    ini.EscreverValor("SMTP", "emailEmissor", "rel@x.pt");
    std::string esperado = kFicheiro;
    esperado.insert(esperado.find("# comment inside\r\n") + 18, "DestinoAdm=adm@x.pt\r\n");
    esperado += "\r\nNivel=1\r\n[SMTP]\r\nemailEmissor=rel@x.pt\r\n";
    EXPECT_EQ(apoio::LerBytes(pasta / "p.qel"), esperado);
}

TEST(LeitorIni, GuardaUtf8EFinsDeLinhaLF)
{
    apoio::PastaTemporaria pasta;
    const std::string utf8 = "[email]\nAssunto=Emissão\n[Log]\nDirectoria=/tmp\n";
    apoio::EscreverBytes(pasta / "u.qel", utf8);
    auto ini = abrir(pasta / "u.qel");
    EXPECT_EQ(ini.LerValor("email", "Assunto"), "Emissão");
    ini.EscreverValor("Log", "Directoria", "/var/relatórios");
    EXPECT_EQ(apoio::LerBytes(pasta / "u.qel"), "[email]\nAssunto=Emissão\n[Log]\nDirectoria=/var/relatórios\n");
}

TEST(LeitorIni, FicheiroNovoEmWindows1252ComCrlf)
{
    apoio::PastaTemporaria pasta;
    auto ini = abrir(pasta / "novo.qel");
    ini.EscreverValor("email", "Assunto", "Emissão");
    EXPECT_EQ(apoio::LerBytes(pasta / "novo.qel"), "[email]\r\nAssunto=Emiss\xE3o\r\n");
}

TEST(LeitorIni, EscritaFalhadaDeixaOFicheiroComoEstava)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", kFicheiro);
    // A file-size limit makes the write fail half-way for any user, root included.
    rlimit anterior{};
    getrlimit(RLIMIT_FSIZE, &anterior);
    auto sinalAnterior = std::signal(SIGXFSZ, SIG_IGN);
    rlimit pequeno = anterior;
    pequeno.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &pequeno);
    auto ini = abrir(pasta / "p.qel");
    EXPECT_THROW(ini.EscreverValor("email", "Assunto", "X"), quorvelanti::Erro);
    setrlimit(RLIMIT_FSIZE, &anterior);
    std::signal(SIGXFSZ, sinalAnterior);
    EXPECT_EQ(apoio::LerBytes(pasta / "p.qel"), kFicheiro);
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()), std::vector<std::string>{"p.qel"});
}

TEST(LeitorIni, ValorComMudancaDeLinhaERecusado)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", kFicheiro);
    EXPECT_THROW(abrir(pasta / "p.qel").EscreverValor("email", "Assunto", "a\r\n[EMP99]"), quorvelanti::Erro);
    EXPECT_EQ(apoio::LerBytes(pasta / "p.qel"), kFicheiro);
}

// An instance reads the file once; its own writes and a new instance see the file as it is now.
TEST(LeitorIni, UmaLeituraPorInstanciaQueVeAsSuasEscritas)
{
    apoio::PastaTemporaria pasta;
    const std::string caminho = pasta / "p.qel";
    apoio::EscreverBytes(caminho, "[email]\r\nAssunto=Mapas\r\n");
    auto ini = abrir(caminho);
    EXPECT_EQ(ini.LerValor("email", "Assunto"), "Mapas");

    apoio::EscreverBytes(caminho, "[email]\r\nAssunto=Vendas\r\n[Log]\r\n");
    EXPECT_EQ(ini.LerValor("email", "Assunto"), "Mapas");
    EXPECT_FALSE(ini.TemSeccao("Log"));
    EXPECT_EQ(abrir(caminho).LerValor("email", "Assunto"), "Vendas");

    // A write starts from the file on disk, so the other's change is kept beside ours.
    ini.EscreverValor("Log", "Directoria", "/var/log");
    EXPECT_EQ(ini.LerValor("email", "Assunto"), "Vendas");
    EXPECT_EQ(ini.LerValor("Log", "Directoria"), "/var/log");

    ini.DefinirFicheiro(pasta / "outro.qel");
    EXPECT_EQ(ini.LerValor("email", "Assunto"), "");
}

// A 10 MB line is parsed once, not once per key read.
TEST(LeitorIni, LinhaEnormeLidaDepressa)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel",
                         "[email]\r\nAssunto=" + std::string(10 << 20, 'x') + "\r\n[Log]\r\nDirectoria=/var\r\n");
    auto ini = abrir(pasta / "p.qel");
    const auto inicio = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(ini.LerValor("Log", "Directoria"), "/var");
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
}

// Root saves a nobody:nogroup 0640 file through a symbolic link: the link stays, the target keeps
// owner, group and mode; a new file is 0600. Nobody, who may write the file but not its folder,
// saves it in place.
TEST(LeitorIni, GravarMantemOFicheiroQueEra)
{
    const passwd* ninguem = getpwnam("nobody");
    const group* semGrupo = getgrnam("nogroup");
    if (geteuid() != 0 || !ninguem || !semGrupo) GTEST_SKIP() << "needs root and nobody:nogroup";
    apoio::PastaTemporaria pasta;
    const std::string alvo = pasta / "alvo.qel", ligacao = pasta / "ligacao.qel";
    apoio::EscreverBytes(alvo, kFicheiro);
    ASSERT_EQ(chown(alvo.c_str(), ninguem->pw_uid, semGrupo->gr_gid), 0);
    ASSERT_EQ(chmod(alvo.c_str(), 0640) + chmod(pasta.Caminho().c_str(), 0755), 0);
    ASSERT_EQ(symlink("alvo.qel", ligacao.c_str()), 0);
    abrir(ligacao).EscreverValor("email", "Assunto", "Novo");
    EXPECT_TRUE(std::filesystem::is_symlink(ligacao));
    struct stat depois {}, noLugar {};
    ASSERT_EQ(stat(alvo.c_str(), &depois), 0);
    EXPECT_EQ(std::make_tuple(depois.st_uid, depois.st_gid, depois.st_mode & 07777),
              std::make_tuple(ninguem->pw_uid, semGrupo->gr_gid, 0640u));
    abrir(pasta / "novo.qel").EscreverValor("SMTP", "Password", "segredo");
    EXPECT_EQ(std::filesystem::status(pasta / "novo.qel").permissions(), std::filesystem::perms(0600));

    const pid_t filho = fork();
    if (filho == 0) {
        if (setgid(semGrupo->gr_gid) != 0 || setuid(ninguem->pw_uid) != 0) _exit(2);
        try {
            abrir(alvo).EscreverValor("email", "Assunto", "Mapas da noite");
        } catch (const quorvelanti::Erro&) {
            _exit(1);
        }
        _exit(0);
    }
    int estado = -1;
    waitpid(filho, &estado, 0);
    EXPECT_EQ(estado, 0);
    EXPECT_EQ(abrir(alvo).LerValor("email", "Assunto"), "Mapas da noite");
    ASSERT_EQ(stat(alvo.c_str(), &noLugar), 0);
    EXPECT_EQ(noLugar.st_ino, depois.st_ino);
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()), (std::vector<std::string>{"alvo.qel", "ligacao.qel", "novo.qel"}));
}

// "Ł" has no byte in Windows-1252: a save of it is refused as a whole, naming key and character;
// a UTF-8 file takes it.
TEST(LeitorIni, CaracterForaDoCodigoDoFicheiroERecusado)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "p.qel", kFicheiro);
    try {
        abrir(pasta / "p.qel").EscreverValores({{"email", "Assunto", "Mapas"}, {"Log", "Directoria", "/srv/Łódź"}});
        ADD_FAILURE() << "a gravação devia ser recusada";
    } catch (const quorvelanti::Erro& e) {
        EXPECT_NE(e.Descricao().find("Directoria tem o carácter \"Ł\""), std::string::npos) << e.Descricao();
    }
    EXPECT_EQ(apoio::LerBytes(pasta / "p.qel"), kFicheiro);
    apoio::EscreverBytes(pasta / "u.qel", "[email]\nAssunto=Emissão\n");
    abrir(pasta / "u.qel").EscreverValor("email", "Assunto", "Łódź");
    EXPECT_EQ(apoio::LerBytes(pasta / "u.qel"), "[email]\nAssunto=Łódź\n");
}

// A file saved with a UTF-8 byte-order mark: its first section is found, its text is UTF-8 even
// when the rest is ASCII, and a write keeps the mark.
TEST(LeitorIni, MarcaDeOrdemDeBytesNaoEParteDaPrimeiraLinha)
{
    apoio::PastaTemporaria pasta;
    const std::string bom = "\xEF\xBB\xBF";
    apoio::EscreverBytes(pasta / "p.qel", bom + "[email]\r\nAssunto=Mapas\r\n");
    auto ini = abrir(pasta / "p.qel");
    EXPECT_EQ(ini.LerValor("email", "Assunto"), "Mapas");
    EXPECT_EQ(LeitorIni::LerLinhas(pasta / "p.qel").front(), "[email]");
    ini.EscreverValor("email", "Assunto", "Relatório");
    EXPECT_EQ(apoio::LerBytes(pasta / "p.qel"), bom + "[email]\r\nAssunto=Relatório\r\n");
}
