#pragma once
// A workbook as the delivery ledger and the failure notice name it within its company: its kind
// and, for the salesperson and client workbooks, the codes that tell it from the others.
//
//   auto livro = IdentidadeLivro::Cliente("C001", "V01");
//   livro.NomeTipo();    // "cliente", the ledger's column
//   livro.Descricao();   // "livro do cliente C001 (vendedor V01)"
#include <string>

namespace quorvelanti {

struct IdentidadeLivro {
    enum class Tipo { Nenhum, Administracao, Vendedor, Compras, Cliente };

    Tipo tipo = Tipo::Nenhum;
    std::string cliente;   // weekly workbooks only
    std::string vendedor;  // the salesperson's workbook, or the weekly client's salesperson

    static IdentidadeLivro Administracao() { return {Tipo::Administracao, "", ""}; }
    static IdentidadeLivro Vendedor(std::string codigo) { return {Tipo::Vendedor, "", std::move(codigo)}; }
    static IdentidadeLivro Compras() { return {Tipo::Compras, "", ""}; }
    static IdentidadeLivro Cliente(std::string cliente, std::string vendedor)
    {
        return {Tipo::Cliente, std::move(cliente), std::move(vendedor)};
    }

    // "administracao", "vendedor", "compras", "cliente"; "" for Nenhum.
    const char* NomeTipo() const;
    // The workbook in words, for a person.
    std::string Descricao() const;
};

}  // namespace quorvelanti
