// The quorvelanti program. "/S" and "/3S" run the daily or weekly set at once, headless, and end;
// any other command line opens the window and waits for the run button.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#ifdef __GLIBC__  // known once a C library header is in
#include <malloc.h>
#endif

#include "app/Arranque.h"
#include "app/Corrida.h"
#include "data/Interrupcao.h"
#include "data/Relogio.h"
#include "run/ContextoExecucao.h"
#include "sistema/Sistema.h"

#ifdef QUORVELANTI_COM_JANELA
#include "JanelaPrincipal.h"
#endif

using namespace quorvelanti;

namespace {

class ProgressoConsola : public SaidaProgresso {
public:
    void AddLista(const std::string& Texto) override
    {
        std::cout << Texto << '\n' << std::flush;
    }
    void Aviso(const std::string& texto) override { std::cerr << texto << std::endl; }
};

class SemEventos : public BombaEventos {
public:
    void ProcessarEventos() override {}
};

// Every workbook allocates row buffers above glibc's 128 KB mmap threshold; mapped and unmapped
// again for each of thousands of weekly workbooks, they cost more in page faults than the writing.
void manterMemoriaEntreLivros()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

std::optional<std::string> ambiente(const char* nome)
{
    const char* v = std::getenv(nome);
    if (!v || !*v) return std::nullopt;
    return std::string(v);
}

// Everything after the program name, as one text.
std::string linhaComando(int argc, char** argv)
{
    std::string linha;
    for (int i = 1; i < argc; ++i) linha += (i > 1 ? " " : "") + std::string(argv[i]);
    return linha;
}

int correrAutomatico(ContextoExecucao& ctx)
{
    auto falha = CorrerSincronizar(ctx);
    if (!falha) return 0;
    std::cerr << "Erro " << falha->numero << ": " << falha->descricao << std::endl;
    return falha->estado;
}

}  // namespace

int main(int argc, char** argv)
{
    manterMemoriaEntreLivros();
    sistema::PrepararConsola();
    Interrupcao::IgnorarSinaisDeEscrita();
    std::optional<DataHora> dataForcada;
    if (auto texto = ambiente("QUORVELANTI_DATA")) {
        // Only the form its message asks for: in any other ("07-12-2026") day and month can be
        // read the wrong way round, and a night other than the one meant would be re-run.
        dataForcada = DataHora::LerAAAAMMDD(*texto);
        if (!dataForcada) {
            std::cerr << "QUORVELANTI_DATA inválida (use AAAA-MM-DD): " << *texto << std::endl;
            return 1;
        }
    }
    // A mistyped value must not run a whole night's mail again: only "1" (resume) and "0" pass.
    const auto retomar = ambiente("QUORVELANTI_RETOMAR");
    if (retomar && *retomar != "1" && *retomar != "0") {
        std::cerr << "QUORVELANTI_RETOMAR inválida (use 1 para retomar): " << *retomar << std::endl;
        return 1;
    }
    RelogioSistema relogio(dataForcada);
    DefinicoesArranque definicoes;
    definicoes.retomar = retomar == "1";
    definicoes.linhaComando = linhaComando(argc, argv);
    definicoes.pastaBase = ambiente("QUORVELANTI_PASTA_BASE");
    definicoes.pastaPrograma = PastaPrograma();

    if (ModoAutomatico(definicoes.linhaComando)) {
        ProgressoConsola progresso;
        SemEventos eventos;
        ContextoExecucao ctx(relogio, progresso, eventos);
        ctx.FicheiroRegistoSql = ambiente("QUORVELANTI_TRACE_SQL").value_or("");
        Arrancar(ctx, definicoes);
        return correrAutomatico(ctx);
    }
#ifdef QUORVELANTI_COM_JANELA
    return gui::ExecutarJanela(argc, argv, relogio, definicoes, ambiente("QUORVELANTI_TRACE_SQL").value_or(""));
#else
    std::cerr << "Esta compilação não tem janela: use /S (diário) ou /3S (semanal)." << std::endl;
    return 1;
#endif
}
