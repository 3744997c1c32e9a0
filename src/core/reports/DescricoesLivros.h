#pragma once
// Each workbook kind told once: its sheets in order, each with its name, its title, the result
// set its rows come from and its totals. The reports build their workbooks from these tables, the
// writer reads nothing else (DescricaoLivro), and the tests check the written files against them.
//
//   MapasDia mapas = ...;                        // the company's daily result sets
//   DescricaoLivro adm = DescreverAdministracao(mapas, "07-12-2026");
//   adm.folhas[2].titulo;                        // "Encomendas Dia Resumo de 07-12-2026"
//
// A new sheet of the administration workbook is one more line in FolhasAdministracao (and, if its
// rows are new, a field of MapasDia filled by its report).
#include <string>
#include <vector>

#include "output/DescricaoLivro.h"
#include "reports/ConjuntosLivros.h"

namespace quorvelanti {

// One sheet of a kind whose result sets 'Conjuntos' holds.
template <class Conjuntos>
struct FolhaDoLivro {
    std::string nome;
    std::string titulo;  // followed by the day's date (dd-mm-yyyy) when comData
    ConjuntoResultados Conjuntos::*conjunto;
    std::vector<EntradaTotal> totais;  // the totals row's formulas, by column
    bool comData = true;
    ResumoFolha resumo{};  // shown in a message's summary: the kind's summaries, whole or in part
};

const std::vector<FolhaDoLivro<MapasDia>>& FolhasAdministracao();
const std::vector<FolhaDoLivro<CopiasVendedor>>& FolhasVendedor();
const std::vector<FolhaDoLivro<MapasDia>>& FolhasCompras();
const std::vector<FolhaDoLivro<EncomendasCliente>>& FolhasClienteSemanal();

// The workbooks, 'hoje' being the date their titles show; the file is left for the caller to name.
// Each sheet holds the rows its set shows through a clone of its own: the sets' cursors never move.
DescricaoLivro DescreverAdministracao(const MapasDia& mapas, const std::string& hoje);
DescricaoLivro DescreverVendedor(const CopiasVendedor& copias, const std::string& hoje);
DescricaoLivro DescreverCompras(const MapasDia& mapas, const std::string& hoje);
DescricaoLivro DescreverClienteSemanal(const EncomendasCliente& cliente);

}  // namespace quorvelanti
