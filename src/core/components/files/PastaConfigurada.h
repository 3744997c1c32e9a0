#pragma once
// A folder as a parameter file gives it, made a path of this system: blanks trimmed, a final
// "\" taken as "/" (files written by Windows peers end folders with it), the result ending in
// "/" ("" is the root). A Windows path (a drive letter, or a "\" before the end) raises Erro
// naming the key, since taken as it stands it would name files in the working folder.
//
//   PastaConfigurada("/srv/rel\\", "Directoria", "Log");   // "/srv/rel/"
//   PastaConfigurada("D:\\Rel\\", "PastaSaida", "SMTP");   // Erro 601 naming [SMTP] PastaSaida
#include <string>

namespace quorvelanti {

std::string PastaConfigurada(const std::string& valor, const std::string& chave, const std::string& seccao);

}  // namespace quorvelanti
