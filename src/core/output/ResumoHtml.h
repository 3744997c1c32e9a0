#pragma once
// The HTML part of a workbook's message: the message's text, then each sheet its kind marks for
// the summary (FolhaDescrita::resumo) as its title and a table of its rows, with the workbook's
// headers, number and date formats, colours and totals, then a line naming the attachment that
// holds every sheet.
//
//   std::string html = ResumoHtml({.livro = descricao, .texto = "Informação relativa ao dia 07-12-2026 - EMP1",
//                                  .anexo = "Mapas_Adm_20261207230459.xlsx", .linhas = 50});
//
// Figures are the cells' values as the workbook shows them: "###,###,##0.00" as 1.234,56 (two
// decimals, halves away from zero), dates dd-mm-yyyy, the totals row computed by TotaisFolha.
// A long sheet shows its first 'linhas' rows (a weekly sheet then a "…" row and its grand total)
// and says how many more the workbook holds; the part stays within MaximoBytesResumo once
// quoted-printable encoded, leaving out the rows that would not fit, and a text of more than 500
// characters is cut with "…". Inline styles only, nothing remote, every text escaped: a mail
// reader shows it as it stands.
#include <cstddef>
#include <string>

#include "output/DescricaoLivro.h"

namespace quorvelanti {

struct PedidoResumo {
    const DescricaoLivro& livro;
    std::string texto;  // the message's plain text, shown first
    std::string anexo;  // the attachment's name
    int linhas = 50;    // rows shown of a long sheet
};

std::string ResumoHtml(const PedidoResumo& pedido);

// The most bytes the HTML part takes once encoded for the message.
constexpr std::size_t MaximoBytesResumo = 300 * 1024;

}  // namespace quorvelanti
