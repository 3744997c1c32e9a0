#pragma once
// Mail addresses as the parameter file gives them: lists separated by ";" or ",", each entry
// "ana@emp.pt", "<ana@emp.pt>" or "Ana Sá <ana@emp.pt>"; blanks around entries and empty
// entries are dropped.
//
//   auto para = mensagem::LerEnderecos("adm@emp.pt; Ana Sá <ana@emp.pt>,");
//   para[1].endereco;                                  // "ana@emp.pt"
//   mensagem::CabecalhoEnderecos("To", para);          // "To: adm@emp.pt, =?UTF-8?B?...?= <ana@emp.pt>\r\n"
#include <string>
#include <vector>

namespace quorvelanti::mensagem {

struct Endereco {
    std::string nome;      // display name, "" when none
    std::string endereco;  // the bare address, "local@domain"
};

// Raises Erro(erros::ValorInvalido) naming the entry when an address is not a plain ASCII
// local@domain (no blanks, quotes, brackets or line breaks), so nothing can reach the
// envelope or the headers but an address.
std::vector<Endereco> LerEnderecos(const std::string& lista);

// The domain of an address, "" when it has none.
std::string Dominio(const std::string& endereco);

// An address header with its CRLF, folded after commas.
std::string CabecalhoEnderecos(const std::string& nome, const std::vector<Endereco>& enderecos);

}  // namespace quorvelanti::mensagem
