// Damaged parameter files: the run either goes through on what the file does say, or ends with
// a message that names the problem; the file itself is never rewritten.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "Cenario.h"
#include "ServidorSmtp.h"

namespace {

using falhas::Cenario;
using falhas::Contem;

// Bytes no text editor would write: NULs, lone CRs, invalid UTF-8, brackets and equals signs.
std::string lixoBinario(std::size_t tamanho)
{
    std::string bytes;
    unsigned estado = 12345;
    for (std::size_t i = 0; i < tamanho; ++i) {
        estado = estado * 1103515245u + 12345u;
        bytes += static_cast<char>((estado >> 16) & 0xFF);
    }
    return bytes;
}

struct FicheiroEstragado {
    std::string nome;
    std::function<std::string(const Cenario&, const std::string& smtp)> bytes;
    int estado;
    std::string motivo;  // what stderr must name; "" when the run succeeds
    std::size_t correios;
    std::size_t livrosNaPasta;
};

std::ostream& operator<<(std::ostream& os, const FicheiroEstragado& f) { return os << f.nome; }

const std::string kLista = "[EMPRESAS]\r\nA\r\n[FIM]\r\n";

class ParametrosEstragados : public ::testing::TestWithParam<FicheiroEstragado> {
protected:
    void SetUp() override { cenario.EmpresaVazia("a.db"); }
    Cenario cenario;
    apoio::ServidorSmtp smtp;
};

TEST_P(ParametrosEstragados, TerminaComMotivoEDeixaOFicheiro)
{
    const FicheiroEstragado& f = GetParam();
    cenario.Parametros(f.bytes(cenario, smtp.ChavesIni()));
    const auto inicio = std::chrono::steady_clock::now();
    const auto r = cenario.Correr();
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(30)) << "a long line must not make the run crawl";
    EXPECT_EQ(r.estado, f.estado) << r.erros;
    if (f.motivo.empty()) {
        EXPECT_EQ(cenario.MensagensRegisto().back(), "Emissão Mapas terminada");
    } else {
        EXPECT_TRUE(Contem(r.erros, f.motivo)) << r.erros.substr(0, 2000);
        EXPECT_TRUE(Contem(cenario.MensagensRegisto().back(), f.motivo));
    }
    EXPECT_EQ(smtp.Mensagens().size(), f.correios);
    EXPECT_EQ(cenario.Livros().size(), f.livrosNaPasta);
    EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
}

