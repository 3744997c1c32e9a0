// The run's access token on its SMTP session: one token while it lasts, a new one (and a new
// connection) once it is about to expire, and exactly one new one after the server refuses it;
// an endpoint that is busy or down is tried again under Tentativas, as a message is.
#include <gtest/gtest.h>

#include <thread>

#include "Apoio.h"
#include "ServidorSmtp.h"
#include "components/mail/ServicoCorreio.h"
#include "components/mail/SessaoSmtp.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "settings/LeituraCorreio.h"

using namespace quorvelanti;

namespace {

class TokenOAuth : public ::testing::Test {
protected:
    void enviar(const apoio::ServidorSmtp& smtp, SessaoSmtp& sessao, const std::string& para)
    {
        apoio::EscreverBytes(pasta / "q.qel", "[SMTP]\n" + smtp.ChavesIni() + "OAuthSegredo=s3gredo\n");
        ServicoCorreio correio(relogio, sessao);
        correio.Configurar(LerDefinicoesCorreio(pasta / "q.qel"));
        correio.Enviar({.origem = "rel@emp.pt",
                        .destinos = para,
                        .assunto = "Mapas",
                        .mensagem = "corpo"});
    }

    static apoio::OpcoesSmtp opcoes(int validade, int recusas)
    {
        apoio::OpcoesSmtp o;
        o.oauth.activo = true;
        o.oauth.segredo = "s3gredo";
        o.oauth.validadeToken = validade;
        o.oauth.recusarTokens = recusas;
        return o;
    }

    apoio::PastaTemporaria pasta;
    RelogioSistema relogio;
};

TEST_F(TokenOAuth, TokenQueExpiraAMeioERenovadoSemPerderNemRepetir)
{
    apoio::ServidorSmtp smtp(opcoes(1, 0));  // tokens of one second, refused once expired
    SessaoSmtp sessao(relogio);
    enviar(smtp, sessao, "a@emp.pt");
    enviar(smtp, sessao, "b@emp.pt");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    enviar(smtp, sessao, "c@emp.pt");
    const auto m = smtp.Mensagens();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[2].para, std::vector<std::string>{"c@emp.pt"});
    EXPECT_EQ(m[1].ligacao, 1) << "the token served the open connection";
    EXPECT_EQ(m[2].ligacao, 2) << "the renewed token logs in on a new one";
    EXPECT_EQ(smtp.Tokens().size(), 2u);
    EXPECT_EQ(smtp.LoginsXoauth2(false), 0) << "no login with an expired token";
}

TEST_F(TokenOAuth, Um535LevaAUmTokenNovoESoAUm)
{
    {
        apoio::ServidorSmtp smtp(opcoes(3600, 1));
        SessaoSmtp sessao(relogio);
        enviar(smtp, sessao, "a@emp.pt");
        EXPECT_EQ(smtp.Mensagens().size(), 1u);
        EXPECT_EQ(smtp.Tokens().size(), 2u);
        EXPECT_EQ(smtp.LoginsXoauth2(false), 1);
    }
    apoio::ServidorSmtp smtp(opcoes(3600, 2));
    SessaoSmtp sessao(relogio);
    try {
        enviar(smtp, sessao, "a@emp.pt");
        FAIL() << "two refused tokens end the send";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::CorreioFalhou);
        EXPECT_NE(e.DescricaoCompleta().find("535 5.7.3"), std::string::npos) << e.DescricaoCompleta();
        for (const auto& token : smtp.Tokens()) EXPECT_EQ(e.DescricaoCompleta().find(token), std::string::npos);
    }
    EXPECT_TRUE(smtp.Mensagens().empty());
    EXPECT_EQ(smtp.Tokens().size(), 2u);
}

// 503, then 429 (a limit: a minute and more), then the token: the message goes, after two told
// pauses of the mail's own rule. With one try a 503 ends the send; a refused connection is
// tried as often as allowed.
TEST(TokenOAuthTentativas, ServicoOcupadoOuEmBaixoTentadoDeNovoComoUmaMensagem)
{
    apoio::OpcoesSmtp o;
    o.oauth.activo = true;
    o.oauth.segredo = "s3gredo";
    apoio::ServidorSmtp smtp(o);
    apoio::PastaTemporaria pasta;
    RelogioFixo relogio(DataHora(2026, 12, 7, 23, 0, 0));
    auto enviar = [&](const std::string& chaves) {
        apoio::EscreverBytes(pasta / "q.qel", "[SMTP]\n" + chaves + "OAuthSegredo=s3gredo\n");
        SessaoSmtp sessao(relogio);
        std::vector<std::string> relato;
        sessao.DefinirRelato([&](const std::string& linha) { relato.push_back(linha); });
        ServicoCorreio correio(relogio, sessao);
        correio.Configurar(LerDefinicoesCorreio(pasta / "q.qel"));
        correio.Enviar({.origem = "rel@emp.pt", .destinos = "adm@emp.pt", .assunto = "Mapas", .mensagem = "corpo"});
        return relato;
    };

    smtp.ProximasRespostas(apoio::ServidorSmtp::Pedido::Token, {"503", "429"});
    const auto antes = relogio.Instante();
    const auto relato = enviar(smtp.ChavesIni() + "Tentativas=3\n");
    EXPECT_EQ(smtp.Mensagens().size(), 1u);
    EXPECT_EQ(relogio.Instante() - antes, std::chrono::seconds(1 + 120));
    ASSERT_EQ(relato.size(), 2u);
    EXPECT_EQ(relato[0], "Pedido de token a " + smtp.UrlToken() +
                             ": a tentativa 1 de 3 falhou (HTTP 503: {\"error\": \"temporarily_unavailable\"}); nova "
                             "tentativa dentro de 1 s");
    EXPECT_NE(relato[1].find("(HTTP 429: "), std::string::npos) << relato[1];

    smtp.ProximasRespostas(apoio::ServidorSmtp::Pedido::Token, {"503"});
    try {
        enviar(smtp.ChavesIni());
        ADD_FAILURE() << "one try only";
    } catch (const Erro& e) {
        EXPECT_NE(e.Descricao().find("o serviço está ocupado (HTTP 503)"), std::string::npos) << e.Descricao();
    }

    apoio::PortaFechada fechada;
    std::string chaves = smtp.ChavesIni() + "Tentativas=2\n";
    chaves.replace(chaves.find(smtp.UrlToken()), smtp.UrlToken().size(),
                   "https://127.0.0.1:" + std::to_string(fechada.Porta()) + "/token");
    try {
        enviar(chaves);
        ADD_FAILURE() << "nobody at the endpoint";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::CorreioFalhou);
        EXPECT_NE(e.DescricaoCompleta().find("Couldn't connect to server"), std::string::npos) << e.DescricaoCompleta();
        EXPECT_NE(e.DescricaoCompleta().find("(2 tentativas)"), std::string::npos) << e.DescricaoCompleta();
    }
}

}  // namespace
