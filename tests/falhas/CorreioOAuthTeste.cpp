// Mail through an OAuth 2.0 service and secrets kept out of the parameter file, with the built
// program run as the scheduler runs it: a loopback HTTPS token endpoint and an SMTP server that
// takes only XOAUTH2 with the tokens that endpoint issued. No secret, token or base64 of a
// password may be left in any file of the run or on its output.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "Cenario.h"
#include "ServidorSmtp.h"
#include "ServidorTds.h"
#include "components/mail/MensagemCodificacao.h"

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

}  // namespace
