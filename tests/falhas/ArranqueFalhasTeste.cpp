// Start-up as a scheduler meets it: a window mode typed where an automatic one was meant, and a
// parameter file that lists no company. Neither may pass unnoticed in the scheduler's output.
#include <gtest/gtest.h>

#include "Cenario.h"

namespace {

using falhas::Contem;

// "/s" in a crontab is a window mode; without a display it ends at once, saying what to use,
// instead of aborting inside the window toolkit. A display that is named but not there counts
// as none.
TEST(JanelaSemEcra, TerminaComEstado1EDizQueModosCorremSemEcra)
{
    falhas::Cenario cenario;
    for (const std::string ecra : {"", ":97"}) {
        auto ambiente = cenario.Ambiente();
        ambiente["DISPLAY"] = ecra;
        ambiente["QT_QPA_PLATFORM"] = "";
        ambiente["WAYLAND_DISPLAY"] = "";
        const auto r = apoio::Executar({apoio::Programa(), "/s"}, ambiente, 30);
        EXPECT_EQ(r.estado, 1) << "DISPLAY=" << ecra << ": " << r.erros;
        EXPECT_TRUE(Contem(r.erros, "janela") && Contem(r.erros, "/S") && Contem(r.erros, "/3S")) << r.erros;
    }
}

// No "[EMPRESAS]" line at all: the run still makes its opening and closing lines and ends well,
// but stderr says that no company was processed and why.
TEST(SemListaDeEmpresas, CorreMasAvisaNoStderr)
{
    falhas::Cenario cenario;
    cenario.EmpresaVazia("a.db");
    cenario.Parametros(falhas::Cenario::Seccao("A", "a.db") + cenario.Globais("PastaSaida=" + cenario.Base() + "\r\n"));
    const auto r = cenario.Correr();
    EXPECT_EQ(r.estado, 0) << r.erros;
    EXPECT_EQ(r.saida, "Emissão Mapas\nEmissão Mapas terminada\n");
    EXPECT_TRUE(Contem(r.erros, "[EMPRESAS]")) << r.erros;
    EXPECT_EQ(cenario.MensagensRegisto().back(), "Emissão Mapas terminada");
}

}  // namespace
