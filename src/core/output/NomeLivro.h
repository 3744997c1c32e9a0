#pragma once
// Where a workbook is written and the name its attachment shows. The file in the log folder
// carries this process's number after the time stamp, so two runs writing into one folder in
// the same second (two installations sharing a "Directoria" and a company name) never write,
// mail or delete each other's file; the recipient sees the name without it.
//
//   auto livro = NomeLivro::Para(ctx.PastaLog, ctx.relogio, "_Adm_EMP01.xlsx");
//   livro.caminho;   // "/var/lib/quorvelanti/20261207230001-4711_Adm_EMP01.xlsx"
//   livro.anexo;     // "20261207230001_Adm_EMP01.xlsx"
#include <string>

namespace quorvelanti {

class Relogio;

struct NomeLivro {
    std::string caminho;  // the file in the log folder
    std::string anexo;    // the attachment's name

    // The clock's yyyymmddhhmmss, then 'resto' (what tells the workbook from others: kind, codes,
    // company, extension).
    static NomeLivro Para(const std::string& pastaLog, const Relogio& relogio, const std::string& resto);
};

}  // namespace quorvelanti
