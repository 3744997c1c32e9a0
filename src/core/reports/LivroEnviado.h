#pragma once
// What the daily and the weekly runs share about a workbook file: its name parts and its
// deletion once mailed.
//
//   ctx.PastaLog + carimbo + "_Enc_" + ParteNomeFicheiro("A/1") + ".xlsx"   // "..._Enc_A_1.xlsx"
//   ApagarLivroEnviado(ficheiro);
#include <string>

namespace quorvelanti {

// A code or company entry as part of a file name: a path separator in it would point the
// workbook into another folder (or one that does not exist), so it becomes "_".
std::string ParteNomeFicheiro(std::string parte);

// Deletes a mailed workbook; raises Erro (FicheiroNaoApagado) when it cannot.
void ApagarLivroEnviado(const std::string& ficheiro);

}  // namespace quorvelanti
