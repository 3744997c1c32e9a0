// A workbook whose parts the writer library could not write whole (a file-size limit, a memory
// folder or a log folder that runs out of room) is neither mailed nor kept: the run ends with the
// workbook status, its log names the workbook and the part, and nothing stands under its name.
// Each run has a /dev/shm of its own (a mount namespace): a tmpfs with the room the program asks
// of its memory folder, so the library's part files go there, or one too small, so they go
// beside the workbook.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <optional>

#include "Cenario.h"
#include "PastaEmTmpfs.h"
#include "ProcessoEmCurso.h"
#include "ServidorSmtp.h"

namespace {

using falhas::Contem;

struct Falta {
    std::string nome;
    std::string memoria;         // the run's /dev/shm: "300m" takes the part files, "1m" is too small
    long limiteTamanho = 0;      // the run's RLIMIT_FSIZE in bytes; 0: none
    bool pastaLogCheia = false;  // the log folder a 2 MB tmpfs with 160 KB left
    bool memoriaEnche = false;   // /dev/shm left without room once the workbook is begun
    bool paraGuardar = false;    // no DestinoAdm: the workbook is one to keep in the log folder
};

std::ostream& operator<<(std::ostream& os, const Falta& f) { return os << f.nome; }

// The program in a mount namespace of its own whose /dev/shm is a fresh tmpfs of that size, under
// the file-size limit when there is one. One page of it is taken, so that a remount to one page
// leaves it no room at all (a tmpfs of size 0 has no limit).
std::vector<std::string> comando(const Falta& f)
{
    const std::string preparar =
        "mount -t tmpfs -o size=" + f.memoria + " tmpfs /dev/shm && printf x > /dev/shm/ocupado && exec \"$@\"";
    std::vector<std::string> c{"/usr/bin/unshare", "--mount", "--propagation=private", "/bin/sh", "-c", preparar, "sh"};
    if (f.limiteTamanho > 0) c.insert(c.end(), {"/usr/bin/prlimit", "--fsize=" + std::to_string(f.limiteTamanho)});
    c.insert(c.end(), {apoio::Programa(), "/S"});
    return c;
}

// Stopped by a signal: "T" in /proc/<pid>/stat.
bool parado(pid_t pid)
{
    const std::string estado = apoio::LerBytes("/proc/" + std::to_string(pid) + "/stat");
    return estado.compare(estado.rfind(')') + 2, 1, "T") == 0;
}

class LivroIncompleto : public ::testing::TestWithParam<Falta> {
protected:
    void SetUp() override
    {
        const auto r = apoio::Executar({"/usr/bin/unshare", "--mount", "true"});
        if (r.estado != 0) GTEST_SKIP() << "sem espaço de nomes de montagem próprio: " << r.erros;
        cenario.EmpresaGerada("g.db", 20000);
    }

    std::string parametros(bool paraGuardar) const
    {
        std::string seccao = falhas::Cenario::Seccao("G", "g.db");
        if (paraGuardar) seccao.erase(seccao.find("DestinoAdm="));
        return "[EMPRESAS]\r\nG\r\n[FIM]\r\n" + seccao + "[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni() +
               "[Log]\r\nDirectoria=" + cenario.PastaLog() + "\r\n";
    }

    // The program stops itself once its first workbook is begun in memory (ParagemNoLivro.c):
    // the room of the memory folder was checked by then, and nothing packed yet. The memory
    // folder is left without room, as when another process fills it, and the run goes on.
    apoio::Resultado correrEnchendoAMemoria(const Falta& f) const
    {
        const std::string prefixo = cenario.Base() + "/corrida";
        auto ambiente = cenario.Ambiente();
        ambiente["LD_PRELOAD"] = QUORVELANTI_PARAGEM_LIVRO;
        falhas::ProcessoEmCurso p(comando(f), ambiente, prefixo);
        const pid_t pid = p.Pid();
        bool parou = false;
        while (!parou && p.Esperar(std::chrono::milliseconds(1))) parou = parado(pid);
        EXPECT_TRUE(parou) << "the run ended without a workbook in memory";
        if (parou) {
            const auto r = apoio::Executar({"/usr/bin/nsenter", "--target", std::to_string(pid), "--mount",
                                            "/bin/mount", "-o", "remount,size=4k", "/dev/shm"});
            EXPECT_EQ(r.estado, 0) << r.erros;
            p.Sinalizar(SIGCONT);
        }
        return {.estado = p.Terminar(),
                .saida = apoio::LerBytes(prefixo + ".out"),
                .erros = apoio::LerBytes(prefixo + ".err")};
    }

    falhas::Cenario cenario;
    apoio::ServidorSmtp smtp;
};

TEST_P(LivroIncompleto, NemEnviadoNemGuardado)
{
    const Falta& f = GetParam();
    std::optional<falhas::PastaEmTmpfs> pastaLog;
    if (f.pastaLogCheia) {
        pastaLog.emplace(cenario.PastaLog(), "2m");
        if (!pastaLog->Activa()) GTEST_SKIP() << pastaLog->Motivo();
        apoio::EscreverBytes(cenario.PastaLog() + "/enchimento", std::string((2048 - 160) << 10, 'x'));
    }
    cenario.Parametros(parametros(f.paraGuardar));

    const auto r = f.memoriaEnche ? correrEnchendoAMemoria(f) : apoio::Executar(comando(f), cenario.Ambiente(), 60);
    EXPECT_EQ(r.estado, 2) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "Falha na criação de um livro")) << r.erros;
    EXPECT_TRUE(smtp.Mensagens().empty());
    const auto mensagens = cenario.MensagensRegisto();
    ASSERT_EQ(mensagens.size(), 3u);
    EXPECT_TRUE(Contem(mensagens[2], "Falha ao gravar o livro " + cenario.PastaLog() + "/")) << mensagens[2];
    EXPECT_TRUE(Contem(mensagens[2], "_Adm_G.xlsx: O membro ")) << mensagens[2];
    EXPECT_EQ(cenario.Livros(), f.pastaLogCheia ? std::vector<std::string>{"enchimento"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Faltas, LivroIncompleto,
                         ::testing::Values(Falta{.nome = "LimiteDeTamanho", .memoria = "300m", .limiteTamanho = 40000},
                                           Falta{.nome = "MemoriaCheiaAMeio", .memoria = "300m", .memoriaEnche = true},
                                           Falta{.nome = "PastaDoLivroCheia", .memoria = "1m", .pastaLogCheia = true},
                                           Falta{.nome = "LivroAGuardarComLimiteDeTamanho",
                                                 .memoria = "300m",
                                                 .limiteTamanho = 40000,
                                                 .paraGuardar = true}),
                         [](const ::testing::TestParamInfo<Falta>& info) { return info.param.nome; });

}  // namespace
