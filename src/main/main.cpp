// The quorvelanti program. "/S" and "/3S" run the daily or weekly set at once, headless, and end;
// "--verificar" checks a parameter file; "--help" and "--version" answer and end; another text
// starting with "--" is refused (status 2); any other command line opens the window and waits for
// the run button.
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
#include "app/Verificacao.h"
#include "data/Interrupcao.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "run/ContextoExecucao.h"
#include "sistema/Sistema.h"

#ifdef QUORVELANTI_COM_JANELA
#include "JanelaPrincipal.h"
#endif

using namespace quorvelanti;

namespace {

// Lines carry texts of the parameter file, the databases and the servers: each goes out as one
// visible line, so none can drive the terminal or pass for another line.
class ProgressoConsola : public SaidaProgresso {
public:
    void AddLista(const std::string& Texto) override
    {
        std::cout << texto::UmaLinhaVisivel(Texto) << '\n' << std::flush;
    }
    void Aviso(const std::string& linha) override { std::cerr << texto::UmaLinhaVisivel(linha) << std::endl; }
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

// Modes, environment, where files are looked for and exit statuses, with this machine's folders.
std::string uso(const DefinicoesArranque& definicoes)
{
    return "Uso: quorvelanti [/S | /3S | 3 | FICHEIRO]\n"
           "     quorvelanti --verificar [/S | /3S]\n"
           "     quorvelanti --help | --version\n"
           "\n"
           "  (nada)       mapas diários; a janela espera por \"Sincronizar\"\n"
           "  /S           mapas diários sem janela (nem ecrã), e termina: o modo do agendador\n"
           "  3            encomendas semanais; a janela espera\n"
           "  /3S          encomendas semanais sem janela, e termina\n"
           "  FICHEIRO     mapas diários com esse ficheiro de parâmetros, da pasta do programa; a janela\n"
           "               espera (um nome que comece por \"--\" dá-se como ./--nome)\n"
           "  --verificar  lê o ficheiro de parâmetros de /S (ou de /3S) e verifica as chaves, a pasta do\n"
           "               registo, a ligação de cada empresa e o servidor de correio (com login, sem enviar\n"
           "               nada), uma linha \"ok\" ou \"FALHA\" cada; não escreve registo nem livros\n"
           "\n"
           "Ficheiros de parâmetros: <base>/Quorvelanti.qel (diário) e <base>/MapaEncSemana.qel (semanal);\n"
           "<base> é $QUORVELANTI_PASTA_BASE/dorvam (por omissão /etc/dorvam) quando essa pasta existe,\n"
           "senão a pasta do programa.\nAqui: " +
           PastaParametros(definicoes) + ", porque " + OrigemPastaParametros(definicoes) +
           ".\nFicheiros de exemplo: " + PastaExemplos(definicoes.pastaPrograma) +
           "\n"
           "\n"
           "Variáveis de ambiente:\n"
           "  QUORVELANTI_PASTA_BASE  pasta que contém dorvam/ (por omissão /etc)\n"
           "  QUORVELANTI_DATA        AAAA-MM-DD: corre como nesse dia (para refazer uma noite)\n"
           "  QUORVELANTI_RETOMAR     1: retoma uma corrida falhada, sem reenviar o que já foi entregue\n"
           "  QUORVELANTI_TRACE_SQL   ficheiro onde se acrescenta cada instrução SQL executada\n"
           "\n"
           "Estado de saída:\n"
           "  0        terminou bem (--verificar: tudo ok)\n"
           "  1        a corrida falhou (--verificar: alguma FALHA); stderr e o registo dizem porquê\n"
           "  2        um livro não pôde ser escrito; ou uma opção desconhecida\n"
           "  3        já está em curso outra corrida com o mesmo ficheiro de parâmetros\n"
           "  128+N    parada pelo sinal N (143 SIGTERM, 130 SIGINT)\n";
}

int correrAutomatico(ContextoExecucao& ctx)
{
    auto falha = CorrerSincronizar(ctx);
    if (!falha) return 0;
    std::cerr << texto::UmaLinhaVisivel("Erro " + std::to_string(falha->numero) + ": " + falha->descricao) << std::endl;
    return falha->estado;
}

// --help, --version and an unknown "--" option answer before anything else is looked at (no
// display, no environment needed); the exit status, or nothing for a run or a check.
std::optional<int> responderOpcao(const std::string& opcao, const DefinicoesArranque& definicoes)
{
    if (opcao == "--help" || opcao == "-h") {
        std::cout << uso(definicoes);
        return 0;
    }
    if (opcao == "--version" || opcao == "-V") {
        std::cout << "quorvelanti " QUORVELANTI_VERSAO "\n";
        return 0;
    }
    // A mistyped option is no parameter file's name; a file so named is given as ./--name.
    if (opcao.rfind("--", 0) == 0 && opcao != "--verificar") {
        std::cerr << "Opção desconhecida: " << opcao << "\n\n" << uso(definicoes);
        return 2;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv)
{
    manterMemoriaEntreLivros();
    sistema::PrepararConsola();
    Interrupcao::IgnorarSinaisDeEscrita();
    DefinicoesArranque definicoes;
    definicoes.linhaComando = linhaComando(argc, argv);
    definicoes.pastaBase = ambiente("QUORVELANTI_PASTA_BASE");
    definicoes.pastaPrograma = PastaPrograma();
    const std::string opcao = argc > 1 ? argv[1] : "";
    if (auto estado = responderOpcao(opcao, definicoes)) return *estado;

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
    // An empty one too is refused: more likely a broken script than a wish to send everything.
    const char* retomar = std::getenv("QUORVELANTI_RETOMAR");
    if (retomar && std::string(retomar) != "1" && std::string(retomar) != "0") {
        std::cerr << "QUORVELANTI_RETOMAR inválida (use 1 para retomar, 0 para enviar tudo): \"" << retomar << "\""
                  << std::endl;
        return 1;
    }
    RelogioSistema relogio(dataForcada);
    definicoes.retomar = retomar && std::string(retomar) == "1";

    if (opcao == "--verificar") {
        const std::string modo = argc == 3 ? argv[2] : LinhaAutomatica(Conjunto::Diario);
        if (argc > 3 || !ModoAutomatico(modo)) {
            std::cerr << "--verificar aceita /S ou /3S: " << definicoes.linhaComando << "\n\n" << uso(definicoes);
            return 2;
        }
        ProgressoConsola progresso;
        SemEventos eventos;
        ContextoExecucao ctx(relogio, progresso, eventos);
        definicoes.linhaComando = modo;
        Arrancar(ctx, definicoes);
        return VerificarParametros(ctx) ? 0 : 1;
    }

    if (ModoAutomatico(definicoes.linhaComando)) {
        ProgressoConsola progresso;
        SemEventos eventos;
        ContextoExecucao ctx(relogio, progresso, eventos);
        ctx.FicheiroRegistoSql = ambiente("QUORVELANTI_TRACE_SQL").value_or("");
        Arrancar(ctx, definicoes);
        return correrAutomatico(ctx);
    }
#ifdef QUORVELANTI_COM_JANELA
    sistema::LargarConsolaPropria();
    return gui::ExecutarJanela(argc, argv, relogio, definicoes, ambiente("QUORVELANTI_TRACE_SQL").value_or(""));
#else
    std::cerr << "Esta compilação não tem janela: use /S (diário) ou /3S (semanal)." << std::endl;
    return 1;
#endif
}
