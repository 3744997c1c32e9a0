// Mail through an OAuth 2.0 service and secrets kept out of the parameter file, with the built
// program run as the scheduler runs it: a loopback HTTPS token endpoint and an SMTP server that
// takes only XOAUTH2 with the tokens that endpoint issued. No secret, token or base64 of a
// password may be left in any file of the run or on its output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "Cenario.h"
#include "ServidorSmtp.h"
#include "ServidorTds.h"
#include "components/mail/mime/MensagemCodificacao.h"

namespace fs = std::filesystem;

namespace {

using falhas::Contem;

constexpr const char* kSegredo = "S3gr3do~da~aplicacao";

// Every file under the folders, and the run's output, as one text to search.
std::string tudoOQueFicou(const std::vector<std::string>& pastas, const apoio::Resultado& r)
{
    std::string tudo = r.saida + "\n" + r.erros;
    for (const auto& pasta : pastas)
        for (const auto& f : fs::recursive_directory_iterator(pasta))
            if (f.is_regular_file()) tudo += "\n" + apoio::LerBytes(f.path().string());
    return tudo;
}

void escreverSecreto(const std::string& caminho, const std::string& bytes)
{
    apoio::EscreverBytes(caminho, bytes);
    chmod(caminho.c_str(), 0600);
}

// Secrets with a character of each kind an encoding treats apart.
constexpr const char* kSegredoDificil = "S3gr3do ç€ \"a\\b/c+d=e&f<g>'h";
constexpr const char* kPasswordDificil = "Pa55 ç€ \"x\\y/z+w=v&u<t>'s";

// The first piece (8 bytes in a row) of an echoed secret found in the text; "" when none is.
std::string ecoEncontrado(const std::string& tudo, const std::vector<std::string>& ecos)
{
    for (const auto& eco : ecos)
        for (std::size_t p = 0; p + 8 <= eco.size(); ++p)
            if (Contem(tudo, eco.substr(p, 8))) return eco.substr(p, 8);
    return "";
}

// The notices the server took, raw and decoded.
std::string avisos(const apoio::ServidorSmtp& smtp)
{
    std::string tudo;
    std::vector<std::string> brutos;
    for (const auto& m : smtp.Mensagens()) brutos.push_back(m.dados);
    for (const auto& lido : apoio::LerCorreios(brutos)) tudo += "\n" + lido.corpo;
    for (const auto& bruto : brutos) tudo += "\n" + bruto;
    return tudo;
}

// The program in a terminal of its own (a pseudo-terminal it has for controlling terminal), as
// someone at a console runs it: what it wrote there and its exit status; killed after 20 s.
apoio::Resultado executarNumTerminal(std::vector<std::string> argumentos, const std::map<std::string, std::string>& ambiente)
{
    std::vector<std::string> pares = apoio::AmbienteCom(ambiente);
    std::vector<char*> argv = apoio::Ponteiros(argumentos), envp = apoio::Ponteiros(pares);
    int mestre = -1;
    const pid_t pid = forkpty(&mestre, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    apoio::Resultado r;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limite) {
        pollfd p{mestre, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char bytes[4096];
        const ssize_t n = read(mestre, bytes, sizeof bytes);
        if (n <= 0) break;  // the program ended: its terminal is gone
        r.saida.append(bytes, static_cast<std::size_t>(n));
    }
    kill(pid, SIGKILL);
    int estado = 0;
    waitpid(pid, &estado, 0);
    close(mestre);
    r.estado = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
    return r;
}

class CorreioOAuth : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        modelo = new falhas::Cenario;
        modelo->EmpresaGerada("semana.db", 600);
        chaves = new apoio::PastaTemporaria;
        chave = apoio::CriarChaveCliente(*chaves);
    }
    static void TearDownTestSuite()
    {
        delete modelo;
        delete chaves;
    }

