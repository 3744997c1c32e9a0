#pragma once
// How a sheet looks, for the workbook and for the summary of a message alike: the colour of each
// row and the number format of each column.
//
//   const LivroTipo tipo(TipoLivro::ClienteSemanal);
//   Realce r = RealceDados(tipo, rs.Linha(j), j, registos);   // Azul on a "Total Encomenda" row
//   CorFundo(r);                                              // 0x0066CC
//   FormatoNumeroDe(rs.CampoEm(3));                           // "###,###,##0.00" for a number field
#include <cstddef>
#include <string>
#include <vector>

#include "data/ConjuntoResultados.h"
#include "output/LivroTipo.h"
#include "output/LivroXlsx.h"

namespace quorvelanti {

// How a row is coloured across the sheet's columns.
enum class Realce { Nenhum, Faixa, Vermelho, Azul };

constexpr long CorVermelho = 0xFF0000;
constexpr long CorBranco = 0xFFFFFF;
constexpr long CorAzul = 0x0066CC;
constexpr long CorFaixa = 0x7ACDF6;  // RGB(122, 205, 246)

constexpr const char* FormatoNumerico = "###,###,##0.00";
constexpr const char* FormatoData = "dd-mm-yyyy";

// The fill and the letter colour of a row; LivroXlsx::SemCor where the sheet's default shows.
long CorFundo(Realce realce);
long CorLetra(Realce realce);

// The header row: blue in a weekly sheet whose header names a "Total Encomenda" column, else red.
Realce RealceCabecalho(const LivroTipo& tipo, const ConjuntoResultados& dados);
// Data row j (0-based) of 'registos': under the band but for the rows the kind leaves out; in a
// weekly sheet the last row (the grand total) red and a "Total Encomenda" row blue.
Realce RealceDados(const LivroTipo& tipo, const std::vector<Valor>& linha, std::size_t j, std::size_t registos);

// The number format of a column: FormatoNumerico for a number field, "" (General) for the others.
std::string FormatoNumeroDe(const Campo& campo);

}  // namespace quorvelanti