INSTANTIATE_TEST_SUITE_P(
    Ficheiros, ParametrosEstragados,
    ::testing::Values(
        // Garbage before the list is not part of it.
        FicheiroEstragado{"LixoBinarioAntesDaLista",
                          [](const Cenario& c, const std::string& smtp) {
                              return lixoBinario(4096) + "\r\n" + kLista + Cenario::Seccao("A", "a.db") + c.Globais(smtp);
                          },
                          0, "", 1, 0},
        // Garbage inside the list names a company that has no section.
        FicheiroEstragado{"LixoBinarioNaLista",
                          [](const Cenario& c, const std::string& smtp) {
                              return "[EMPRESAS]\r\nA\r\n" + lixoBinario(200) + "\r\n[FIM]\r\n" + Cenario::Seccao("A", "a.db") +
                                     c.Globais(smtp);
                          },
                          1, "não tem secção", 1, 0},
        FicheiroEstragado{"LinhaDe10MB",
                          [](const Cenario& c, const std::string& smtp) {
                              return kLista + Cenario::Seccao("A", "a.db", "Notas=" + std::string(10 << 20, 'x') + "\r\n") +
                                     c.Globais(smtp);
                          },
                          0, "", 1, 0},
        // Without "[FIM]" the list runs on into the sections: A goes out, then the section
        // header taken for a company ends the run, naming it.
        FicheiroEstragado{"SemFimAntesDasSeccoes",
                          [](const Cenario& c, const std::string& smtp) {
                              return "[EMPRESAS]\r\nA\r\n" + Cenario::Seccao("A", "a.db") + c.Globais(smtp);
                          },
                          1, "\"[A]\"", 1, 0},
        FicheiroEstragado{"SemFimNoFimDoFicheiro",
                          [](const Cenario& c, const std::string& smtp) {
                              return Cenario::Seccao("A", "a.db") + c.Globais(smtp) + "[EMPRESAS]\r\nA";
                          },
                          0, "", 1, 0},
        // The first of two sections of one name is the one read, for a company and for the log.
        FicheiroEstragado{"SeccoesDuplicadas",
                          [](const Cenario& c, const std::string& smtp) {
                              return kLista + Cenario::Seccao("A", "a.db") + c.Globais(smtp) +
                                     "[A]\r\nMotor=SQLite\r\nEmpresa=nao-existe.db\r\nDestinoAdm=outro@emp.pt\r\n" +
                                     "[Log]\r\nDirectoria=" + c.Base() + "\r\n";
                          },
                          0, "", 1, 0},
        // Saved by an editor that marks UTF-8 with a byte-order mark before "[EMPRESAS]".
        FicheiroEstragado{"MarcaDeOrdemDeBytes",
                          [](const Cenario& c, const std::string& smtp) {
                              return "\xEF\xBB\xBF" + kLista + Cenario::Seccao("A", "a.db") + c.Globais(smtp);
                          },
                          0, "", 1, 0},
        // A recipient key without "=" is no key: the workbook is written and kept, not mailed.
        FicheiroEstragado{"ChaveSemIgual",
                          [](const Cenario& c, const std::string& smtp) {
                              return kLista + "[A]\r\nMotor=SQLite\r\nEmpresa=a.db\r\nDestinoAdm adm@emp.pt\r\n" +
                                     c.Globais(smtp);
                          },
                          0, "", 0, 1}),
    [](const ::testing::TestParamInfo<FicheiroEstragado>& info) { return info.param.nome; });

// A file that names no log folder (empty, or nothing but garbage) would put the log, and the
// workbooks, in the root folder and report success having done nothing: it must be refused.
// Should the program still write there, the test removes what it wrote.
struct SemRegisto {
    std::string nome;
    std::string bytes;
};
std::ostream& operator<<(std::ostream& os, const SemRegisto& s) { return os << s.nome; }

class SemPastaDoRegisto : public ::testing::TestWithParam<SemRegisto> {};

TEST_P(SemPastaDoRegisto, ERecusadoSemEscreverNaRaiz)
{
    const std::string naRaiz = "/LOG_MAPAS20261207.txt";
    if (apoio::Existe(naRaiz)) GTEST_SKIP() << naRaiz << " already exists; it is not this test's to touch";
    Cenario cenario;
    cenario.Parametros(GetParam().bytes);
    const auto r = cenario.Correr();
    const bool escreveuNaRaiz = apoio::Existe(naRaiz);
    if (escreveuNaRaiz) std::remove(naRaiz.c_str());
    EXPECT_FALSE(escreveuNaRaiz) << "the log went to the root folder";
    EXPECT_EQ(r.estado, 1) << r.saida;
    EXPECT_TRUE(Contem(r.erros, "Directoria")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, cenario.Dorvam() + "/Quorvelanti.qel")) << r.erros;
    EXPECT_TRUE(apoio::Ficheiros(cenario.PastaLog()).empty());
    EXPECT_EQ(cenario.LerParametros(), cenario.ParametrosEscritos());
}

INSTANTIATE_TEST_SUITE_P(Ficheiros, SemPastaDoRegisto, ::testing::Values(SemRegisto{"Vazio", ""}, SemRegisto{"SoLixoBinario", lixoBinario(4096)}),
                         [](const ::testing::TestParamInfo<SemRegisto>& info) { return info.param.nome; });

TEST(ParametrosEmFalta, TerminaSemCriarNada)
{
    Cenario cenario;
    const auto r = cenario.Correr();
    EXPECT_EQ(r.estado, 1);
    EXPECT_TRUE(Contem(r.erros, cenario.Dorvam() + "/Quorvelanti.qel")) << r.erros;
    EXPECT_TRUE(apoio::Ficheiros(cenario.Dorvam()).empty());
    EXPECT_TRUE(apoio::Ficheiros(cenario.PastaLog()).empty());
}

}  // namespace
