// The summary a message carries beside its workbook ([email] Resumo=1), read the way a mail reader
// and a spreadsheet read them: a generated company whose client and salesperson names are hostile
// HTML, its daily set through the pickup folder and its weekly set over SMTP, each run once with
// the summary and once without.
#include <gtest/gtest.h>

#include <filesystem>

#include "Cenario.h"
#include "EmpresaTeste.h"
#include "ServidorSmtp.h"

namespace {

using falhas::Cenario;
using falhas::Contem;

const std::string kHostil = "<script>alert(\"x\")</script> & ''Q'' ' || char(1) || '";

// The run's messages as .eml files in 'pasta', sent through the pickup folder or the SMTP stand-in.
void correr(Cenario& cenario, const std::string& modo, const std::string& resumo, const std::string& pasta)
{
    apoio::ServidorSmtp smtp;
    const std::string saida = modo == "/S" ? "PastaSaida=" + pasta + "\r\n" : smtp.ChavesIni();
    cenario.Parametros(
        "[EMPRESAS]\r\nR\r\n[FIM]\r\n" +
            Cenario::Seccao("R", "r.db", "DestinoEnc=compras@emp.pt\r\nDestinoVnd=V01,v1@emp.pt,V02,v2@emp.pt\r\n") +
            "[email]\r\nAssunto=Mapas\r\nResumo=" + resumo +
            "\r\nResumoLinhas=4\r\n[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + saida +
            "[Log]\r\nDirectoria=" + cenario.PastaLog() + "\r\n",
        modo == "/S" ? "Quorvelanti.qel" : "MapaEncSemana.qel");
    std::filesystem::create_directories(pasta);
    const auto r = cenario.Correr(modo);
    ASSERT_EQ(r.estado, 0) << modo << " " << r.erros;
    const auto mensagens = smtp.Mensagens();
    for (std::size_t i = 0; i < mensagens.size(); ++i)
        apoio::EscreverBytes(pasta + "/" + std::to_string(i + 1) + ".eml", mensagens[i].dados);
}

TEST(ResumoHtml, CadaMensagemMostraAsCelulasDoSeuLivroAoLadoDoTextoDeHoje)
{
    Cenario cenario;
    cenario.EmpresaGerada("r.db", 1500);
    {
        apoio::EmpresaTeste empresa(cenario.Dorvam() + "/r.db", false);
        empresa.Executar("UPDATE Clientes SET Nome = '" + kHostil +
                         "' || Nome;"
                         "UPDATE VENDEDOR SET Nome = '" +
                         kHostil + "' || Nome;");
    }
    for (const std::string modo : {"/S", "/3S"}) {
        const std::string com = cenario.Base() + "/com" + modo.substr(1),
                          sem = cenario.Base() + "/sem" + modo.substr(1);
        correr(cenario, modo, "0", sem);
        correr(cenario, modo, "1", com);
        // The names read back as the text they are, and never as markup (the verifier refuses a
        // "<script" in the page).
        const auto r = apoio::Executar({apoio::Python(), apoio::Fonte("tests/falhas/verifica_resumo.py"), com, sem, "4",
                                        "<script>alert(\"x\")</script> & 'Q' \uFFFD"});
        EXPECT_EQ(r.estado, 0) << modo << "\n" << r.saida << r.erros;
        // Daily: the administration, two salespeople and purchasing, each showing a hostile name;
        // weekly: one message per client, its name in the client lines above the table.
        EXPECT_TRUE(Contem(r.saida, modo == "/S" ? "mensagens 4 folhas 8 " : "mensagens ")) << r.saida;
        if (modo == "/S") {
            EXPECT_TRUE(Contem(r.saida, "achados 4")) << r.saida;
        }
    }
}

// A count the key cannot hold ends the run before its first company, naming the key.
TEST(ResumoHtml, LinhasForaDoIntervaloTerminamACorridaAntesDeEnviar)
{
    Cenario cenario;
    cenario.EmpresaVazia("a.db");
    const std::string correio = cenario.Base() + "/correio";
    std::filesystem::create_directories(correio);
    cenario.Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + Cenario::Seccao("A", "a.db") +
                       "[email]\r\nResumo=1\r\nResumoLinhas=0\r\n[SMTP]\r\nemailEmissor=rel@emp.pt\r\nPastaSaida=" +
                       correio + "\r\n[Log]\r\nDirectoria=" + cenario.PastaLog() + "\r\n");
    const auto r = cenario.Correr();
    EXPECT_NE(r.estado, 0);
    EXPECT_TRUE(Contem(r.erros, "Valor inválido na chave [email] ResumoLinhas")) << r.erros;
    EXPECT_TRUE(std::filesystem::is_empty(correio));
    EXPECT_TRUE(cenario.Livros().empty());
}

}  // namespace
