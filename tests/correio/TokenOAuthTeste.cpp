// The run's access token on its SMTP session: one token while it lasts, a new one (and a new
// connection) once it is about to expire, and exactly one new one after the server refuses it.
#include <gtest/gtest.h>

#include <thread>

#include "Apoio.h"
#include "ServidorSmtp.h"
#include "components/mail/ServicoCorreio.h"
#include "components/mail/SessaoSmtp.h"
#include "data/Erro.h"
#include "data/Relogio.h"

using namespace quorvelanti;

namespace {

class TokenOAuth : public ::testing::Test {
protected:
    void enviar(const apoio::ServidorSmtp& smtp, SessaoSmtp& sessao, const std::string& para)
    {
        apoio::EscreverBytes(pasta / "q.qel", "[SMTP]\n" + smtp.ChavesIni() + "OAuthSegredo=s3gredo\n");
        ServicoCorreio correio(relogio, sessao);
        correio.Configurar(pasta / "q.qel");
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

}  // namespace
