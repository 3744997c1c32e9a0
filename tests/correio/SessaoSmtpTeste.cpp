// The run's SMTP connection under a new mail service per message: pacing seen in the arrival
// times, connections of so many messages, the pause after a reply that asks to slow down.
#include <gtest/gtest.h>

#include <thread>

#include "Apoio.h"
#include "ServidorSmtp.h"
#include "components/mail/ServicoCorreio.h"
#include "components/mail/SessaoSmtp.h"
#include "data/Relogio.h"

using namespace quorvelanti;

namespace {

using Tempo = std::chrono::steady_clock;

// Real time seen fifty times faster: a minute of pacing passes in 1.2 s.
class RelogioAcelerado : public RelogioFixo {
public:
    RelogioAcelerado() : RelogioFixo(DataHora(2026, 12, 7, 23, 0, 0)) {}
    Tempo::time_point Instante() const override { return inicio_ + (Tempo::now() - inicio_) * 50; }
    void Esperar(Tempo::duration espera) const override { std::this_thread::sleep_for(espera / 50); }

private:
    const Tempo::time_point inicio_ = Tempo::now();
};

// Sends n messages, each through a new service on the session, and returns the server's view.
std::vector<apoio::MensagemRecebida> enviar(const apoio::ServidorSmtp& smtp, const std::string& chaves, int n,
                                            const RelogioAcelerado& relogio, SessaoSmtp& sessao)
{
    apoio::PastaTemporaria pasta;
    apoio::EscreverBytes(pasta / "q.qel", "[SMTP]\n" + smtp.ChavesIni() + chaves);
    apoio::EscreverBytes(pasta / "livro.xlsx", "PK livro");
    for (int i = 0; i < n; ++i) {
        ServicoCorreio correio(relogio, sessao);
        correio.Configurar(pasta / "q.qel");
        correio.Enviar("rel@emp.pt", "adm@emp.pt", "", "", "m", "corpo", pasta / "livro.xlsx", 1, 0);
    }
    return smtp.Mensagens();
}

TEST(SessaoSmtp, MensagensPorMinutoNasHorasDeChegadaEMensagensPorLigacao)
{
    RelogioAcelerado relogio;
    SessaoSmtp sessao(relogio);
    apoio::ServidorSmtp smtp;
    const auto m = enviar(smtp, "MensagensPorMinuto=2\nMensagensPorLigacao=2\n", 5, relogio, sessao);
    ASSERT_EQ(m.size(), 5u);
    const double minuto = 1.2;
    for (std::size_t i = 0; i + 2 < m.size(); ++i) EXPECT_GE(m[i + 2].hora - m[i].hora, minuto) << i;
    EXPECT_LT(m[1].hora - m[0].hora, minuto / 2) << "two may go at once";
    EXPECT_LT(m[4].hora - m[0].hora, 2.5 * minuto) << "and no more waiting than needed";
    EXPECT_EQ(m[3].ligacao, 2);
    EXPECT_EQ(m[4].ligacao, 3);
    sessao.Fechar();
    EXPECT_EQ(smtp.Quits(), 3);
}

TEST(SessaoSmtp, LimiteExcedidoEsperaUmMinutoOutro4xxMenos)
{
    for (const std::string resposta : {"421 4.7.0 Too many messages, slow down", "451 4.3.0 Ocupado"}) {
        RelogioAcelerado relogio;
        SessaoSmtp sessao(relogio);
        apoio::OpcoesSmtp o;
        o.respostaDados = resposta;
        o.vezes = 1;
        apoio::ServidorSmtp smtp(o);
        const auto antes = relogio.Instante();
        EXPECT_EQ(enviar(smtp, "Tentativas=2\n", 1, relogio, sessao).size(), 1u);
        EXPECT_EQ(relogio.Instante() - antes >= std::chrono::minutes(1), resposta[1] == '2') << resposta;
        EXPECT_EQ(smtp.Transaccoes(), 2) << "no resend on a new connection before the pause";
    }
}

}  // namespace
