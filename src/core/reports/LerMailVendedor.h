#pragma once
// A salesperson's mail address, looked up in the company's "DestinoVnd" list; the daily
// salesperson workbooks and the weekly client mails both use it.
//
//   std::string email;
//   LerMailVendedor(ctx, email, "V01");   // ctx.DestinoVnd "V01,ana@emp.pt,V02,rui@emp.pt": "ana@emp.pt"
#include <string>

namespace quorvelanti {

struct ContextoExecucao;

// DestinoVnd is "code,address,code,address,..."; entries are compared exactly (blanks count)
// and only codes (even entries) are compared. email becomes "" when no code matches.
void LerMailVendedor(const ContextoExecucao& ctx, std::string& email, const std::string& CodVnd);

}  // namespace quorvelanti
