#pragma once
// A workbook as the delivery ledger and the failure notice name it within its company: its kind
// and, for the salesperson and client workbooks, the codes that tell it from the others.
//
//   auto livro = IdentidadeLivro::Cliente("C001");
//   livro.NomeTipo();    // "cliente", the ledger's column
//   livro.Descricao();   // "livro do cliente C001"
#include <string>

namespace quorvelanti {

struct IdentidadeLivro {
    enum class Tipo { Nenhum, Administracao, Vendedor, Compras, Cliente };

    Tipo tipo = Tipo::Nenhum;
    std::string cliente;   // weekly workbooks only
    std::string vendedor;  // the daily salesperson's workbook only

    static IdentidadeLivro Administracao() { return {Tipo::Administracao, "", ""}; }
    static IdentidadeLivro Vendedor(std::string codigo) { return {Tipo::Vendedor, "", std::move(codigo)}; }
    static IdentidadeLivro Compras() { return {Tipo::Compras, "", ""}; }
    // One weekly workbook per client, whoever its salespeople.
    static IdentidadeLivro Cliente(std::string cliente) { return {Tipo::Cliente, std::move(cliente), ""}; }

    // "administracao", "vendedor", "compras", "cliente"; "" for Nenhum.
    const char* NomeTipo() const;
    // The workbook in words, for a person.
    std::string Descricao() const;
};

}  // namespace quorvelanti
