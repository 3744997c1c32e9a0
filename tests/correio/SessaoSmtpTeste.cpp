// The run's SMTP connection under a new mail service per message, as the mail dispatch uses it:
// many messages on one connection, reconnects that lose or double nothing, pacing seen in the
// arrival times, the pause after a "slow down", and a failure that ends the connection.
#include <gtest/gtest.h>

#include <thread>

#include "Apoio.h"
#include "ServidorSmtp.h"
#include "components/ServicoCorreio.h"
#include "components/SessaoSmtp.h"
#include "data/Erro.h"
#include "data/Relogio.h"

using namespace quorvelanti;
using namespace std::chrono_literals;

namespace {

// Real time, seen fifty times faster: a minute of pacing passes in 1.2 s.
class RelogioAcelerado : public RelogioFixo {
public:
    static constexpr int kFactor = 50;
    RelogioAcelerado() : RelogioFixo(DataHora(2026, 12, 7, 23, 0, 0)) {}
    std::chrono::steady_clock::time_point Instante() const override
    {
        return inicio_ + (std::chrono::steady_clock::now() - inicio_) * kFactor;
    }
    void Esperar(std::chrono::steady_clock::duration espera) const override
    {
        std::this_thread::sleep_for(espera / kFactor);
    }

private:
    const std::chrono::steady_clock::time_point inicio_ = std::chrono::steady_clock::now();
};

class SessaoSmtpTeste : public ::testing::Test {
protected:
    SessaoSmtpTeste() { apoio::EscreverBytes(anexo_, "PK livro"); }

    // Messages "m<de>" to "m<ate>", each through a new service on the session.
    void enviar(const apoio::ServidorSmtp& smtp, const std::string& chaves, int de, int ate,
                const std::string& para = "adm@emp.pt")
    {
        apoio::EscreverBytes(ini_, "[SMTP]\n" + smtp.ChavesIni() + chaves);
        for (int i = de; i <= ate; ++i) {
            ServicoCorreio correio(relogio_, sessao_);
            correio.Configurar(ini_);
            correio.Enviar("rel@emp.pt", para, "", "", "m" + std::to_string(i), "corpo", anexo_, 1, 0);
        }
    }

    // Each message taken, in arrival order: its subject and the connection it came on.
    static std::vector<std::string> chegadas(const apoio::ServidorSmtp& smtp)
    {
        std::vector<std::string> lista;
        for (const auto& m : smtp.Mensagens()) {
            auto inicio = m.dados.find("Subject: ") + 9;
            lista.push_back(m.dados.substr(inicio, m.dados.find("\r\n", inicio) - inicio) + "@" +
                            std::to_string(m.ligacao));
        }
        return lista;
    }

    apoio::PastaTemporaria pasta_;
    std::string ini_ = pasta_ / "Quorvelanti.qel";
    std::string anexo_ = pasta_ / "livro.xlsx";
    RelogioAcelerado relogio_;
    SessaoSmtp sessao_{relogio_};
};

TEST_F(SessaoSmtpTeste, UmaLigacaoAteAoLimiteDeMensagensOuOutrasDefinicoes)
{
    apoio::ServidorSmtp smtp;
    enviar(smtp, "MensagensPorLigacao=4\n", 1, 6);
    EXPECT_EQ(smtp.Quits(), 1) << "the first connection ended after its fourth message";
    enviar(smtp, "MensagensPorLigacao=4\nTimeout=30\n", 7, 7);
    EXPECT_EQ(smtp.Quits(), 2);
    sessao_.Fechar();
    EXPECT_EQ(smtp.Quits(), 3);
    EXPECT_EQ(chegadas(smtp), (std::vector<std::string>{"m1@1", "m2@1", "m3@1", "m4@1", "m5@2", "m6@2", "m7@3"}));
}

TEST_F(SessaoSmtpTeste, LigacaoFechadaPeloServidorOu421CustaUmaLigacaoENenhumaMensagem)
{
    apoio::OpcoesSmtp fecha, responde421;
    fecha.fecharLigacaoApos = 3;
    responde421.respostaDados = "421 4.4.2 Ligacao terminada";
    responde421.vezes = 1;
    responde421.depoisDe = 3;
    for (const auto& opcoes : {fecha, responde421}) {
        apoio::ServidorSmtp smtp(opcoes);
        enviar(smtp, "", 1, 5);
        EXPECT_EQ(chegadas(smtp), (std::vector<std::string>{"m1@1", "m2@1", "m3@1", "m4@2", "m5@2"}));
        EXPECT_EQ(smtp.Transaccoes(), 6);
        sessao_.Fechar();
    }
}

TEST_F(SessaoSmtpTeste, MensagensPorMinutoNasHorasDeChegada)
{
    apoio::ServidorSmtp smtp;
    enviar(smtp, "MensagensPorMinuto=2\n", 1, 5);
    const auto m = smtp.Mensagens();
    ASSERT_EQ(m.size(), 5u);
    const double minuto = 60.0 / RelogioAcelerado::kFactor;
    for (std::size_t i = 0; i + 2 < m.size(); ++i) EXPECT_GE(m[i + 2].hora - m[i].hora, minuto) << i;
    EXPECT_LT(m[1].hora - m[0].hora, minuto / 2) << "two may go at once";
    EXPECT_LT(m[4].hora - m[0].hora, 2.5 * minuto) << "and no more waiting than needed";
}

TEST_F(SessaoSmtpTeste, LimiteExcedidoEsperaUmMinutoOutro4xxMenos)
{
    using Caso = std::pair<std::string, bool>;  // the reply, and whether it says to slow down
    for (const auto& [resposta, limite] : {Caso{"421 4.7.0 Too many messages, slow down", true},
                                           Caso{"451 4.3.0 Ocupado", false}}) {
        apoio::OpcoesSmtp o;
        o.respostaDados = resposta;
        o.vezes = 1;
        apoio::ServidorSmtp smtp(o);
        const auto antes = relogio_.Instante();
        enviar(smtp, "Tentativas=2\n", 1, 1);
        const auto pausa = relogio_.Instante() - antes;
        EXPECT_EQ(pausa >= 60s, limite) << resposta;
        EXPECT_EQ(smtp.Transaccoes(), 2);
        EXPECT_EQ(smtp.Mensagens().size(), 1u);
    }
}

TEST_F(SessaoSmtpTeste, UmaFalhaTerminaALigacaoEAMensagemSeguintePassa)
{
    apoio::OpcoesSmtp o;
    o.recusar = {"nao@emp.pt"};
    apoio::ServidorSmtp smtp(o);
    enviar(smtp, "", 1, 1);
    EXPECT_THROW(enviar(smtp, "", 2, 2, "nao@emp.pt"), Erro);
    EXPECT_EQ(smtp.Quits(), 1);
    enviar(smtp, "", 3, 3);
    EXPECT_EQ(chegadas(smtp), (std::vector<std::string>{"m1@1", "m3@2"}));
}

}  // namespace
