// The mail service against a real SMTP server on loopback; every message is read back with
// Python's email package.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "Apoio.h"
#include "ServidorSmtp.h"
#include "components/mail/CorreioPastaSaida.h"
#include "components/mail/ServicoCorreio.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "settings/LeituraCorreio.h"

using namespace quorvelanti;

namespace {

const DataHora kAgora(2026, 12, 7, 23, 4, 59);

// A plain message from rel@emp.pt with the file attached.
ServicoCorreio::Pedido pedido(const std::string& destinos, const std::string& anexo)
{
    return {.origem = "rel@emp.pt",
            .destinos = destinos,
            .assunto = "s",
            .mensagem = "c",
            .anexo = anexo,
            .comAnexo = true};
}

// The name the system's own tool gives this machine: fully qualified when the resolver knows it.
std::string nomeDestaMaquina()
{
    auto primeiraLinha = [](const std::vector<std::string>& comando) {
        const auto r = apoio::Executar(comando);
        return r.estado == 0 ? r.saida.substr(0, r.saida.find('\n')) : std::string();
    };
    const std::string completo = primeiraLinha({"/bin/hostname", "--fqdn"});
    return completo.find('.') != std::string::npos ? completo : primeiraLinha({"/bin/hostname"});
}

class ServicoCorreioTeste : public ::testing::Test {
protected:
    ServicoCorreioTeste() : relogio_(kAgora)
    {
        // Not a valid workbook, just bytes that survive only an exact transfer: every byte value,
        // CR and LF alone, a lone "." line and a NUL.
        for (int i = 0; i < 3000; ++i) livro_ += static_cast<char>(i * 7 % 256);
        livro_ += "\r\n.\r\n\n.\r\x00 fim";
        apoio::EscreverBytes(anexo(), livro_);
    }

    std::string anexo(const std::string& nome = "Mapas_Adm_20261207230459.xlsx") const { return pasta_ / nome; }

    // The parameter file with the server's keys and whatever a test adds.
    std::string parametros(const std::string& chaves) const
    {
        std::string caminho = pasta_ / "Quorvelanti.qel";
        apoio::EscreverBytes(caminho, "[SMTP]\nemailEmissor=rel@emp.pt\n" + chaves + "[FIM]\n");
        return caminho;
    }

    void enviar(const std::string& chaves, const std::string& para = "adm@emp.pt", const std::string& cc = "",
                const std::string& bcc = "", const std::string& assunto = "Mapas (07-12-2026) - EMP1")
    {
        ServicoCorreio correio(relogio_);
        correio.Configurar(LerDefinicoesCorreio(parametros(chaves)));
        correio.Enviar({.origem = "Relatórios <rel@emp.pt>",
                        .destinos = para,
                        .copia = cc,
                        .copiaOculta = bcc,
                        .assunto = assunto,
                        .mensagem = "Informação relativa ao dia 07-12-2026 - EMP1\nSegunda linha",
                        .anexo = anexo(),
                        .comAnexo = true});
    }

    // Runs a send that must fail and returns the error, after checking the workbook is still there.
    Erro falha(const std::string& chaves, const std::string& para = "adm@emp.pt")
    {
        try {
            enviar(chaves, para);
        } catch (const Erro& e) {
            EXPECT_EQ(e.Numero(), erros::CorreioFalhou);
            EXPECT_EQ(e.Descricao(), "Falha no envio de correio para " + para);
            EXPECT_EQ(apoio::LerBytes(anexo()), livro_);
            return e;
        }
        ADD_FAILURE() << "o envio devia falhar";
        return Erro(0, "");
    }

    RelogioFixo relogio_;
    apoio::PastaTemporaria pasta_;
    std::string livro_;
};

TEST_F(ServicoCorreioTeste, DestinatariosNoEnvelopeENosCabecalhos)
{
    apoio::ServidorSmtp smtp;
    enviar(smtp.ChavesIni(), " adm@emp.pt; dir@emp.pt,,\"Sá, Ana\" <ana@emp.pt> ;", "cc1@emp.pt, cc2@emp.pt",
           "oculto@emp.pt");

    auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 1u);
    const auto& m = recebidas[0];
    EXPECT_EQ(m.de, "rel@emp.pt");
    EXPECT_EQ(m.para, (std::vector<std::string>{"adm@emp.pt", "dir@emp.pt", "ana@emp.pt", "cc1@emp.pt",
                                                "cc2@emp.pt", "oculto@emp.pt"}));
    EXPECT_EQ(m.ehlo, nomeDestaMaquina()) << "this machine, not the sender's domain";
    EXPECT_EQ(m.login, "");