    // The daily run of one empty company, mailed with these SMTP keys, its failure told to it@emp.pt;
    // then --verificar on the same file. Both outputs in one.
    std::pair<apoio::Resultado, apoio::Resultado> correrDiarioEVerificar(const std::string& smtp,
                                                                         const std::function<void()>& antesDeCada)
    {
        cenario->Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                            cenario->Globais(smtp) + "AvisoFalha=it@emp.pt\r\n");
        antesDeCada();
        auto diario = cenario->Correr();
        antesDeCada();
        auto verificar = apoio::Executar({apoio::Programa(), "--verificar"}, cenario->Ambiente());
        return {diario, verificar};
    }

    // The weekly run, its SQL traced into the log folder; extra environment as given.
    apoio::Resultado correrSemanal(const std::string& smtp, std::map<std::string, std::string> ambiente = {})
    {
        fs::copy_file(modelo->Dorvam() + "/semana.db", cenario->Dorvam() + "/semana.db",
                      fs::copy_options::overwrite_existing);
        cenario->Parametros("[EMPRESAS]\r\nW\r\n[FIM]\r\n" + falhas::Cenario::Seccao("W", "semana.db") +
                               cenario->Globais(smtp) + "AvisoFalha=it@emp.pt\r\n",
                           "MapaEncSemana.qel");
        for (const auto& [nome, valor] : cenario->Ambiente()) ambiente[nome] = valor;
        ambiente["QUORVELANTI_TRACE_SQL"] = cenario->PastaLog() + "/trace.sql";
        return apoio::Executar({apoio::Programa(), "/3S"}, ambiente);
    }

    static apoio::OpcoesSmtp oauth()
    {
        apoio::OpcoesSmtp o;
        o.oauth.activo = true;
        o.oauth.segredo = kSegredo;
        o.oauth.certificado = chave.certificado;
        return o;
    }

    static falhas::Cenario* modelo;
    static apoio::PastaTemporaria* chaves;
    static apoio::ChaveCliente chave;
    std::unique_ptr<falhas::Cenario> cenario = std::make_unique<falhas::Cenario>();
};
falhas::Cenario* CorreioOAuth::modelo = nullptr;
apoio::PastaTemporaria* CorreioOAuth::chaves = nullptr;
apoio::ChaveCliente CorreioOAuth::chave;

TEST_F(CorreioOAuth, SegredoCertificadoEContaDeServicoEntregamACorridaSemanalComUmToken)
{
    const std::string chavePem = apoio::LerBytes(chave.chavePrivada);
    const std::string linhaDaChave = chavePem.substr(chavePem.find('\n') + 1, 64);
    for (const std::string forma : {"segredo", "certificado", "conta"}) {
        SCOPED_TRACE(forma);
        cenario = std::make_unique<falhas::Cenario>();
        apoio::ServidorSmtp smtp(oauth());
        apoio::PastaTemporaria credenciais;
        std::string chavesForma;
        if (forma == "segredo") {
            escreverSecreto(cenario->Dorvam() + "/segredo", std::string(kSegredo) + "\n");
            chavesForma = "OAuthSegredo=@ficheiro:" + cenario->Dorvam() + "/segredo\r\n";
        } else if (forma == "certificado") {
            chavesForma = "OAuthCertificado=" + chave.certificado + "\r\nOAuthChavePrivada=" + chave.chavePrivada + "\r\n";
        } else {
            escreverSecreto(credenciais / "conta-google", smtp.ContaServicoJson(chavePem));
            chavesForma = "OAuthContaServico=@credencial:conta-google\r\n";
        }
        const auto r = correrSemanal(smtp.ChavesIni() + chavesForma, {{"CREDENTIALS_DIRECTORY", credenciais.Caminho()}});
        ASSERT_EQ(r.estado, 0) << r.erros;
        const auto recebidas = smtp.Mensagens();
        ASSERT_GT(recebidas.size(), 3u);
        for (const auto& m : recebidas) EXPECT_EQ(m.login, "rel@emp.pt");
        EXPECT_TRUE(cenario->Livros() == std::vector<std::string>{"trace.sql"}) << "every workbook mailed";
        // One token for the whole run, on each of its connections.
        const auto tokens = smtp.Tokens();
        ASSERT_EQ(tokens.size(), 1u);
        EXPECT_EQ(smtp.LoginsXoauth2(true), smtp.Ligacoes());

        const std::string tudo = tudoOQueFicou({cenario->PastaLog()}, r);
        EXPECT_FALSE(Contem(tudo, tokens[0]));
        EXPECT_FALSE(Contem(tudo, kSegredo));
        EXPECT_FALSE(Contem(tudo, linhaDaChave));
        EXPECT_FALSE(Contem(tudo, "eyJ")) << "no JSON web token (an assertion) either";
    }
}

