// The run's SMTP connection under a new mail service per message: pacing seen in the arrival
// times, connections of so many messages, the pause after a reply that asks to slow down, and
// the log lines that tell them.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "Apoio.h"
#include "ServidorSmtp.h"
#include "components/mail/ServicoCorreio.h"
#include "components/mail/SessaoSmtp.h"
#include "data/Relogio.h"
#include "settings/LeituraCorreio.h"

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
        correio.Configurar(LerDefinicoesCorreio(pasta / "q.qel"));
        correio.Enviar({.origem = "rel@emp.pt",
                        .destinos = "adm@emp.pt",
                        .assunto = "m" + std::to_string(i),
                        .mensagem = "corpo",
                        .anexo = pasta / "livro.xlsx",
                        .comAnexo = true});
    }
    return smtp.Mensagens();
}

int contar(const std::vector<std::string>& linhas, const std::string& fragmento)
{
    return static_cast<int>(std::count_if(linhas.begin(), linhas.end(), [&](const std::string& l) {
        return l.find(fragmento) != std::string::npos;
    }));
}

// A server that takes 3 a minute in fixed windows, and a client paced at 2 a minute: nothing is
// refused, the arrivals are evenly spaced, and each wait of half a minute is in the log.
TEST(SessaoSmtp, MensagensPorMinutoEspacaAsMensagensPorIgual)
{
    RelogioAcelerado relogio;
    SessaoSmtp sessao(relogio);
    std::vector<std::string> relato;
    sessao.DefinirRelato([&](const std::string& linha) { relato.push_back(linha); });
    apoio::OpcoesSmtp o;
    o.limite = 3;
    o.janela = 1.2;
    apoio::ServidorSmtp smtp(o);
    const auto m = enviar(smtp, "MensagensPorMinuto=2\nMensagensPorLigacao=2\n", 5, relogio, sessao);
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(smtp.Transaccoes(), 5) << "none refused";
    const double meioMinuto = 0.6;
    for (std::size_t i = 0; i + 1 < m.size(); ++i) {
        EXPECT_GE(m[i + 1].hora - m[i].hora, meioMinuto) << i;
        EXPECT_LT(m[i + 1].hora - m[i].hora, 1.5 * meioMinuto) << "no more waiting than needed";
    }
    EXPECT_EQ(contar(relato, "Espera de 30 s antes da mensagem seguinte"), 4);
    EXPECT_EQ(m[3].ligacao, 2);
    EXPECT_EQ(m[4].ligacao, 3);
    sessao.Fechar();
    EXPECT_EQ(smtp.Quits(), 3);
}

// Postfix's rate limit in fixed windows of a minute, 2 a window, and 5 messages with one retry
// allowed: each refusal waits out the window, and every message arrives once.
TEST(SessaoSmtp, LimiteDoServidorEsperaAJanelaSemDuplicar)
{
    RelogioAcelerado relogio;
    SessaoSmtp sessao(relogio);
    std::vector<std::string> relato;
    sessao.DefinirRelato([&](const std::string& linha) { relato.push_back(linha); });
    apoio::OpcoesSmtp o;
    o.limite = 2;
    o.janela = 1.2;
    apoio::ServidorSmtp smtp(o);
    const auto m = enviar(smtp, "Tentativas=2\n", 5, relogio, sessao);
    ASSERT_EQ(m.size(), 5u);
    std::vector<std::string> assuntos;
    for (const auto& lido : apoio::LerCorreios({m[0].dados, m[1].dados, m[2].dados, m[3].dados, m[4].dados}))
        assuntos.push_back(lido.Cabecalho("Subject"));
    EXPECT_EQ(assuntos, (std::vector<std::string>{"m0", "m1", "m2", "m3", "m4"}));
    EXPECT_EQ(smtp.Transaccoes(), 7);
    EXPECT_EQ(contar(relato, "450 4.7.1 Error: too much mail from 127.0.0.1); nova tentativa dentro de 60 s"), 2);
}

TEST(SessaoSmtp, RespostaDeLimiteEsperaUmMinutoOutro4xxMenos)
{
    const std::pair<std::string, bool> casos[] = {{"421 4.7.0 Too many messages, slow down", true},
                                                  {"452 4.7.1 Mensagens a mais", true},
                                                  {"451 4.3.0 Ocupado", false},
                                                  {"451 4.3.0 Temporary failure, message not generated", false}};
    for (const auto& [resposta, limite] : casos) {
        RelogioAcelerado relogio;
        SessaoSmtp sessao(relogio);
        apoio::OpcoesSmtp o;
        o.respostaDados = resposta;
        o.vezes = 1;
        apoio::ServidorSmtp smtp(o);
        const auto antes = relogio.Instante();
        EXPECT_EQ(enviar(smtp, "Tentativas=2\n", 1, relogio, sessao).size(), 1u);
        EXPECT_EQ(relogio.Instante() - antes >= std::chrono::minutes(1), limite) << resposta;
        EXPECT_EQ(smtp.Transaccoes(), 2) << "no resend on a new connection before the pause";
    }
}

}  // namespace