    auto lido = apoio::LerCorreio(m.dados);
    EXPECT_TRUE(lido.defeitos.empty()) << lido.defeitos.front();
    EXPECT_EQ(lido.Enderecos("To"), (std::vector<std::string>{"adm@emp.pt", "dir@emp.pt", "ana@emp.pt"}));
    EXPECT_EQ(lido.Enderecos("Cc"), (std::vector<std::string>{"cc1@emp.pt", "cc2@emp.pt"}));
    EXPECT_EQ(lido.Contar("Bcc"), 0);
    EXPECT_EQ(m.dados.find("oculto"), std::string::npos);
    EXPECT_EQ(lido.Cabecalho("From"), "Relatórios <rel@emp.pt>");
    EXPECT_NE(lido.Cabecalho("To").find("Sá, Ana"), std::string::npos) << lido.Cabecalho("To");
}

TEST_F(ServicoCorreioTeste, AssuntoCorpoAnexoECabecalhosChegamIntactos)
{
    apoio::ServidorSmtp smtp;
    const std::string assunto = "Encomendas Pendentes — Açores e Évora, distribuição semanal (07-12-2026) ";
    enviar(smtp.ChavesIni(), "adm@emp.pt", "", "", assunto);
    ServicoCorreio outro(relogio_);
    outro.Configurar(LerDefinicoesCorreio(parametros(smtp.ChavesIni())));
    outro.Enviar({.origem = "rel@emp.pt",
                  .destinos = "adm@emp.pt",
                  .assunto = "Mapas (07-12-2026) - EMP1",
                  .mensagem = "corpo",
                  .anexo = anexo(),
                  .comAnexo = true});

    auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 2u);
    auto lidos = apoio::LerCorreios({recebidas[0].dados, recebidas[1].dados});
    const auto& lido = lidos[0];
    EXPECT_TRUE(lido.defeitos.empty());
    EXPECT_EQ(lido.Cabecalho("Subject"), assunto);
    EXPECT_EQ(lido.corpo, "Informação relativa ao dia 07-12-2026 - EMP1\nSegunda linha");
    ASSERT_EQ(lido.anexos.size(), 1u);
    EXPECT_EQ(lido.anexos[0].nome, "Mapas_Adm_20261207230459.xlsx");
    EXPECT_EQ(lido.anexos[0].tipo, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    EXPECT_EQ(lido.anexos[0].bytes, livro_);
    EXPECT_EQ(lido.Cabecalho("MIME-Version"), "1.0");
    EXPECT_EQ(lido.data.substr(0, 19), "2026-12-07T23:04:59");
    EXPECT_EQ(lido.Contar("Message-ID"), 1);
    EXPECT_NE(lido.Cabecalho("Message-ID").find("@emp.pt>"), std::string::npos);

    const auto& segundo = lidos[1];
    EXPECT_EQ(segundo.Cabecalho("Subject"), "Mapas (07-12-2026) - EMP1");
    EXPECT_NE(segundo.Cabecalho("Message-ID"), lido.Cabecalho("Message-ID"));
    // Raw text: CRLF only, no line over the 998 limit.
    for (const auto& m : recebidas) {
        EXPECT_EQ(m.dados.find("\r\n\n"), std::string::npos);
        std::size_t inicio = 0;
        for (auto fim = m.dados.find("\r\n"); fim != std::string::npos; fim = m.dados.find("\r\n", inicio)) {
            EXPECT_LE(fim - inicio, 998u);
            inicio = fim + 2;
        }
    }
}

TEST_F(ServicoCorreioTeste, NomeDeAnexoComAcentosENomeClienteNoEhlo)
{
    apoio::ServidorSmtp smtp;
    apoio::EscreverBytes(anexo("Vendas Março \"final\".xlsx"), livro_);
    ServicoCorreio correio(relogio_);
    correio.Configurar(LerDefinicoesCorreio(parametros(smtp.ChavesIni() + "NomeCliente=relatorios.emp.pt\n")));
    correio.Enviar(pedido("adm@emp.pt", anexo("Vendas Março \"final\".xlsx")));

    auto lido = apoio::LerCorreio(smtp.Mensagens().at(0).dados);
    ASSERT_EQ(lido.anexos.size(), 1u);
    EXPECT_EQ(lido.anexos[0].nome, "Vendas Março \"final\".xlsx");
    EXPECT_EQ(lido.anexos[0].bytes, livro_);
    EXPECT_EQ(smtp.Mensagens().at(0).ehlo, "relatorios.emp.pt");
}

