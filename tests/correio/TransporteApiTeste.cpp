// Large messages through the mail APIs, with the mail service against the loopback stand-ins:
// Graph's draft with an inline attachment between the sendMail limit and 3 MB, its upload session
// beyond, a draft that fails deleted; Gmail's 35 MB refusal before anything is sent.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

#include "Apoio.h"
#include "ServidorApi.h"
#include "components/mail/ServicoCorreio.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "settings/LeituraCorreio.h"

using namespace quorvelanti;

namespace {

// Bytes that do not compress, so the size is the size sent.
std::string aleatorios(std::size_t n)
{
    std::mt19937_64 gerador(n);
    std::string bytes(n, '\0');
    for (auto& b : bytes) b = static_cast<char>(gerador());
    return bytes;
}

class TransporteApi : public ::testing::Test {
protected:
    void enviar(const apoio::ServidorApi& api, const std::string& bytes, const std::string& bcc = "",
                const std::string& conta = "", const std::string& extra = "", const std::string& html = "")
    {
        const std::string ficheiro = pasta_ / "Quorvelanti.qel";
        apoio::EscreverBytes(ficheiro, "[SMTP]\nemailEmissor=rel@emp.pt\n" + api.ChavesIni(conta) + extra);
        ServicoCorreio correio(relogio_);
        correio.Configurar(LerDefinicoesCorreio(ficheiro));
        correio.Enviar({.origem = "rel@emp.pt",
                        .destinos = "adm@emp.pt",
                        .copia = "dir@emp.pt",
                        .copiaOculta = bcc,
                        .assunto = "Mapas (07-12-2026) - EMP1",
                        .mensagem = "Informação do dia",
                        .comAnexo = true,
                        .nomeAnexo = "Mapas_Adm.xlsx",
                        .bytesAnexo = bytes,
                        .html = html});
    }

    // The real clock: a service account's assertion must be valid now.
    RelogioSistema relogio_;
    apoio::PastaTemporaria pasta_;
};

TEST_F(TransporteApi, GraphGrandeVaiPorRascunhoComOAnexoInteiro)
{
    apoio::ServidorApi api({});
    // 2.5 MB is over sendMail's 4,000,000 base64 bytes once in MIME and base64 again, under
    // 3 MB: inline. 5 MB: an upload session, in a 4 MiB PUT and the rest. A blind copy alone
    // makes a draft too, since the text never names it; its summary is the draft's HTML body.
    const std::vector<std::pair<std::size_t, std::string>> casos = {
        {2'500'000, "anexo directo"}, {5'000'000, "anexo sessao"}, {1000, "rota rascunho"}};
    for (const auto& [tamanho, forma] : casos) {
        const std::string bytes = aleatorios(tamanho);
        const bool rota = tamanho == 1000;
        ASSERT_NO_THROW(
            enviar(api, bytes, rota ? "oculto@emp.pt" : "", "", "", rota ? "<p>Totais &amp; mais</p>" : ""));
        const auto recebida = api.Mensagens().back();
        EXPECT_EQ(recebida.dados.find("Content-Type: text/html") != std::string::npos, rota);
        if (rota) EXPECT_NE(recebida.dados.find("<p>Totais &amp; mais</p>"), std::string::npos);
        EXPECT_NE(std::find(recebida.factos.begin(), recebida.factos.end(), forma), recebida.factos.end()) << forma;
        const auto lida = apoio::LerCorreio(recebida.dados);
        ASSERT_EQ(lida.anexos.size(), 1u);
        EXPECT_TRUE(lida.anexos[0].bytes == bytes) << tamanho << " bytes arrive intact";
        EXPECT_EQ(lida.Enderecos("Cc"), std::vector<std::string>{"dir@emp.pt"});
    }
    EXPECT_EQ(api.Pedidos("sendmail").size(), 0u);
    const auto blocos = api.Pedidos("carregamento");
    ASSERT_EQ(blocos.size(), 2u);
    EXPECT_EQ(blocos[0].resposta, "200");
    EXPECT_EQ(blocos[1].resposta, "201") << "no token on the PUTs: the stand-in refuses one";
    EXPECT_EQ(api.Mensagens().back().factos.back(), "bcc oculto@emp.pt");

    // A draft whose attachment the service refuses is deleted, and the refusal quoted.
    apoio::ServidorApi recusa({.regras = {"anexo:1:403"}});
    try {
        enviar(recusa, aleatorios(2'500'000));
        ADD_FAILURE() << "refused";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::CorreioFalhou);
        EXPECT_NE(e.Detalhe().find("Graph anexo: HTTP 403 ErrorAccessDenied"), std::string::npos) << e.Detalhe();
        EXPECT_NE(e.Detalhe().find("Mail.ReadWrite"), std::string::npos) << e.Detalhe();
    }
    EXPECT_EQ(recusa.Pedidos("apagar").size(), 1u);
    EXPECT_EQ(recusa.Pedidos("envio").size(), 0u);
    EXPECT_TRUE(recusa.Mensagens().empty());
}

// A server error is tried again on a draft, which sends nothing, and makes the send that ends it
// uncertain: that draft may have gone, so it is not deleted.
TEST_F(TransporteApi, GraphErroDoServidorRepeteORascunhoETornaOEnvioIncerto)
{
    apoio::ServidorApi api({.regras = {"rascunho:1:500", "envio:1:502"}});
    try {
        enviar(api, "xlsx", "oculto@emp.pt", "", "Tentativas=2\n");
        ADD_FAILURE() << "uncertain";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::CorreioIncerto) << e.DescricaoCompleta();
        EXPECT_NE(e.Detalhe().find("Graph envio do rascunho: HTTP 502"), std::string::npos) << e.Detalhe();
    }
    const auto rascunhos = api.Pedidos("rascunho");
    ASSERT_EQ(rascunhos.size(), 2u);
    EXPECT_EQ(rascunhos[1].resposta, "201");
    EXPECT_EQ(api.Pedidos("envio").size(), 1u) << "the send is not repeated";
    EXPECT_TRUE(api.Pedidos("apagar").empty());
}

TEST_F(TransporteApi, GmailRecusaMaisDe35MBAntesDeEnviar)
{
    apoio::PastaTemporaria chaves;
    const auto chave = apoio::CriarChaveCliente(chaves);
    apoio::ServidorApi api({.servico = apoio::OpcoesApi::Servico::Gmail, .certificado = chave.certificado});
    const std::string conta = pasta_ / "conta.json";
    apoio::EscreverBytes(conta, api.ContaServico(apoio::LerBytes(chave.chavePrivada)));
    chmod(conta.c_str(), 0600);
    // 27 MB of workbook is about 37 MB of base64 in its message.
    try {
        enviar(api, aleatorios(27'000'000), "", conta);
        ADD_FAILURE() << "refused";
    } catch (const Erro& e) {
        EXPECT_NE(e.Detalhe().find("acima dos 36700160 (35 MB)"), std::string::npos) << e.Detalhe();
    }
    EXPECT_TRUE(api.Pedidos("gmail").empty());
    // Just under the limit it goes, with its blind copy as a Bcc header the service reads.
    ASSERT_NO_THROW(enviar(api, aleatorios(24'000'000), "oculto@emp.pt", conta));
    ASSERT_EQ(api.Mensagens().size(), 1u);
    EXPECT_EQ(apoio::LerCorreio(api.Mensagens()[0].dados).Enderecos("Bcc"), std::vector<std::string>{"oculto@emp.pt"});
}

}  // namespace
