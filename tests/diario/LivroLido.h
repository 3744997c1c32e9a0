#pragma once
// A workbook read back by openpyxl (Debian's python3): its sheets in order, each with the texts
// of its non-empty cells, row by row.
#include <string>
#include <vector>

namespace diario {

struct FolhaLida {
    std::string nome;
    std::string texto;  // one line per non-empty row, cell texts joined by "|"
};

std::vector<FolhaLida> LerLivro(const std::string& ficheiro);
std::vector<std::string> NomesFolhas(const std::vector<FolhaLida>& livro);
// The text of the sheet of that name; "" when there is none.
std::string TextoFolha(const std::vector<FolhaLida>& livro, const std::string& nome);

}  // namespace diario