TEST_F(ServicoCorreioTeste, CadaFalhaDoServidorLevantaErroComASuaResposta)
{
    {
        apoio::OpcoesSmtp o;
        o.recusar = {"nao@emp.pt", "velho@emp.pt"};
        apoio::ServidorSmtp smtp(o);
        Erro e = falha(smtp.ChavesIni() + "Tentativas=3\n", "nao@emp.pt;velho@emp.pt");
        EXPECT_NE(e.Detalhe().find("550 5.1.1 <nao@emp.pt>: Recipient address rejected"), std::string::npos)
            << e.Detalhe();
        EXPECT_NE(e.Detalhe().find("<velho@emp.pt>"), std::string::npos) << e.Detalhe();
        EXPECT_TRUE(smtp.Mensagens().empty()) << "every recipient refused: nobody to send to";
        EXPECT_EQ(smtp.Transaccoes(), 1) << "a refusal is final";
    }
    {
        apoio::OpcoesSmtp o;
        o.recusar = {"rel@emp.pt"};
        apoio::ServidorSmtp smtp(o);
        EXPECT_NE(falha(smtp.ChavesIni()).Detalhe().find("Sender address rejected"), std::string::npos);
    }
    for (const std::string resposta : {"451 4.3.0 Fila cheia, tente depois", "554 5.6.0 Mensagem recusada"}) {
        apoio::OpcoesSmtp o;
        o.respostaDados = resposta;
        apoio::ServidorSmtp smtp(o);
        EXPECT_EQ(falha(smtp.ChavesIni()).Detalhe(), "resposta do servidor: " + resposta) << "not libcurl's words";
    }
    {
        // Dropped once the whole text went out: the client cannot tell it from a message taken
        // and unanswered, so it is an uncertain delivery, not a failure to try again.
        apoio::OpcoesSmtp o;
        o.fecharNosDados = true;
        apoio::ServidorSmtp smtp(o);
        ServicoCorreio correio(relogio_);
        correio.Configurar(LerDefinicoesCorreio(parametros(smtp.ChavesIni() + "Tentativas=2\n")));
        EXPECT_THROW(correio.Enviar(pedido("adm@emp.pt", anexo())), Erro);
        EXPECT_TRUE(correio.EntregaIncerta());
        EXPECT_TRUE(smtp.Mensagens().empty());
        EXPECT_EQ(smtp.Transaccoes(), 1);
    }
}

// A refused To among accepted ones, and more recipients than the server takes at once: the
// accepted get the one message, those told to wait get it in a further transaction, and only
// the refused address is left out.
TEST_F(ServicoCorreioTeste, DestinatarioRecusadoSoCustaASiProprio)
{
    apoio::OpcoesSmtp o;
    o.recusar = {"nao@emp.pt"};
    o.maxDestinatarios = 2;
    apoio::ServidorSmtp smtp(o);
    ServicoCorreio correio(relogio_);
    correio.Configurar(LerDefinicoesCorreio(parametros(smtp.ChavesIni())));
    auto comCopia = pedido("adm@emp.pt;nao@emp.pt;dir@emp.pt", anexo());
    comCopia.copia = "cc1@emp.pt, cc2@emp.pt";
    correio.Enviar(comCopia);

    ASSERT_EQ(correio.Recusados().size(), 1u);
    EXPECT_EQ(correio.Recusados()[0].endereco, "nao@emp.pt");
    EXPECT_EQ(correio.Recusados()[0].codigo, 550);
    const auto recebidas = smtp.Mensagens();
    ASSERT_EQ(recebidas.size(), 2u);
    EXPECT_EQ(recebidas[0].para, (std::vector<std::string>{"adm@emp.pt", "dir@emp.pt"}));
    EXPECT_EQ(recebidas[1].para, (std::vector<std::string>{"cc1@emp.pt", "cc2@emp.pt"}));
    EXPECT_EQ(recebidas[0].dados, recebidas[1].dados) << "the same message, Message-ID and all";
    EXPECT_EQ(smtp.Transaccoes(), 2);
}

