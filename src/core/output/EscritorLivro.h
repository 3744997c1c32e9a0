#pragma once
// Writes a described workbook (DescricaoLivro) as one formatted .xlsx file: each sheet's title,
// header row, column widths and formats, band and totals formulas.
//
//   EscritorLivro::Gravar(livro, ctx.ProvasLivros);     // on disk under livro.ficheiro
//   LivroAnexo anexo = EscritorLivro::Anexo(livro, "20261207230459_Adm_EMP.xlsx", ctx.ProvasLivros);
//
// Gravar writes the file under a temporary name in the same folder, flushes it to disk and
// renames it, replacing any file of that name. Anexo writes it for a message, in memory where
// the system allows, and hands it over unsynced (see LivroAnexo); "" names the attachment after
// the file. Either proves the finished package whole first (PacoteXlsx, the run's 'provas').
// A workbook whose largest sheet holds more than 200,000 cells is written row by row, in little
// memory; its cells are the same either way. Every failure is an Erro and nothing is saved: the
// workbook's own are numbered erros::LivroFalhou; a total beyond the currency's range
// (erros::MoedaForaDosLimites) and a signal (erros::CorridaInterrompida) keep their numbers.
#include <string>

#include "output/DescricaoLivro.h"
#include "output/LivroAnexo.h"

namespace quorvelanti {

class PacoteXlsx;

class EscritorLivro {
public:
    static void Gravar(const DescricaoLivro& livro, PacoteXlsx& provas);
    static LivroAnexo Anexo(const DescricaoLivro& livro, const std::string& nomeAnexo, PacoteXlsx& provas);
};

}  // namespace quorvelanti
