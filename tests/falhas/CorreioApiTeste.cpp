// Mail through Microsoft Graph and the Gmail API, with the built program run as the scheduler
// runs it, against loopback stand-ins that follow the services' documented requests and replies
// (HTTPS with a private CA, bearer tokens from their own token endpoint).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "Cenario.h"
#include "EmpresaTeste.h"
#include "ServidorApi.h"
#include "data/Texto.h"

namespace fs = std::filesystem;

namespace {

using falhas::Contem;
using quorvelanti::texto::Dividir;
using Servico = apoio::OpcoesApi::Servico;

// The ledger's lines of workbooks (not the "completa" ones): livro, Message-ID, entrega.
std::vector<std::vector<std::string>> linhasEntregas(const falhas::Cenario& c)
{
    std::vector<std::vector<std::string>> linhas;
    if (!apoio::Existe(c.FicheiroEntregas())) return linhas;
    for (const auto& linha : Dividir(apoio::LerBytes(c.FicheiroEntregas()), '\n')) {
        const auto campos = Dividir(linha, '\t');
        if (campos.size() > 12 && linha[0] != '#' && campos[5] != "completa")
            linhas.push_back({campos[5], campos[10], campos[12]});
    }
    return linhas;
}

std::string tudoOQueFicou(const falhas::Cenario& c, const apoio::Resultado& r)
{
    std::string tudo = r.saida + "\n" + r.erros;
    for (const auto& f : fs::recursive_directory_iterator(c.PastaLog()))
        if (f.is_regular_file()) tudo += "\n" + apoio::LerBytes(f.path().string());
    return tudo;
}

// The name a workbook's attachment has in every run: without the run's time.
std::string livroDe(const apoio::CorreioLido& lida) { return lida.anexos.at(0).nome.substr(lida.anexos[0].nome.find('_')); }

// The text with its one 'antes' replaced.
std::string trocar(std::string texto, const std::string& antes, const std::string& depois)
{
    return texto.replace(texto.find(antes), antes.size(), depois);
}

class CorreioApi : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        (modelo = new falhas::Cenario)->EmpresaGerada("g.db", 600);
        chaves = new apoio::PastaTemporaria;
        chave = apoio::CriarChaveCliente(*chaves);
    }
    static void TearDownTestSuite()
    {
        delete modelo;
        delete chaves;
    }

    // The parameter file of that set, sending through the service with these extra [SMTP] keys.
    void parametros(const apoio::ServidorApi& api, const std::string& modo, const std::string& extra = "")
    {
        if (!apoio::Existe(cenario->Dorvam() + "/g.db")) fs::copy_file(modelo->Dorvam() + "/g.db", cenario->Dorvam() + "/g.db");
        const std::string conta = cenario->Dorvam() + "/conta.json";
        apoio::EscreverBytes(conta, api.ContaServico(apoio::LerBytes(chave.chavePrivada)));
        chmod(conta.c_str(), 0600);
        const std::string destinos = "DestinoEnc=compras@emp.pt\r\nDestinoVnd=V01,v1@emp.pt,V02,v2@emp.pt,V03,v3@emp.pt\r\n";
        cenario->Parametros("[EMPRESAS]\r\nG\r\n[FIM]\r\n" + falhas::Cenario::Seccao("G", "g.db", destinos) +
                                cenario->Globais(api.ChavesIni(conta) + extra) + "AvisoFalha=aviso@emp.pt\r\n",
                            modo == "/S" ? "Quorvelanti.qel" : "MapaEncSemana.qel");
    }

    static apoio::OpcoesApi opcoes(Servico servico, std::vector<std::string> regras = {})
    {
        apoio::OpcoesApi o;
        o.servico = servico;
        o.certificado = chave.certificado;
        o.regras = std::move(regras);
        return o;
    }

    static falhas::Cenario* modelo;
    static apoio::PastaTemporaria* chaves;
    static apoio::ChaveCliente chave;
    std::unique_ptr<falhas::Cenario> cenario = std::make_unique<falhas::Cenario>();
};
falhas::Cenario* CorreioApi::modelo = nullptr;
apoio::PastaTemporaria* CorreioApi::chaves = nullptr;
apoio::ChaveCliente CorreioApi::chave;