TEST_F(CorreioOAuth, SegredoRecusadoTerminaACorridaComAsPalavrasDoServico)
{
    apoio::ServidorSmtp smtp(oauth());
    const auto r = correrSemanal(smtp.ChavesIni() + "OAuthSegredo=segredo-errado-123\r\n");
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "invalid_client: AADSTS7000215: Invalid client secret provided.")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "OAuthSegredo")) << r.erros;
    EXPECT_TRUE(Contem(cenario->MensagensRegisto().back(), "invalid_client")) << cenario->MensagensRegisto().back();
    EXPECT_TRUE(Contem(r.erros, "Não foi possível enviar o aviso de falha")) << "the notice needs a token too";
    EXPECT_TRUE(smtp.Mensagens().empty());
    EXPECT_EQ(smtp.Ligacoes(), 0) << "no login tried without a token";
    EXPECT_FALSE(Contem(tudoOQueFicou({cenario->PastaLog()}, r), "segredo-errado-123"));
}

// A server that refuses a password login quoting the AUTH line it was given (and saying basic
// authentication is off) must not put the base64 of user and password into the night's traces.
TEST_F(CorreioOAuth, RecusaQueCitaOAuthNaoDeixaABase64DaPassword)
{
    apoio::OpcoesSmtp o;
    o.tls = apoio::OpcoesSmtp::Tls::StartTls;
    o.utilizador = "rel@emp.pt";
    o.password = "Pa55~muito~secreta";
    o.ecoAuth = true;
    apoio::ServidorSmtp smtp(o);
    const auto r = correrSemanal(smtp.ChavesIni());
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "535 5.7.139")) << "the server's reply stays: " << r.erros;
    EXPECT_TRUE(Contem(r.erros, "Failed: AUTH PLAIN ****")) << "its quote of the login masked: " << r.erros;
    EXPECT_TRUE(Contem(r.erros, "use [SMTP] Autenticacao=oauth2")) << r.erros;
    const std::string base64 = quorvelanti::mensagem::Base64(std::string("\0rel@emp.pt\0", 12) + o.password, false);
    const std::string tudo = tudoOQueFicou({cenario->PastaLog()}, r);
    EXPECT_FALSE(Contem(tudo, base64.substr(0, 12))) << "not even its start";
    EXPECT_FALSE(Contem(tudo, base64.substr(base64.size() - 12)));
    EXPECT_FALSE(Contem(tudo, o.password));
}

