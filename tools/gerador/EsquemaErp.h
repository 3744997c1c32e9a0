#pragma once
// The ERP schema of tools/erp/esquema.sql, embedded when the program is built.
//
//   bd.Executar(gerador::EsquemaErp());

namespace quorvelanti::gerador {

const char* EsquemaErp();

}  // namespace quorvelanti::gerador
