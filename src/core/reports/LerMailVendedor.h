#pragma once
// A salesperson's mail address, looked up in the company's "DestinoVnd" list; the daily
// salesperson workbooks and the weekly client mails both use it, and the settings check reads
// every pair of the list.
//
//   std::string email;
//   LerMailVendedor(ctx, email, "V01");   // DestinoVnd "V01,ana@emp.pt,V02,rui@emp.pt": "ana@emp.pt"
//   ParesVendedor("V01,ana@emp.pt,V02");  // {{"V01", "ana@emp.pt"}}
//   EmailVendedor(pares, "V01");          // the same lookup in pairs read once: "ana@emp.pt"
#include <string>
#include <utility>
#include <vector>

namespace quorvelanti {

struct ContextoExecucao;

// DestinoVnd is "code,address,code,address,..."; entries are compared exactly (blanks count)
// and only codes (even entries) are compared. email becomes "" when no code matches.
void LerMailVendedor(const ContextoExecucao& ctx, std::string& email, const std::string& CodVnd);

using ParesVendedores = std::vector<std::pair<std::string, std::string>>;

// Every (code, address) pair of a DestinoVnd text, in order; a final code without an address
// after it is no pair.
ParesVendedores ParesVendedor(const std::string& DestinoVnd);

// The address of the first pair with that code; "" when none has it.
std::string EmailVendedor(const ParesVendedores& pares, const std::string& CodVnd);

}  // namespace quorvelanti
