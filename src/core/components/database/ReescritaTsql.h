#pragma once
// Rewrites the report statements, written for SQL Server, into SQL that SQLite runs with the same
// result. It reads the text as tokens (strings, [identifiers] and comments are never touched
// inside) and translates only the constructs the reports use:
//
//   CONVERT(DATETIME, '2024-05-03', 102)        '2024-05-03 00:00:00'
//   convert(nvarchar(10), x, 105)               strftime('%d-%m-%Y', x)
//   cast(x as nvarchar(4))                      substr(CAST(x AS TEXT),1,4)
//   a+'/'+b   (a chain holding text)            a||'/'||b
//   SELECT TOP(1) ... / SELECT TOP 1 ...        SELECT ... LIMIT 1
//   dbo.EMPRESA                                 EMPRESA
//   ORDER BY c.Data,'Id. Doc.' DESC             ORDER BY c.Data COLLATE PORTUGUES,"Id. Doc." COLLATE PORTUGUES DESC
//   year(x), month(x), day(x)                   CAST(strftime('%Y', x) AS INTEGER), ...
//   a/b                                         a*1.0/b        (never integer division)
//
//   std::string sqlite = ReescritaTsql::Reescrever("SELECT TOP 1 NOME FROM dbo.EMPRESA");
//   // "SELECT NOME FROM EMPRESA LIMIT 1"
//
// A CONVERT style or date literal it cannot translate faithfully raises Erro (ConsultaFalhou)
// instead of giving a statement that would silently compute something else.
#include <string>

namespace quorvelanti {

class ReescritaTsql {
public:
    static std::string Reescrever(const std::string& tsql);
    // The collation every ORDER BY term is given, so texts sort as the server sorts them; the
    // engine that runs the rewritten text defines it (Colacao).
    static constexpr const char* NomeColacao = "PORTUGUES";
};

}  // namespace quorvelanti
