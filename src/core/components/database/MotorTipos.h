#pragma once
// Field typing shared by the database engines (private to the components).
//
//   auto campo = motor::CampoDeclarado("Valor", "MONEY");   // {Valor, Moeda, 8}
//   Valor v = motor::ValorDeTexto(*campo, "12.5000");       // Moeda 12.5
//   rs = motor::Conjunto(campos, tipado, std::move(linhas));
#include <optional>
#include <string>
#include <vector>

#include "data/ConjuntoResultados.h"
#include "data/Erro.h"

namespace quorvelanti::motor {

// The field for a declared column type ("NVARCHAR(80)", "money", "DECIMAL(18,3)", "datetime",
// "int", "float"); std::nullopt when the type tells nothing (none, BLOB, unknown words).
std::optional<Campo> CampoDeclarado(const std::string& nome, const std::string& tipoDeclarado);

// A value read as text, converted to the field's one C++ type: int64 for Inteiro, double for
// Duplo, Moeda for Moeda and Numerico, DataHora for Data and DataHora, the text itself otherwise.
// A text that is not of that type raises Erro naming the field.
Valor ValorDeTexto(const Campo& campo, const std::string& texto);

// The result set of the rows read. A column that was not typed (tipado[c] false) gets its type
// from the values read into it (int64, double or text): any text makes it Texto, else any double
// makes it Duplo, else Inteiro; a column of nulls only is Texto of size 1; its values are
// converted to that one type. A text field without a size is sized by its longest value.
ConjuntoResultados Conjunto(std::vector<Campo> campos, const std::vector<bool>& tipado,
                            std::vector<std::vector<Valor>> linhas);

// Enough of a statement to recognise it in a message, not the whole page of SQL.
std::string Resumo(const std::string& sql);

// The failure of a statement cancelled after TimeoutConsulta seconds, with the engine's message.
//   throw motor::ErroTempoConsulta("SELECT ...", 1800, "HYT00 Timeout expired");
Erro ErroTempoConsulta(const std::string& sql, int segundos, const std::string& detalhe);

}  // namespace quorvelanti::motor
