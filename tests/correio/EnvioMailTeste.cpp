// Mail dispatch of a finished workbook: subject rules, the event pump, settings per mail.
#include <gtest/gtest.h>

#include <filesystem>

#include "Apoio.h"
#include "FrenteTeste.h"
#include "ServidorSmtp.h"
#include "data/Erro.h"
#include "output/EnvioMail.h"
#include "run/ContextoExecucao.h"

using namespace quorvelanti;

namespace {

class EnvioMailTeste : public ::testing::Test {
protected:
    EnvioMailTeste() : ctx_(frente_.relogio, frente_, frente_)
    {
        // At each event-loop pass, how many messages had left by then.
        frente_.aCadaPassagem = [this] { enviadasEmCadaPassagem_.push_back(apoio::Ficheiros(saida_).size()); };
        std::filesystem::create_directory(saida_);
        apoio::EscreverBytes(livro_.caminho, "PK\x03\x04 livro");
        ctx_.FicheiroIni = pasta_ / "Quorvelanti.qel";
        escreverParametros("PastaSaida=" + saida_ + "\n");
        ctx_.Origem = "rel@emp.pt";
        ctx_.EmpresaActual = "EMP1 Açores";
    }

    void escreverParametros(const std::string& chaves)
    {
        apoio::EscreverBytes(ctx_.FicheiroIni, "[SMTP]\nemailEmissor=rel@emp.pt\n" + chaves);
    }

    std::vector<apoio::CorreioLido> mensagens(const std::string& pasta) const
    {
        std::vector<std::string> brutos;
        for (const auto& f : apoio::Ficheiros(pasta)) brutos.push_back(apoio::LerBytes(pasta + "/" + f));
        return apoio::LerCorreios(brutos);
    }

    apoio::PastaTemporaria pasta_;
    std::string saida_ = pasta_ / "saida";
    NomeLivro livro_{pasta_ / "20261207230459-4711_Adm_EMP1.xlsx", "20261207230459_Adm_EMP1.xlsx"};
    apoio::FrenteTeste frente_;
    std::vector<std::size_t> enviadasEmCadaPassagem_;
    ContextoExecucao ctx_;
};

TEST_F(EnvioMailTeste, AssuntoDosDoisTiposComADataDoMomento)
{
    EnvioMail(ctx_, {.para = "adm@emp.pt", .corpo = "Informação relativa ao dia 07-12-2026 - EMP1 Açores"}, livro_);
    frente_.relogio.Definir(DataHora(2026, 12, 8, 0, 0, 5));  // past midnight: the new day counts
    EnvioMail(ctx_,
              {.para = "cliente@cli.pt",
               .copia = "vnd@emp.pt",
               .corpo = "Informação relativa às Encomendas Pendentes",
               .tipo = TipoMail::Cliente},
              livro_);
    const std::string assunto = "Mapas Diários — Açores";
    // no named type: a company mail
    EnvioMail(ctx_, {.para = "adm@emp.pt", .assunto = assunto, .corpo = "m", .tipo = static_cast<TipoMail>(7)}, livro_);
    EnvioMail(ctx_, {.para = "cliente@cli.pt", .assunto = assunto, .corpo = "m", .tipo = TipoMail::Cliente}, livro_);

    auto lidas = mensagens(saida_);
    ASSERT_EQ(lidas.size(), 4u);
    // File names sort by time, then by the counter of mails within one second.
    EXPECT_EQ(lidas[0].Cabecalho("Subject"), "Quorvelanti (07-12-2026) - EMP1 Açores");
    EXPECT_EQ(lidas[1].Cabecalho("Subject"), "Quorvelanti (08-12-2026) ");
    EXPECT_EQ(lidas[2].Cabecalho("Subject"), "Mapas Diários — Açores (08-12-2026) - EMP1 Açores");
    EXPECT_EQ(lidas[3].Cabecalho("Subject"), "Mapas Diários — Açores (08-12-2026) ");

    EXPECT_EQ(lidas[0].corpo, "Informação relativa ao dia 07-12-2026 - EMP1 Açores");
    EXPECT_EQ(lidas[1].Enderecos("To"), std::vector<std::string>{"cliente@cli.pt"});
    EXPECT_EQ(lidas[1].Enderecos("Cc"), std::vector<std::string>{"vnd@emp.pt"});
    EXPECT_EQ(lidas[0].Contar("Cc"), 0);
    EXPECT_EQ(lidas[0].Enderecos("From"), std::vector<std::string>{"rel@emp.pt"});
    // The file's bytes, under the attachment's name rather than the file's.
    EXPECT_EQ(lidas[0].anexos.at(0).bytes, apoio::LerBytes(livro_.caminho));
    EXPECT_EQ(lidas[0].anexos.at(0).nome, livro_.anexo);
}

TEST_F(EnvioMailTeste, EventosUmaVezAntesDeCadaMail)
{
    EnvioMail(ctx_, {.para = "adm@emp.pt", .corpo = "m"}, livro_);
    EnvioMail(ctx_, {.para = "adm@emp.pt", .corpo = "m"}, livro_);
    EXPECT_EQ(enviadasEmCadaPassagem_, (std::vector<std::size_t>{0, 1}));
}

TEST_F(EnvioMailTeste, DefinicoesLidasDeNovoEmCadaMail)
{
    EnvioMail(ctx_, {.para = "adm@emp.pt", .corpo = "m"}, livro_);
    std::string outra = pasta_ / "outra-pasta";  // a new size: seen even within one tick of the file clock
    std::filesystem::create_directory(outra);
    escreverParametros("PastaSaida=" + outra + "\n");
    EnvioMail(ctx_, {.para = "adm@emp.pt", .corpo = "m"}, livro_);
    EXPECT_EQ(apoio::Ficheiros(saida_).size(), 1u);
    EXPECT_EQ(apoio::Ficheiros(outra).size(), 1u);
}

TEST_F(EnvioMailTeste, FalhaDoServidorChegaAoChamador)
{
    apoio::OpcoesSmtp o;
    o.recusar = {"vnd@emp.pt"};
    apoio::ServidorSmtp smtp(o);
    escreverParametros(smtp.ChavesIni());
    EnvioMail(ctx_, {.para = "adm@emp.pt", .corpo = "m"}, livro_);
    try {
        EnvioMail(ctx_, {.para = "vnd@emp.pt", .corpo = "m"}, livro_);
        ADD_FAILURE() << "devia falhar";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::CorreioFalhou);
        EXPECT_NE(e.Detalhe().find("550"), std::string::npos);
    }
    EXPECT_TRUE(apoio::Existe(livro_.caminho));
    ASSERT_EQ(smtp.Mensagens().size(), 1u);
    EXPECT_EQ(apoio::LerCorreio(smtp.Mensagens()[0].dados).Cabecalho("Subject"),
              "Quorvelanti (07-12-2026) - EMP1 Açores");
}

}  // namespace