// Once the whole message went, a server that keeps silent or hangs up may still have taken it:
// it is not sent again, whatever Tentativas allows, and the wait ends within Timeout.
TEST_F(ServicoCorreioTeste, SemRespostaAoFimDaMensagemEntregaIncertaSemRepetir)
{
    for (auto depois : {apoio::OpcoesSmtp::AposGuardar::Calar, apoio::OpcoesSmtp::AposGuardar::Fechar}) {
        apoio::OpcoesSmtp o;
        o.aposGuardar = depois;
        apoio::ServidorSmtp smtp(o);
        ServicoCorreio correio(relogio_);
        correio.Configurar(LerDefinicoesCorreio(parametros(smtp.ChavesIni() + "Tentativas=3\nTimeout=2\n")));
        const auto inicio = std::chrono::steady_clock::now();
        try {
            correio.Enviar(pedido("adm@emp.pt", anexo()));
            ADD_FAILURE() << "sem resposta não é entrega certa";
        } catch (const Erro& e) {
            EXPECT_EQ(e.Numero(), erros::CorreioIncerto);
            EXPECT_NE(e.Descricao().find("pode ter sido entregue"), std::string::npos) << e.Descricao();
            EXPECT_NE(e.Descricao().find(correio.IdMensagem()), std::string::npos) << e.Descricao();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::milliseconds(3500));
        EXPECT_TRUE(correio.EntregaIncerta());
        EXPECT_EQ(smtp.Mensagens().size(), 1u);
        EXPECT_EQ(smtp.Transaccoes(), 1);
    }
}

TEST_F(ServicoCorreioTeste, ServidorEmBaixoOuMudo)
{
    int porta;
    {
        apoio::ServidorSmtp desligado;
        porta = desligado.Porta();
    }
    Erro e = falha("Servidor=127.0.0.1\nPorta=" + std::to_string(porta) + "\n");
    EXPECT_NE(e.Detalhe().find("connect"), std::string::npos) << e.Detalhe();

    apoio::OpcoesSmtp o;
    o.mudo = true;
    apoio::ServidorSmtp mudo(o);
    e = falha(mudo.ChavesIni() + "Timeout=1\n");
    EXPECT_NE(e.Detalhe().find("imeout"), std::string::npos) << e.Detalhe();
}

TEST_F(ServicoCorreioTeste, LoginCertoErradoEServidorSemAuth)
{
    apoio::OpcoesSmtp o;
    o.utilizador = "rel";
    o.password = "segredo-42";
    apoio::ServidorSmtp smtp(o);
    const std::string semCifra = "Seguranca=nenhuma\n";
    enviar(smtp.ChavesIni() + semCifra);
    ASSERT_EQ(smtp.Mensagens().size(), 1u);
    EXPECT_EQ(smtp.Mensagens()[0].login, "rel");

    std::string errada = "Servidor=127.0.0.1\nPorta=" + std::to_string(smtp.Porta()) +
                         "\nSeguranca=nenhuma\nUtilizador=rel\nPassword=errada-99\n";
    Erro e = falha(errada);
    EXPECT_NE(e.Detalhe().find("535"), std::string::npos) << e.Detalhe();
    EXPECT_EQ(e.Detalhe().find("errada-99"), std::string::npos);
    EXPECT_EQ(smtp.Mensagens().size(), 1u);

    // libcurl alone would send without login here and report success.
    apoio::OpcoesSmtp s;
    s.semAuth = true;
    apoio::ServidorSmtp semAuth(s);
    e = falha(semAuth.ChavesIni() + "Seguranca=nenhuma\nUtilizador=rel\nPassword=segredo-42\n");
    EXPECT_NE(e.Detalhe().find("AUTH"), std::string::npos);
    EXPECT_TRUE(semAuth.Mensagens().empty());
}

TEST_F(ServicoCorreioTeste, StartTlsESslComCertificadoVerificado)
{
    for (auto tls : {apoio::OpcoesSmtp::Tls::StartTls, apoio::OpcoesSmtp::Tls::Ssl}) {
        apoio::OpcoesSmtp o;
        o.tls = tls;
        o.utilizador = "rel";
        o.password = "segredo-42";
        apoio::ServidorSmtp smtp(o);
        enviar(smtp.ChavesIni());
        ASSERT_EQ(smtp.Mensagens().size(), 1u);
        EXPECT_TRUE(smtp.Mensagens()[0].tls);
        EXPECT_EQ(smtp.Mensagens()[0].login, "rel");
        EXPECT_EQ(apoio::LerCorreio(smtp.Mensagens()[0].dados).anexos.at(0).bytes, livro_);

        // Without the test's authority the self-signed certificate must be refused.
        std::string chaves = smtp.ChavesIni();
        chaves.replace(chaves.find("CertificadoCA="), std::string("CertificadoCA=").size(), "CertificadoCAx=");
        falha(chaves);
        EXPECT_EQ(smtp.Mensagens().size(), 1u);
    }
}

