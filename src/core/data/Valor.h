#pragma once
// One field value of a result set: null, a whole number, a double, currency, a date-time or text.
#include <cstdint>
#include <string>
#include <variant>

#include "DataHora.h"
#include "Moeda.h"

namespace quorvelanti {

using Valor = std::variant<std::monostate, std::int64_t, double, Moeda, DataHora, std::string>;

inline bool ENulo(const Valor& v) { return std::holds_alternative<std::monostate>(v); }

// Text form of a value: null is "", numbers in plain decimal with '.', currency as Moeda::Texto,
// a date as "dd-mm-yyyy" (with " hh:mm:ss" when it has a time of day).
std::string ValorComoTexto(const Valor& v);
// Currency form; null is 0; a text must hold a number (Erro otherwise).
Moeda ValorComoMoeda(const Valor& v);
// Double form; null is 0.
double ValorComoDouble(const Valor& v);

}  // namespace quorvelanti
