#pragma once
// The workbook kinds; each value is the kind's number, the one the run's messages and the
// workbook layout tables are keyed by.
//
//   DescricaoLivro livro{.ficheiro = ficheiro, .tipo = TipoLivro::Administracao};
//   LivroTipo(TipoLivro::ClienteSemanal).Semanal();  // true

namespace quorvelanti {

enum class TipoLivro {
    Administracao = 1,   // the daily administration workbook, six sheets
    Vendedor = 2,        // one salesperson's workbook, five sheets
    Compras = 3,         // the client-supplier orders workbook for the purchasing desk, one sheet
    ClienteSemanal = 4,  // one client's weekly workbook, one sheet
};

}  // namespace quorvelanti