// Both sets over each service: every workbook once, whole, in the ledger under its Message-ID;
// a throttled request waited out as the service said, a refused token renewed once; no token
// left anywhere.
TEST_F(CorreioApi, ConjuntosDiarioESemanalPorCadaServico)
{
    for (const auto servico : {Servico::Graph, Servico::Gmail}) {
        const bool graph = servico == Servico::Graph;
        const std::string envio = graph ? "sendmail" : "gmail";
        for (const std::string modo : {"/S", "/3S"}) {
            SCOPED_TRACE((graph ? "graph " : "gmail ") + modo);
            cenario = std::make_unique<falhas::Cenario>();
            apoio::ServidorApi api(opcoes(servico, {envio + ":2:" + (graph ? "429" : "limite"), envio + ":4:401"}));
            parametros(api, modo, "Tentativas=3\r\n");
            const auto r = cenario->Correr(modo);
            ASSERT_EQ(r.estado, 0) << r.erros;
            EXPECT_TRUE(cenario->Livros().empty()) << "every workbook mailed";

            const auto recebidas = api.Mensagens();
            ASSERT_GT(recebidas.size(), 3u);
            std::vector<std::string> brutos;
            for (const auto& m : recebidas) brutos.push_back(m.dados);
            std::set<std::string> ids, anexos;
            for (const auto& lida : apoio::LerCorreios(brutos)) {
                ASSERT_EQ(lida.anexos.size(), 1u);
                anexos.insert(lida.anexos[0].nome);
                const std::string ficheiro = cenario->Base() + "/anexo.xlsx";
                apoio::EscreverBytes(ficheiro, lida.anexos[0].bytes);
                EXPECT_EQ(falhas::ZipsIncompletos({ficheiro}), "") << lida.anexos[0].nome;
                ids.insert(lida.Cabecalho("Message-ID"));
            }
            EXPECT_EQ(anexos.size(), recebidas.size()) << "each workbook once";
            std::set<std::string> idsNoRegisto;
            for (const auto& l : linhasEntregas(*cenario)) idsNoRegisto.insert(l[1]);
            EXPECT_EQ(idsNoRegisto, ids);

            // The throttled request came again after Retry-After (Gmail's rate limit names no
            // time: its pause is the program's own backoff, 1 s first), counted and logged.
            const auto pedidos = api.Pedidos(envio);
            ASSERT_GE(pedidos.size(), 5u);
            EXPECT_EQ(pedidos[1].resposta, graph ? "429" : "403");
            EXPECT_GE(pedidos[2].hora - pedidos[1].hora, 1.0);
            const auto log = apoio::LerBytes(cenario->FicheiroRegisto());
            EXPECT_TRUE(Contem(log, graph ? "HTTP 429 ApplicationThrottled" : "HTTP 403 userRateLimitExceeded")) << log;
            EXPECT_TRUE(Contem(log, "nova tentativa dentro de 1 s")) << log;
            EXPECT_EQ(Contem(log, "(Retry-After)"), graph) << log;
            EXPECT_EQ(pedidos[3].resposta, "401");
            EXPECT_EQ(api.Tokens().size(), 2u) << "one token, renewed once after the 401";
            const std::string tudo = tudoOQueFicou(*cenario, r);
            for (const auto& token : api.Tokens()) EXPECT_FALSE(Contem(tudo, token));
            EXPECT_FALSE(Contem(tudo, "s3gr3do-api"));
        }
    }
}