// Database and mail passwords by reference: the secret reaches the server; a reference that is
// missing or readable by anyone ends the run before any login or message, naming it.
TEST_F(CorreioOAuth, PasswordsPorReferenciaEReferenciasRecusadas)
{
    apoio::PastaTemporaria credenciais;
    escreverSecreto(credenciais / "smtp", "Pa55~smtp\n");
    const std::string ficheiroBd = cenario->Dorvam() + "/bd.pass";
    escreverSecreto(ficheiroBd, "Relatório€;#\r\n");
    apoio::OpcoesSmtp o;
    o.tls = apoio::OpcoesSmtp::Tls::StartTls;
    o.utilizador = "rel@emp.pt";
    o.password = "Pa55~smtp";
    apoio::ServidorSmtp smtp(o);
    const std::string chavesSmtp = "Servidor=127.0.0.1\r\nPorta=" + std::to_string(smtp.Porta()) +
                                   "\r\nSeguranca=starttls\r\nCertificadoCA=" + smtp.CertificadoCA() +
                                   "\r\nUtilizador=rel@emp.pt\r\nPassword=@credencial:smtp\r\n";
    const std::map<std::string, std::string> ambiente = {{"CREDENTIALS_DIRECTORY", credenciais.Caminho()}};

    cenario->EmpresaVazia("b.db");
    auto correr = [&](const apoio::ServidorTds& tds, const std::string& password) {
        const std::string a = "[A]\r\nServidor=127.0.0.1," + std::to_string(tds.Porta()) +
                              "\r\nEmpresa=EMP01\r\nUsername=rel\r\nPassword=" + password +
                              "\r\nTimeoutConsulta=1\r\nDestinoAdm=adm@emp.pt\r\n";
        cenario->Parametros("[EMPRESAS]\r\nB\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("B", "b.db") + a +
                           cenario->Globais(chavesSmtp));
        auto env = cenario->Ambiente();
        env.insert(ambiente.begin(), ambiente.end());
        return apoio::Executar({apoio::Programa(), "/S"}, env);
    };
    {
        // B is mailed with the credential's password; A logs in with the file's, then its query
        // times out on this server.
        apoio::ServidorTds tds(apoio::ServidorTds::Modo::Login);
        const auto r = correr(tds, "@ficheiro:" + ficheiroBd);
        EXPECT_EQ(r.estado, 1) << r.erros;
        EXPECT_TRUE(Contem(r.erros, "TimeoutConsulta")) << r.erros;
        EXPECT_EQ(apoio::TextoLogin(tds.Pacote(0x10), apoio::CampoLogin::Password), u"Relatório€;#");
        ASSERT_EQ(smtp.Mensagens().size(), 1u);
        EXPECT_EQ(smtp.Mensagens()[0].login, "rel@emp.pt");
    }
    chmod(ficheiroBd.c_str(), 0644);
    for (const std::string& referencia : {"@ficheiro:" + ficheiroBd, std::string("@credencial:bd-falta")}) {
        apoio::ServidorTds tds(apoio::ServidorTds::Modo::Login);
        const auto r = correr(tds, referencia);
        EXPECT_EQ(r.estado, 1);
        EXPECT_TRUE(Contem(r.erros, "[A] Password remete para " + referencia)) << r.erros;
        EXPECT_EQ(smtp.Mensagens().size(), 1u) << "company B, listed first, was not mailed";
        EXPECT_TRUE(tds.Pacote(0x10).empty()) << "no login was tried";
    }
}