TEST_F(ServicoCorreioTeste, TentativasSoDepoisDeFalhaPassageira)
{
    {
        apoio::OpcoesSmtp o;
        o.respostaDados = "451 4.3.0 Ocupado";
        o.vezes = 1;
        apoio::ServidorSmtp smtp(o);
        EXPECT_NO_THROW(enviar(smtp.ChavesIni() + "Tentativas=2\n"));
        EXPECT_EQ(smtp.Mensagens().size(), 1u);
        EXPECT_EQ(smtp.Transaccoes(), 2);
    }
    {
        apoio::OpcoesSmtp o;
        o.respostaDados = "554 5.6.0 Recusada";
        apoio::ServidorSmtp smtp(o);
        falha(smtp.ChavesIni() + "Tentativas=3\n");
        EXPECT_EQ(smtp.Transaccoes(), 1);
    }
    {
        apoio::OpcoesSmtp o;
        o.respostaDados = "451 4.3.0 Ocupado";
        apoio::ServidorSmtp smtp(o);
        Erro e = falha(smtp.ChavesIni());  // Tentativas absent: one try only
        EXPECT_EQ(smtp.Transaccoes(), 1);
        EXPECT_NE(e.Detalhe().find("451 4.3.0 Ocupado"), std::string::npos);
    }
}

TEST_F(ServicoCorreioTeste, PastaSaidaGuardaAMesmaMensagemSemEnviar)
{
    apoio::ServidorSmtp smtp;
    std::string saida = pasta_ / "saida";
    std::filesystem::create_directory(saida);
    enviar(smtp.ChavesIni() + "PastaSaida=" + saida + "\n", "adm@emp.pt;dir@emp.pt", "cc@emp.pt", "oculto@emp.pt");
    enviar(smtp.ChavesIni() + "PastaSaida=" + saida + "\\\n");  // a final "\" names the same folder
    EXPECT_TRUE(smtp.Mensagens().empty());
    EXPECT_EQ(smtp.Ligacoes(), 0);

    auto ficheiros = apoio::Ficheiros(saida);
    ASSERT_EQ(ficheiros, (std::vector<std::string>{"20261207230459-1.eml", "20261207230459-2.eml"}));
    auto lido = apoio::LerCorreio(apoio::LerBytes(saida + "/" + ficheiros[0]));
    EXPECT_TRUE(lido.defeitos.empty());
    EXPECT_EQ(lido.Enderecos("To"), (std::vector<std::string>{"adm@emp.pt", "dir@emp.pt"}));
    EXPECT_EQ(lido.Enderecos("Cc"), (std::vector<std::string>{"cc@emp.pt"}));
    EXPECT_EQ(lido.Cabecalho("Subject"), "Mapas (07-12-2026) - EMP1");
    EXPECT_EQ(lido.anexos.at(0).bytes, livro_);

    Erro e = falha("PastaSaida=" + (pasta_ / "nao-existe") + "\n");
    EXPECT_NE(e.Detalhe().find("nao-existe"), std::string::npos);
}

TEST_F(ServicoCorreioTeste, EntradasInvalidasFalhamAntesDeLigar)
{
    apoio::ServidorSmtp smtp;
    falha(smtp.ChavesIni(), "adm@emp.pt\r\nBcc: x@y.pt");
    falha(smtp.ChavesIni(), "sem-arroba");
    falha(smtp.ChavesIni(), " ; ");
    std::filesystem::remove(anexo());
    try {
        enviar(smtp.ChavesIni());
        ADD_FAILURE() << "anexo inexistente devia falhar";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::CorreioFalhou);
        EXPECT_NE(e.Detalhe().find("Mapas_Adm_20261207230459.xlsx"), std::string::npos);
    }
    EXPECT_EQ(smtp.Ligacoes(), 0);
}

