// quorvelanti --verificar as an administrator runs it before the night (a password login, an
// OAuth 2.0 sign-in, secrets by reference), and a run on a parameter file the service user may
// not read.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "Cenario.h"
#include "PastaImutavel.h"
#include "ServidorSmtp.h"
#include "ServidorTds.h"

namespace {

using falhas::Contem;

std::vector<std::string> linhas(const std::string& texto)
{
    std::vector<std::string> todas;
    std::istringstream s(texto);
    for (std::string l; std::getline(s, l);) todas.push_back(l);
    return todas;
}

std::vector<std::string> falhasEm(const std::string& saida)
{
    std::vector<std::string> f;
    for (const auto& l : linhas(saida))
        if (l.rfind("FALHA ", 0) == 0) f.push_back(l);
    return f;
}

apoio::OpcoesSmtp comLogin()
{
    apoio::OpcoesSmtp o;
    o.utilizador = "rel";
    o.password = "certa";
    o.tls = apoio::OpcoesSmtp::Tls::StartTls;
    return o;
}

apoio::Resultado verificar(const falhas::Cenario& cenario)
{
    return apoio::Executar({apoio::Programa(), "--verificar"}, cenario.Ambiente(), 60);
}

// Everything holds: every line ok, the login tried over TLS, and nothing written or sent.
TEST(Verificar, FicheiroCertoTudoOkSemEscreverNemEnviar)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    apoio::ServidorSmtp smtp(comLogin());
    cenario.Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                       cenario.Globais(smtp.ChavesIni()) + "AvisoFalha=aviso@emp.pt\r\n");
    const auto r = verificar(cenario);
    EXPECT_EQ(r.estado, 0) << r.saida << r.erros;
    const auto todas = linhas(r.saida);
    EXPECT_EQ(todas.size(), 8u) << r.saida;
    for (const auto& l : todas) EXPECT_EQ(l.substr(0, 6), "ok    ") << l;
    EXPECT_TRUE(Contem(r.saida, "com TLS (starttls), login de rel")) << r.saida;
    EXPECT_EQ(smtp.Ligacoes(), 1);
    EXPECT_EQ(smtp.Transaccoes(), 0);
    EXPECT_TRUE(apoio::Ficheiros(cenario.PastaLog()).empty());
    EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
}

// A wrong database password, a wrong mail password, a log folder that takes no file, a password
// kept in a file that is not there and a salesperson's address left out of DestinoVnd: one FALHA
// line each, naming the company or the key, and the check goes on past each of them.
TEST(Verificar, CadaFalhaNaSuaLinha)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    apoio::ServidorTds sql(apoio::ServidorTds::Modo::Recusa);
    apoio::ServidorSmtp smtp(comLogin());
    std::string chaves = smtp.ChavesIni();
    chaves.replace(chaves.find("Password=certa"), 14, "Password=errada");
    const auto seccaoSql = [&](const std::string& nome, const std::string& password) {
        return "[" + nome + "]\r\nServidor=127.0.0.1," + std::to_string(sql.Porta()) + "\r\nEmpresa=EMP\r\nUsername=rel\r\nPassword=" +
               password + "\r\nEncriptacao=nao\r\nTimeoutLigacao=10\r\n";
    };
    cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\nERP\r\nREF\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                       falhas::Cenario::Seccao("B", "a.db", "DestinoVnd=V01,ana@emp.pt,V02,V03,rui@emp.pt\r\n") +
                       seccaoSql("ERP", "errada") + seccaoSql("REF", "@ficheiro:/nao/existe") + cenario.Globais(chaves));
    falhas::PastaImutavel imutavel(cenario.PastaLog());
    if (!imutavel.Activa()) GTEST_SKIP() << imutavel.Motivo();
    const auto r = verificar(cenario);
    EXPECT_EQ(r.estado, 1) << r.saida;
    const auto f = falhasEm(r.saida);
    ASSERT_EQ(f.size(), 5u) << r.saida;
    EXPECT_TRUE(Contem(f[0], "[Log] Directoria") && Contem(f[0], "não aceita ficheiros")) << f[0];
    EXPECT_TRUE(Contem(f[1], "correio") && Contem(f[1], "535")) << f[1];
    EXPECT_TRUE(Contem(f[2], "empresa B") && Contem(f[2], "DestinoVnd (vendedor V02)") && Contem(f[2], "V03")) << f[2];
    EXPECT_TRUE(Contem(f[3], "empresa ERP") && Contem(f[3], "Login failed")) << f[3];
    EXPECT_TRUE(Contem(f[4], "empresa REF: A chave [REF] Password remete para @ficheiro:/nao/existe, que não existe"))
        << f[4];
    EXPECT_TRUE(Contem(r.saida, "ok    empresa A")) << r.saida;
    EXPECT_FALSE(Contem(r.saida, "errada"));
    EXPECT_EQ(smtp.Transaccoes(), 0);
}