// A 403 ends the night quoting the service and naming the permissions; a send left unanswered
// is recorded uncertain and not sent again; the resume sends only what is missing, and the
// notice goes through the same service each time.
TEST_F(CorreioApi, RecusaIncertezaERetoma)
{
    apoio::ServidorApi recusa(opcoes(Servico::Graph, {"sendmail:3:403"}));
    parametros(recusa, "/S");
    auto r = cenario->Correr("/S");
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "HTTP 403 ErrorAccessDenied: Access is denied.")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "Mail.Send e Mail.ReadWrite")) << r.erros;
    EXPECT_EQ(cenario->Livros().size(), 1u) << "the refused workbook stays";
    const auto primeira = recusa.Mensagens();
    ASSERT_EQ(primeira.size(), 3u) << "two workbooks, then the notice";
    EXPECT_TRUE(Contem(apoio::LerCorreio(primeira.back().dados).corpo, "ErrorAccessDenied"));

    const std::map<std::string, std::string> retomar = {{"QUORVELANTI_RETOMAR", "1"}};
    auto correrRetoma = [&](const apoio::ServidorApi& api, const std::string& extra) {
        parametros(api, "/S", extra);
        auto ambiente = cenario->Ambiente();
        ambiente.insert(retomar.begin(), retomar.end());
        return apoio::Executar({apoio::Programa(), "/S"}, ambiente);
    };
    apoio::ServidorApi mudo(opcoes(Servico::Graph, {"sendmail:1:calar"}));
    r = correrRetoma(mudo, "Timeout=2\r\n");
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "Erro 404")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "pode ter sido entregue")) << r.erros;
    auto entregas = linhasEntregas(*cenario);
    ASSERT_EQ(entregas.size(), 3u);
    EXPECT_EQ(entregas.back()[2], "incerta");
    ASSERT_EQ(mudo.Mensagens().size(), 2u) << "the stalled one (it reached the service), then the notice";
    const std::string incerta = apoio::LerCorreio(mudo.Mensagens()[0].dados).Cabecalho("Message-ID");
    EXPECT_EQ(entregas.back()[1], incerta);

    apoio::ServidorApi bom(opcoes(Servico::Graph));
    r = correrRetoma(bom, "");
    ASSERT_EQ(r.estado, 0) << r.erros;
    std::set<std::string> todos;
    for (const auto* servidor : {&recusa, &mudo, &bom})
        for (const auto& m : servidor->Mensagens()) {
            const auto lida = apoio::LerCorreio(m.dados);
            if (lida.anexos.empty()) continue;  // a notice
            EXPECT_TRUE(todos.insert(livroDe(lida)).second) << "sent twice: " << livroDe(lida);
        }
    EXPECT_TRUE(cenario->Livros().size() == 2u) << "the refused and the uncertain workbooks' files stay";
    EXPECT_EQ(todos.size(), linhasEntregas(*cenario).size()) << "every workbook in the ledger reached a service once";
}

// Workbooks too large for one sendMail go as Graph drafts: a salesperson's between the sendMail
// limit and 3 MB attached inline, the administration's over 3 MB through an upload session in
// PUTs of at most 4 MiB; each arrives whole, once.
TEST_F(CorreioApi, LivrosGrandesSeguemEmRascunho)
{
    // A client of its own for each of the day's documents, with a name no compressor can
    // shorten, makes a few thousand lines write megabytes; V01 holds most of the documents.
    cenario->EmpresaGerada("g.db", 9000);
    {
        apoio::EmpresaTeste empresa(cenario->Dorvam() + "/g.db", false);
        empresa.Executar(
            "INSERT INTO Clientes SELECT 'Z' || rowid, hex(randomblob(2700)), NULL FROM DOCGCCAB WHERE TPDOC <> 'ECL';"
            "UPDATE DOCGCCAB SET TERCEIRO = 'Z' || rowid, DATA = '2026-12-07 00:00:00' WHERE TPDOC <> 'ECL';"
            "UPDATE DOCGCLIN SET DATA = '2026-12-07 00:00:00' WHERE TPDOCUM <> 'ECL';"
            "UPDATE DOCGCCAB SET VENDEDOR = 'V01' WHERE NNUMDOC % 20 < 11;"
            "UPDATE DOCGCLIN SET VENDEDOR = 'V01' WHERE NNUMDOC % 20 < 11;");
    }
    apoio::ServidorApi api(opcoes(Servico::Graph));
    parametros(api, "/S");
    const auto r = cenario->Correr("/S");
    ASSERT_EQ(r.estado, 0) << r.erros;

    std::vector<std::string> brutos;
    for (const auto& m : api.Mensagens()) brutos.push_back(m.dados);
    std::map<std::string, std::size_t> tamanhos;
    for (const auto& lida : apoio::LerCorreios(brutos)) {
        ASSERT_EQ(lida.anexos.size(), 1u);
        const std::string ficheiro = cenario->Base() + "/anexo.xlsx";
        apoio::EscreverBytes(ficheiro, lida.anexos[0].bytes);
        EXPECT_EQ(falhas::ZipsIncompletos({ficheiro}), "") << lida.anexos[0].nome;
        EXPECT_TRUE(tamanhos.emplace(livroDe(lida), lida.anexos[0].bytes.size()).second) << "sent twice";
    }
    const auto administracao = std::find_if(tamanhos.begin(), tamanhos.end(), [](const auto& t) {
        return t.first.find("Adm") != std::string::npos;
    });
    ASSERT_NE(administracao, tamanhos.end());
    EXPECT_GT(administracao->second, 3'000'000u);
    EXPECT_TRUE(std::any_of(tamanhos.begin(), tamanhos.end(), [](const auto& t) {
        return t.second > 2'200'000 && t.second < 3'000'000;
    })) << "a workbook between the sendMail limit and 3 MB";
    EXPECT_EQ(api.Pedidos("sessao").size(), 1u);
    EXPECT_EQ(api.Pedidos("carregamento").size(), 2u) << "4 MiB and the rest";
    EXPECT_EQ(api.Pedidos("anexo").size(), 1u);
    EXPECT_EQ(api.Pedidos("envio").size(), 2u);
    EXPECT_EQ(api.Pedidos("sendmail").size(), tamanhos.size() - 2);
}

