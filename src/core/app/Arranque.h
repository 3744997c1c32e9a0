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

namespace quorvelanti {

struct ContextoExecucao;

struct DefinicoesArranque {
    std::string linhaComando;              // everything after the program name
    std::optional<std::string> pastaBase;  // QUORVELANTI_PASTA_BASE
    std::string pastaPrograma;             // the executable's folder, no trailing separator
};

// Fills ctx.FicheiroIni, ctx.Automatico and ctx.LinhaComando; returns the window title.
std::string Arrancar(ContextoExecucao& ctx, const DefinicoesArranque& definicoes);

bool ModoAutomatico(const std::string& linhaComando);
// "Encomendas (Semanal)" in the weekly modes, "Quorvelanti" otherwise.
std::string TituloJanela(const std::string& linhaComando);
// "Parâmetros (Mapa Encomenda Semanal)" in mode "3", "Parâmetros (Quorvelanti)" otherwise.
std::string TituloParametros(const std::string& linhaComando);
// The folder of the running executable (from /proc/self/exe).
std::string PastaPrograma();

}  // namespace quorvelanti