// Under oauth2 the check asks the token endpoint for a token and signs in with it, sending
// nothing; a secret the endpoint refuses, or whose file is missing, is one FALHA line naming it.
TEST(Verificar, OAuthPedeTokenEEntraSemEnviar)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    apoio::OpcoesSmtp o;
    o.oauth.activo = true;
    o.oauth.segredo = "S3gr3do~certo";
    apoio::ServidorSmtp smtp(o);
    const std::string ficheiro = cenario.Dorvam() + "/segredo";
    apoio::EscreverBytes(ficheiro, o.oauth.segredo + "\n");
    chmod(ficheiro.c_str(), 0600);
    const auto verificarCom = [&](const std::string& segredo) {
        cenario.Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                           cenario.Globais(smtp.ChavesIni() + "OAuthSegredo=" + segredo + "\r\n"));
        return verificar(cenario);
    };

    auto r = verificarCom("@ficheiro:" + ficheiro);
    EXPECT_EQ(r.estado, 0) << r.saida << r.erros;
    EXPECT_TRUE(falhasEm(r.saida).empty()) << r.saida;
    EXPECT_TRUE(Contem(r.saida, "ok    correio: servidor de correio 127.0.0.1:")) << r.saida;
    ASSERT_EQ(smtp.Tokens().size(), 1u);
    EXPECT_EQ(smtp.LoginsXoauth2(true), 1);
    EXPECT_FALSE(Contem(r.saida + r.erros, smtp.Tokens()[0]));
    EXPECT_FALSE(Contem(r.saida + r.erros, o.oauth.segredo));

    for (const std::string segredo : {"segredo-errado", "@ficheiro:/nao/existe"}) {
        SCOPED_TRACE(segredo);
        r = verificarCom(segredo);
        EXPECT_EQ(r.estado, 1);
        const auto f = falhasEm(r.saida);
        ASSERT_EQ(f.size(), 1u) << r.saida;
        EXPECT_TRUE(Contem(f[0], "OAuthSegredo")) << f[0];
        EXPECT_TRUE(Contem(f[0], segredo == "segredo-errado" ? "invalid_client" : "remete para @ficheiro:/nao/existe"))
            << f[0];
        EXPECT_FALSE(Contem(r.saida + r.erros, "segredo-errado"));
        EXPECT_TRUE(Contem(r.saida, "ok    empresa A")) << r.saida;
    }
    EXPECT_EQ(smtp.Ligacoes(), 1) << "no sign-in tried without a token";
    EXPECT_EQ(smtp.Transaccoes(), 0);
    EXPECT_TRUE(apoio::Ficheiros(cenario.PastaLog()).empty());
}

