#pragma once
// Start-up decisions: which parameter file, which report set, whether the run starts by itself.
//
//   Command line   set      parameter file                       automatic
//   ""             daily    base folder + "/Quorvelanti.qel"     no
//   "/S"           daily    base folder + "/Quorvelanti.qel"     yes
//   "3"            weekly   base folder + "/MapaEncSemana.qel"   no
//   "/3S"          weekly   base folder + "/MapaEncSemana.qel"   yes
//   anything else  daily    program folder + "/" + the text      no
// The base folder is PastaBase + "/dorvam" when that folder exists, else the program folder.
#include <optional>
#include <string>

#include "run/Conjunto.h"

namespace quorvelanti {

struct ContextoExecucao;

// What a command line asks for; LerModo is the one place that reads it.
struct Modo {
    Conjunto conjunto = Conjunto::Diario;
    bool automatico = false;       // runs by itself, headless, and ends
    bool ficheiroNomeado = false;  // the text is a parameter file's name
};
Modo LerModo(const std::string& linhaComando);
// The command line of the set's unattended mode: "/S" for the daily set.
std::string LinhaAutomatica(Conjunto conjunto);

struct DefinicoesArranque {
    std::string linhaComando;              // everything after the program name
    std::optional<std::string> pastaBase;  // QUORVELANTI_PASTA_BASE
    std::string pastaPrograma;             // the executable's folder, no trailing separator
    bool retomar = false;                  // QUORVELANTI_RETOMAR=1
};

// Fills ctx.FicheiroIni, ctx.OrigemFicheiroIni, ctx.Automatico, ctx.LinhaComando,
// ctx.ConjuntoCorrida, ctx.Retomar and ctx.ComandoRetoma; returns the window title.
std::string Arrancar(ContextoExecucao& ctx, const DefinicoesArranque& definicoes);

// The folder of the mode files: PastaBase + "/dorvam" when it exists, else the program folder.
std::string PastaParametros(const DefinicoesArranque& definicoes);
// How the parameter file's folder was chosen, for a person looking for a missing file:
//   "a pasta /etc/dorvam não existe (QUORVELANTI_PASTA_BASE não definida, base /etc),
//    por isso os ficheiros são procurados na pasta do programa, /usr/bin"
std::string OrigemPastaParametros(const DefinicoesArranque& definicoes);
// Where the sample parameter files are: the installed share folder beside the program's, or
// the source tree's.
std::string PastaExemplos(const std::string& pastaPrograma);

// The command line that runs the same set on the same parameter file, unattended when it can:
// "/S" for "" and "/S", "/3S" for "3" and "/3S"; a named file is only run from the window.
std::string ModoRetoma(const std::string& linhaComando);
// The command that resumes a run of this program, as a shell reads it, without its date:
//   QUORVELANTI_RETOMAR=1 QUORVELANTI_PASTA_BASE=/srv/rel /usr/bin/quorvelanti /S
// (QUORVELANTI_PASTA_BASE only when it was given; values quoted where the shell needs it).
std::string ComandoRetoma(const DefinicoesArranque& definicoes);

bool ModoAutomatico(const std::string& linhaComando);
// "Encomendas (Semanal)" in the weekly modes, "Quorvelanti" otherwise.
std::string TituloJanela(const std::string& linhaComando);
// "Parâmetros (Mapa Encomenda Semanal)" in mode "3", "Parâmetros (Quorvelanti)" otherwise.
std::string TituloParametros(const std::string& linhaComando);
// The folder of the running executable (from /proc/self/exe).
std::string PastaPrograma();

}  // namespace quorvelanti