// --verificar asks each service's endpoint for a token and sends nothing; a refused credential
// is a FALHA line with the endpoint's words. An http:// UrlApi ends a run before any company.
TEST_F(CorreioApi, VerificarEUrlSemTls)
{
    for (const auto servico : {Servico::Graph, Servico::Gmail}) {
        const bool graph = servico == Servico::Graph;
        SCOPED_TRACE(graph ? "graph" : "gmail");
        apoio::ServidorApi api(opcoes(servico));
        parametros(api, "/S");
        auto r = apoio::Executar({apoio::Programa(), "--verificar"}, cenario->Ambiente());
        EXPECT_EQ(r.estado, 0) << r.saida;
        EXPECT_TRUE(Contem(r.saida, std::string("ok    correio: serviço ") + (graph ? "graph" : "gmail"))) << r.saida;
        EXPECT_EQ(api.Tokens().size(), 1u);

        // Graph: a secret the endpoint does not take; Gmail: an account it does not know.
        if (graph) {
            cenario->Parametros(trocar(cenario->ParametrosEscritos(), "OAuthSegredo=s3gr3do-api", "OAuthSegredo=errado"));
        } else {
            const std::string conta = cenario->Dorvam() + "/conta.json";
            apoio::EscreverBytes(conta, trocar(apoio::LerBytes(conta), "rel@proj", "outra@proj"));
        }
        r = apoio::Executar({apoio::Programa(), "--verificar"}, cenario->Ambiente());
        EXPECT_EQ(r.estado, 1);
        EXPECT_TRUE(Contem(r.saida, "FALHA correio: O serviço de autenticação")) << r.saida;
        EXPECT_TRUE(Contem(r.saida, graph ? "invalid_client" : "unauthorized_client")) << r.saida;
        EXPECT_EQ(api.Tokens().size(), 1u);
        EXPECT_TRUE(api.Mensagens().empty());
    }
    apoio::ServidorApi api(opcoes(Servico::Graph));
    parametros(api, "/S");
    cenario->Parametros(trocar(cenario->ParametrosEscritos(), "UrlApi=https://", "UrlApi=http://"));
    const auto r = cenario->Correr("/S");
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, "[SMTP] UrlApi tem de ser um endereço https")) << r.erros;
    EXPECT_FALSE(Contem(apoio::LerBytes(cenario->FicheiroRegisto()), "Extrair Mapas")) << "no company was processed";
    EXPECT_TRUE(api.Registo().empty());
}

}  // namespace