// Keys where the program does not read them, a delivery ledger that is a FIFO and control
// characters in the file: a FALHA for each misplaced key and for the ledger, an info line for
// what is only unread, nothing on the output that drives a terminal. The run itself warns of the
// misplaced keys, in its log and on stderr, and goes on.
TEST(Verificar, ChavesForaDoLugarEUmRegistoQueACorridaRecusa)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    const std::string estranha = std::string("Velha\x1b[2J\0", 10) + "=1\r\n";
    cenario.Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db", "Porta=25\r\n") +
                       "[RETIRADA]\r\nServidor=sql\r\nEmpresa=R\r\n" +
                       cenario.Globais("PastaSaida=" + cenario.PastaLog() + "\r\nAvisoFalha=aviso@emp.pt\r\n" +
                                       "GrupoPortes='P'\r\n" + estranha));
    const std::string registo = cenario.FicheiroEntregas();
    ASSERT_EQ(mkfifo(registo.c_str(), 0600), 0);
    auto r = verificar(cenario);
    EXPECT_EQ(r.estado, 1) << r.saida;
    const auto f = falhasEm(r.saida);
    ASSERT_EQ(f.size(), 4u) << r.saida;
    EXPECT_EQ(f[0], "FALHA [A] Porta: a chave não é lida em [A]; pertence a [SMTP]");
    EXPECT_EQ(f[1], "FALHA [SMTP] AvisoFalha: a chave não é lida em [SMTP]; pertence a [Log]");
    EXPECT_EQ(f[2], "FALHA [SMTP] GrupoPortes: a chave não é lida em [SMTP]; pertence à secção de cada empresa");
    EXPECT_TRUE(Contem(f[3], "registo de entregas") && Contem(f[3], "não é um ficheiro normal")) << f[3];
    EXPECT_TRUE(Contem(r.saida, "info  [RETIRADA]: secção que o programa não lê")) << r.saida;
    EXPECT_TRUE(Contem(r.saida, "info  [SMTP] Velha\uFFFD[2J\uFFFD: chave que o programa não lê")) << r.saida;
    EXPECT_EQ(r.saida.find_first_of(std::string("\x1b\0", 2)), std::string::npos);

    // The run refuses that ledger as the check said; without it, it runs and warns.
    r = cenario.Correr();
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "não é um ficheiro normal")) << r.erros;
    ASSERT_EQ(unlink(registo.c_str()), 0);
    r = cenario.Correr();
    EXPECT_EQ(r.estado, 0) << r.erros;
    const std::string aviso = "Aviso: [SMTP] AvisoFalha: a chave não é lida em [SMTP]; pertence a [Log]";
    EXPECT_TRUE(Contem(r.erros, aviso)) << r.erros;
    const auto registoCorrida = cenario.MensagensRegisto();
    EXPECT_NE(std::find(registoCorrida.begin(), registoCorrida.end(), aviso), registoCorrida.end());
    EXPECT_EQ(r.erros.find_first_of(std::string("\x1b\0", 2)), std::string::npos);
}

// The most likely installation slip: a parameter file the service user may not read. The run
// says so, with the reason, the owner and mode and who ran, instead of a missing key.
TEST(Verificar, FicheiroIlegivelDizPorque)
{
    falhas::Cenario cenario;
    cenario.Parametros("[EMPRESAS]\r\n[FIM]\r\n" + cenario.Globais("PastaSaida=" + cenario.PastaLog() + "\r\n"));
    std::vector<std::string> comando{apoio::Programa(), "/S"};
    std::string quem = "root";
    if (geteuid() == 0) {
        const passwd* ninguem = getpwnam("nobody");
        if (!ninguem) GTEST_SKIP() << "needs the user nobody";
        quem = "nobody";
        chmod(cenario.Base().c_str(), 0755);
        chmod(cenario.Dorvam().c_str(), 0755);
        comando.insert(comando.begin(), {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    } else {
        chmod((cenario.Dorvam() + "/Quorvelanti.qel").c_str(), 0);
    }
    const auto r = apoio::Executar(comando, cenario.Ambiente(), 60);
    EXPECT_EQ(r.estado, 1) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "Não foi possível ler o ficheiro de parâmetros " + cenario.Dorvam() +
                                    "/Quorvelanti.qel: Permission denied")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "modo 0" + std::string(geteuid() == 0 ? "600" : "000"))) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "o programa corre como " + quem)) << r.erros;
    EXPECT_TRUE(apoio::Ficheiros(cenario.PastaLog()).empty());

    // A missing file says how its folder was chosen and where the samples are; a missing log
    // folder is said to be missing.
    auto semFicheiro = cenario.Correr("/3S");
    EXPECT_EQ(semFicheiro.estado, 1);
    EXPECT_TRUE(Contem(semFicheiro.erros, "O ficheiro de parâmetros não existe: " + cenario.Dorvam() +
                                              "/MapaEncSemana.qel: a pasta " + cenario.Dorvam() +
                                              " existe (QUORVELANTI_PASTA_BASE=" + cenario.Base() + ")"))
        << semFicheiro.erros;
    EXPECT_TRUE(Contem(semFicheiro.erros, "ficheiros de exemplo em ")) << semFicheiro.erros;
    cenario.Parametros("[EMPRESAS]\r\n[FIM]\r\n[Log]\r\nDirectoria=" + cenario.Base() + "/nao-ha\\\r\n",
                       "MapaEncSemana.qel");
    semFicheiro = cenario.Correr("/3S");
    EXPECT_EQ(semFicheiro.estado, 1);
    EXPECT_TRUE(Contem(semFicheiro.erros, "a pasta " + cenario.Base() + "/nao-ha/ não existe")) << semFicheiro.erros;
}

}  // namespace