// A careless token endpoint quotes what it was sent: the client secret in each form it may take,
// the whole request as an HTML page, the signed assertion; or it hands a token out with a reply
// that did not deliver it. None of that reaches stderr, stdout, the log, the files of the log
// folder, the notice or --verificar's lines, though each failure is told.
TEST_F(CorreioOAuth, EcosDoServicoDeTokenNaoDeixamSegredoAssercaoNemToken)
{
    apoio::OpcoesSmtp o = oauth();
    o.oauth.segredo = kSegredoDificil;
    apoio::ServidorSmtp smtp(o);
    cenario->EmpresaVazia("a.db");
    escreverSecreto(cenario->Dorvam() + "/segredo", std::string(kSegredoDificil) + "\n");
    std::string tudo;
    for (const std::string forma : {"plano", "url", "url-mais", "json", "base64", "base64-1", "base64-2", "base64url-1",
                                    "qp", "html", "windows1252", "pagina", "assercao", "201", "500"}) {
        SCOPED_TRACE(forma);
        const std::string credencial =
            forma == "assercao" ? "OAuthCertificado=" + chave.certificado + "\r\nOAuthChavePrivada=" + chave.chavePrivada
                                : "OAuthSegredo=@ficheiro:" + cenario->Dorvam() + "/segredo";
        const std::size_t avisosAntes = smtp.Mensagens().size();
        const auto [r, verificacao] = correrDiarioEVerificar(smtp.ChavesIni() + credencial + "\r\n", [&] {
            smtp.ProximasRespostas(apoio::ServidorSmtp::Pedido::Token, {forma});
        });
        EXPECT_EQ(r.estado, 1) << r.erros;
        EXPECT_EQ(smtp.Mensagens().size(), avisosAntes + 1) << "the notice got a token of its own: " << r.erros;
        EXPECT_EQ(verificacao.estado, 1);
        EXPECT_TRUE(Contem(verificacao.saida, "FALHA correio: ")) << verificacao.saida;
        const bool comToken = forma == "201" || forma == "500";
        EXPECT_TRUE(Contem(r.erros, comToken ? "com um token de acesso, que não se cita" : "****"))
            << "a reply with a token is not quoted, others are, their secret masked: " << r.erros;
        tudo += tudoOQueFicou({cenario->PastaLog()}, r) + verificacao.saida + verificacao.erros;
    }
    tudo += avisos(smtp);
    EXPECT_EQ(smtp.Ecos().size(), 26u) << "each form quoted to the run and to the check";
    EXPECT_EQ(ecoEncontrado(tudo, smtp.Ecos()), "");
    for (const auto& token : smtp.Tokens()) EXPECT_FALSE(Contem(tudo, token)) << token;
    EXPECT_FALSE(Contem(tudo, "eyJ")) << "no part of an assertion";
}

// A mail server that refuses the login quoting the password in each form it may take, or a long
// reply full of terminal escapes: none of it is left anywhere, and the refusal names the keys to
// check. The password comes from a file saved with a byte-order mark and a final CR, which the
// notice's login (let through) shows gone.
TEST_F(CorreioOAuth, EcosDoServidorDeCorreioNaoDeixamAPassword)
{
    apoio::OpcoesSmtp o;
    o.tls = apoio::OpcoesSmtp::Tls::StartTls;
    o.utilizador = "rel@emp.pt";
    o.password = kPasswordDificil;
    o.ecoAuth = true;
    apoio::ServidorSmtp smtp(o);
    cenario->EmpresaVazia("a.db");
    escreverSecreto(cenario->Dorvam() + "/smtp.pass", "\xEF\xBB\xBF" + std::string(kPasswordDificil) + "\r");
    const std::string chaves = "Servidor=127.0.0.1\r\nPorta=" + std::to_string(smtp.Porta()) +
                               "\r\nSeguranca=starttls\r\nCertificadoCA=" + smtp.CertificadoCA() +
                               "\r\nUtilizador=rel@emp.pt\r\nPassword=@ficheiro:" + cenario->Dorvam() + "/smtp.pass\r\n";
    std::string tudo, textos;  // textos: what a person reads (stderr, --verificar, the log, the notices)
    for (const std::string forma : {"plano", "url", "url-mais", "json", "base64", "base64-1", "base64-2", "base64url-1",
                                    "qp", "html", "windows1252", "controlos"}) {
        SCOPED_TRACE(forma);
        const std::size_t avisosAntes = smtp.Mensagens().size();
        const auto [r, verificacao] = correrDiarioEVerificar(
            chaves, [&] { smtp.ProximasRespostas(apoio::ServidorSmtp::Pedido::Login, {forma}); });
        EXPECT_EQ(r.estado, 1);
        EXPECT_TRUE(Contem(r.erros, "resposta do servidor: 535 5.7.8 ") &&
                    Contem(r.erros, "(verifique [SMTP] Utilizador e Password)"))
            << r.erros;
        EXPECT_EQ(smtp.Mensagens().size(), avisosAntes + 1) << "the notice logged in with the file's password";
        EXPECT_TRUE(Contem(verificacao.saida, "FALHA correio: ")) << verificacao.saida;
        EXPECT_TRUE(Contem(r.erros, forma == "controlos" ? "Autenticacao falhou" : "Authentication failed for "))
            << r.erros;
        tudo += tudoOQueFicou({cenario->PastaLog()}, r) + verificacao.saida + verificacao.erros;
        textos += r.erros + verificacao.saida;
    }
    textos += apoio::LerBytes(cenario->FicheiroRegisto()) + avisos(smtp);
    EXPECT_EQ(smtp.Ecos().size(), 22u) << "each form quoted to the run and to the check";
    EXPECT_EQ(ecoEncontrado(tudo + avisos(smtp), smtp.Ecos()), "");
    EXPECT_FALSE(Contem(textos, "\x1b")) << "no terminal escape";
    EXPECT_TRUE(Contem(textos, std::string(400, 'x'))) << "the long reply is quoted";
    EXPECT_FALSE(Contem(textos, std::string(600, 'x'))) << "but cut short";
}

