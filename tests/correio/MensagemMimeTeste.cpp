// Composition of the message text, checked by an independent reader (Python's email package)
// and by the line rules of RFC 5322 / 2045.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "ServidorSmtp.h"
#include "components/mail/mime/MensagemMime.h"
#include "data/Erro.h"

using namespace quorvelanti;
using namespace quorvelanti::mensagem;

namespace {

ConteudoMensagem conteudo()
{
    ConteudoMensagem c;
    c.remetente = {"", "rel@emp.pt"};
    c.para = LerEnderecos("adm@emp.pt");
    c.data = DataHora(2026, 12, 7, 23, 4, 59);
    c.unico = "1.abc";
    return c;
}

std::vector<std::string> linhas(const std::string& texto)
{
    std::vector<std::string> resultado;
    std::size_t inicio = 0;
    for (auto fim = texto.find("\r\n"); fim != std::string::npos; fim = texto.find("\r\n", inicio)) {
        resultado.push_back(texto.substr(inicio, fim - inicio));
        inicio = fim + 2;
    }
    return resultado;
}

TEST(MensagemMime, CorpoDificilVoltaIgualELinhasCurtas)
{
    ConteudoMensagem c = conteudo();
    std::string longa;
    for (int i = 0; i < 60; ++i) longa += "ação=1 ";
    c.corpo = longa + "\n" + "fim com brancos  \t\r\n.\r\nCR só\rLF só\n=3D literal\n" + std::string(200, 'x');
    std::string texto = ComporMensagem(c);

    auto lido = apoio::LerCorreio(texto);
    EXPECT_TRUE(lido.defeitos.empty());
    EXPECT_EQ(lido.corpo, longa + "\nfim com brancos  \t\n.\nCR só\nLF só\n=3D literal\n" + std::string(200, 'x') + "\n");
    EXPECT_EQ(lido.anexos.size(), 0u);
    for (const auto& l : linhas(texto)) {
        EXPECT_LE(l.size(), 78u) << l;
        EXPECT_TRUE(l.empty() || (l.back() != ' ' && l.back() != '\t')) << l;
    }
    EXPECT_EQ(texto.find('\n'), texto.find("\r\n") + 1);
}

TEST(MensagemMime, AssuntosLongosEstranhosOuComQuebras)
{
    std::string longoAscii;
    for (int i = 0; i < 30; ++i) longoAscii += "palavra" + std::to_string(i) + " ";
    longoAscii += "fim";
    std::string longoAcentos;
    for (int i = 0; i < 40; ++i) longoAcentos += "Évora—açúcar ";
    // Given subject, and how it must read back.
    const std::vector<std::pair<std::string, std::string>> casos = {
        {longoAscii, longoAscii},
        {longoAcentos + "fim", longoAcentos + "fim"},
        {"a =?UTF-8?B?eA==?= b", "a =?UTF-8?B?eA==?= b"},
        {"Mapas\r\nBcc: intruso@x.pt\nCc: outro@x.pt", "Mapas Bcc: intruso@x.pt Cc: outro@x.pt"},
        {"Mapas\r\nBcc: intrusão@x.pt", "Mapas Bcc: intrusão@x.pt"},
        {"  dois  brancos  ", "  dois  brancos  "},
        {"", ""}};
    std::vector<std::string> textos;
    for (const auto& [assunto, esperado] : casos) {
        ConteudoMensagem c = conteudo();
        c.assunto = assunto;
        textos.push_back(ComporMensagem(c));
        for (const auto& l : linhas(textos.back())) EXPECT_LE(l.size(), 78u) << l;
    }
    auto lidos = apoio::LerCorreios(textos);
    for (std::size_t i = 0; i < casos.size(); ++i) {
        EXPECT_EQ(lidos[i].Cabecalho("Subject"), casos[i].second);
        EXPECT_EQ(lidos[i].Contar("Bcc") + lidos[i].Contar("Cc"), 0);
        EXPECT_TRUE(lidos[i].defeitos.empty()) << casos[i].first;
    }
}

TEST(MensagemMime, PrioridadeECabecalhosUnicos)
{
    ConteudoMensagem c = conteudo();
    c.prioridade = 1;
    c.copia = LerEnderecos("um@emp.pt;dois@emp.pt;tres@emp.pt;quatro@emp.pt;cinco@emp.pt;seis@emp.pt");
    auto lido = apoio::LerCorreio(ComporMensagem(c));
    EXPECT_EQ(lido.Cabecalho("X-Priority"), "1");
    EXPECT_EQ(lido.Enderecos("Cc").size(), 6u);
    for (const char* nome : {"Date", "From", "To", "Cc", "Message-ID", "Subject", "MIME-Version"})
        EXPECT_EQ(lido.Contar(nome), 1) << nome;
    EXPECT_EQ(lido.Cabecalho("Message-ID"), "<20261207230459.1.abc@emp.pt>");

    c.prioridade = 0;
    EXPECT_EQ(ComporMensagem(c).find("X-Priority"), std::string::npos);
}

TEST(MensagemMime, DataComODesvioLocalDesseMomento)
{
    const char* antes = std::getenv("TZ");
    std::string guardado = antes ? antes : "";
    setenv("TZ", "America/St_Johns", 1);
    tzset();
    EXPECT_EQ(DataRfc5322(DataHora(2026, 12, 7, 23, 4, 59)), "Mon, 07 Dec 2026 23:04:59 -0330");
    EXPECT_EQ(DataRfc5322(DataHora(2026, 7, 1, 8, 0, 0)), "Wed, 01 Jul 2026 08:00:00 -0230");
    setenv("TZ", "Europe/Lisbon", 1);
    tzset();
    EXPECT_EQ(DataRfc5322(DataHora(2024, 2, 29, 0, 0, 0)), "Thu, 29 Feb 2024 00:00:00 +0000");
    EXPECT_EQ(DataRfc5322(DataHora(2026, 8, 15, 12, 30, 0)), "Sat, 15 Aug 2026 12:30:00 +0100");
    if (antes)
        setenv("TZ", guardado.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(MensagemEnderecos, ListasNomesEEntradasRecusadas)
{
    auto e = LerEnderecos(" a@x.pt ;\"Silva, Ana\" <ana@x.pt>,Zé <ze@x.pt>, <b@x.pt>,, ");
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].endereco, "a@x.pt");
    EXPECT_EQ(e[1].nome, "Silva, Ana");
    EXPECT_EQ(e[1].endereco, "ana@x.pt");
    EXPECT_EQ(e[2].nome, "Zé");
    EXPECT_EQ(e[3].endereco, "b@x.pt");
    EXPECT_TRUE(LerEnderecos("").empty());

    for (const char* mau : {"a b@x.pt", "a@b@x.pt", "@x.pt", "a@", "<a@x.pt> resto", "<a@x.pt", "jo\xc3\xa3o@x.pt",
                            "a@x.pt\r\nRCPT TO:<b@y.pt>", "Nome\n <a@x.pt>"}) {
        EXPECT_THROW(LerEnderecos(mau), Erro) << mau;
    }
}

}  // namespace