TEST_F(ServicoCorreioTeste, ConfiguracaoInvalidaNomeiaAChave)
{
    auto erroDe = [&](const std::string& chaves) {
        ServicoCorreio correio(relogio_);
        try {
            correio.Configurar(LerDefinicoesCorreio(parametros(chaves)));
        } catch (const Erro& e) {
            EXPECT_EQ(e.Numero(), erros::CorreioConfiguracao);
            return e.Descricao();
        }
        return std::string("sem erro");
    };
    EXPECT_NE(erroDe("Servidor=s\nPorta=25x\n").find("Porta"), std::string::npos);
    EXPECT_NE(erroDe("Servidor=s\nPorta=70000\n").find("Porta"), std::string::npos);
    EXPECT_NE(erroDe("Servidor=s\nSeguranca=tls\n").find("Seguranca"), std::string::npos);
    EXPECT_NE(erroDe("Servidor=s\nTimeout=0\n").find("Timeout"), std::string::npos);
    EXPECT_NE(erroDe("Servidor=s\nTentativas=-1\n").find("Tentativas"), std::string::npos);
    EXPECT_NE(erroDe("Porta=25\n").find("Servidor"), std::string::npos);
    // A password is not sent in clear text by default: the choice must be written.
    EXPECT_NE(erroDe("Servidor=s\nUtilizador=u\nPassword=p\n").find("Seguranca"), std::string::npos);
    EXPECT_EQ(erroDe("Servidor=s\nSeguranca=STARTTLS\nUtilizador=u\n"), "sem erro");
    EXPECT_EQ(erroDe("Servidor=s\nUtilizador=u\nPastaSaida=/tmp\n"), "sem erro");
    EXPECT_NE(erroDe("Servidor=s\nNomeCliente=rel emp\n").find("NomeCliente"), std::string::npos);

    // A CA file that cannot be read is named with the system's reason, not left to libcurl.
    try {
        ServicoCorreio correio(relogio_);
        correio.Configurar(LerDefinicoesCorreio(parametros("Servidor=s\nSeguranca=ssl\nCertificadoCA=" + pasta_.Caminho() + "\n")));
        ADD_FAILURE() << "CertificadoCA ilegível devia falhar";
    } catch (const Erro& e) {
        EXPECT_EQ(e.DescricaoCompleta(), "Não foi possível ler o ficheiro de autoridades [SMTP] CertificadoCA " +
                                             pasta_.Caminho() + ": Is a directory");
    }

    ServicoCorreio semConfigurar(relogio_);
    EXPECT_THROW(semConfigurar.Enviar(pedido("c@d.pt", anexo())), Erro);
}

}  // namespace

// Many messages in one second get 1, 2, 3...; a name taken by anyone else is never replaced. Each
// is created like every file of the run, 0666 less the umask, and leaves the umask be. The same
// holds when the run's session remembers the last name given.
TEST(CorreioPastaSaida, NomesDoMesmoSegundoNuncaSubstituemOutro)
{
    CorreioPastaSaida::Ultimo ultimo;
    for (CorreioPastaSaida::Ultimo* memoria : {static_cast<CorreioPastaSaida::Ultimo*>(nullptr), &ultimo}) {
        SCOPED_TRACE(memoria ? "com o último nome lembrado" : "sem memória");
        apoio::PastaTemporaria pasta;
        CorreioPastaSaida saida(pasta.Caminho(), memoria);
        const mode_t anterior = umask(077);
        struct stat a {};
        stat(saida.Gravar("m0", DataHora(2026, 12, 7)).c_str(), &a);
        EXPECT_EQ(umask(anterior), 077u);
        EXPECT_EQ(a.st_mode & 07777, 0600u);
        for (int i = 1; i <= 70; ++i)
            EXPECT_EQ(saida.Gravar("m" + std::to_string(i), kAgora),
                      pasta / ("20261207230459-" + std::to_string(i) + ".eml"));

        std::filesystem::remove(pasta / "20261207230459-40.eml");   // sent and taken away by the sender
        apoio::EscreverBytes(pasta / "20261207230459-71.eml", "alheio");  // put there by someone else
        std::string novo = saida.Gravar("m72", kAgora);
        EXPECT_EQ(apoio::LerBytes(novo), "m72");
        EXPECT_EQ(apoio::LerBytes(pasta / "20261207230459-71.eml"), "alheio");
        EXPECT_EQ(apoio::LerBytes(pasta / "20261207230459-39.eml"), "m39");
        EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()).size(), 72u);  // no temporary file left

        EXPECT_EQ(saida.Gravar("seguinte", DataHora(2026, 12, 7, 23, 5, 0)), pasta / "20261207230500-1.eml");
    }
}