// An endpoint that sends a token past 64 KB and then holds the connection, a 1 GB secret file,
// and a private key under a pass phrase: each ends at once, saying what is wrong, instead of
// reading on, filling the memory or asking on the terminal for a pass phrase nobody types.
TEST_F(CorreioOAuth, RespostaEnormeSegredoEnormeEChaveCifradaFalhamDeImediato)
{
    apoio::ServidorSmtp smtp(oauth());
    cenario->EmpresaVazia("a.db");
    const std::string chavesSegredo = smtp.ChavesIni() + "Timeout=20\r\nOAuthSegredo=" + kSegredo + "\r\n";
    auto inicio = std::chrono::steady_clock::now();
    const auto grande = correrDiarioEVerificar(chavesSegredo, [&] {
                            smtp.ProximasRespostas(apoio::ServidorSmtp::Pedido::Token, {"grande"});
                        }).first;
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(10)) << "not the 20 s timeout";
    EXPECT_EQ(grande.estado, 1);
    EXPECT_TRUE(Contem(grande.erros, "a resposta passa de 64 KB")) << grande.erros;

    const std::string enorme = cenario->Dorvam() + "/enorme";
    escreverSecreto(enorme, "");
    fs::resize_file(enorme, std::uintmax_t(1) << 30);
    cenario->Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                        cenario->Globais(smtp.ChavesIni() + "OAuthSegredo=@ficheiro:" + enorme + "\r\n"));
    inicio = std::chrono::steady_clock::now();
    const auto r = cenario->Correr();
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "[SMTP] OAuthSegredo remete para @ficheiro:" + enorme + ", que passa de 64 KB"))
        << r.erros;

    const std::string cifrada = chaves->Caminho() + "/cifrada.key";
    ASSERT_EQ(apoio::Executar({"/usr/bin/openssl", "pkey", "-in", chave.chavePrivada, "-aes256", "-passout",
                               "pass:frase", "-out", cifrada})
                  .estado,
              0);
    chmod(cifrada.c_str(), 0600);
    cenario->Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
                        cenario->Globais(smtp.ChavesIni() + "OAuthCertificado=" + chave.certificado +
                                         "\r\nOAuthChavePrivada=" + cifrada + "\r\n"));
    const auto terminal = executarNumTerminal({apoio::Programa(), "/S"}, cenario->Ambiente());
    EXPECT_EQ(terminal.estado, 1) << terminal.saida;
    EXPECT_FALSE(Contem(terminal.saida, "pass phrase")) << terminal.saida;
    EXPECT_TRUE(Contem(terminal.saida, "Erro 402: Falha na empresa A: A chave [SMTP] OAuthChavePrivada tem uma chave "
                                       "privada cifrada"))
        << terminal.saida;
    EXPECT_TRUE(Contem(terminal.saida, "openssl pkey")) << terminal.saida;
}

}  // namespace
