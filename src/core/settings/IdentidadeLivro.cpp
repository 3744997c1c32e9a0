#include "IdentidadeLivro.h"

namespace quorvelanti {

const char* IdentidadeLivro::NomeTipo() const
{
    switch (tipo) {
    case Tipo::Administracao: return "administracao";
    case Tipo::Vendedor: return "vendedor";
    case Tipo::Compras: return "compras";
    case Tipo::Cliente: return "cliente";
    case Tipo::Nenhum: break;
    }
    return "";
}

std::string IdentidadeLivro::Descricao() const
{
    switch (tipo) {
    case Tipo::Administracao: return "livro da administração";
    case Tipo::Vendedor: return "livro do vendedor " + vendedor;
    case Tipo::Compras: return "livro das compras";
    case Tipo::Cliente: return "livro do cliente " + cliente;
    case Tipo::Nenhum: break;
    }
    return "";
}

}  // namespace quorvelanti
