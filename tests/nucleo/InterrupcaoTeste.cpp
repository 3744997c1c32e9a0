#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "data/Erro.h"
#include "data/Interrupcao.h"

using quorvelanti::Erro;
using quorvelanti::Interrupcao;
namespace erros = quorvelanti::erros;
using namespace std::chrono_literals;

// Under a watch a signal kills nothing: it is recorded, raised where the run checks or waits,
// and it cancels the blocking call registered for it; once the watch ends it is forgotten.
TEST(Interrupcao, SinalVigiadoEErroQueARunDesenrola)
{
    std::atomic<bool> cancelado{false};
    {
        Interrupcao::Vigia vigia;
        Interrupcao::AoSinal cancelar([&] { cancelado = true; });
        EXPECT_NO_THROW(Interrupcao::Verificar());
        ASSERT_EQ(raise(SIGTERM), 0);
        EXPECT_EQ(Interrupcao::Sinal(), SIGTERM);
        raise(SIGINT);
        EXPECT_EQ(Interrupcao::Sinal(), SIGTERM) << "the first signal is the one that counts";
        const auto inicio = std::chrono::steady_clock::now();
        try {
            Interrupcao::Esperar(10s);
            FAIL() << "the pause outlived the signal";
        } catch (const Erro& erro) {
            EXPECT_EQ(erro.Numero(), erros::CorridaInterrompida);
            EXPECT_EQ(erro.Descricao(), "Corrida interrompida pelo sinal SIGTERM");
        }
        EXPECT_LT(std::chrono::steady_clock::now() - inicio, 1s);
        for (int i = 0; i < 200 && !cancelado; ++i) std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(cancelado) << "the watcher cancels what is registered";
    }
    // What follows the watch (the failure's last line, a notice of it) is not cut short.
    EXPECT_EQ(Interrupcao::Sinal(), 0);
    EXPECT_NO_THROW(Interrupcao::Esperar(1ms));
}

// A run that does not unwind within the tolerance is ended from the watcher, with the status a
// shell gives a process killed by that signal and a line that says why.
TEST(InterrupcaoDeathTest, RunQueNaoParaTerminaNoFimDaTolerancia)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Interrupcao::Vigia vigia(1s);
            raise(SIGHUP);
            std::this_thread::sleep_for(20s);  // a wait that notices nothing
        },
        ::testing::ExitedWithCode(128 + SIGHUP), "Corrida interrompida pelo sinal SIGHUP");
}
