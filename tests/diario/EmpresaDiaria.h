#pragma once
// The fixture company of the daily-report tests, run date 7 December 2026, carriage group 'PT'.
// Every figure the tests expect is worked out by hand in EmpresaDiaria.cpp next to its rows.
#include <string>

namespace diario {

// Writes the company database; numContr "599999990" makes it the special company.
void CriarEmpresaDiaria(const std::string& ficheiro, const std::string& numContr = "500000000");

}  // namespace diario
