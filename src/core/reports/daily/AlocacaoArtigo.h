#pragma once
// The allocation of one article's free stock S and open supplier-order quantity E to its
// client-order lines, taken one by one in date order. Each call gives the line's
// "Disponibilidade" text and updates S and E.
//
//   AlocacaoArtigo a(Moeda::DeUnidades(10), Moeda{});   // S = 10, E = 0
//   a.Alocar(Moeda::DeUnidades(4));                     // "Em Stock"
//   a.Alocar(Moeda::DeUnidades(4));                     // "Em Stock"
//   a.Alocar(Moeda::DeUnidades(4));                     // "2  em Stock "
//
// Amounts are written as Moeda::Texto with ',' as the decimal separator (the business's own),
// without thousands separator and with decimals only when the amount has them: "2", "2,5".
#include <string>

#include "data/Moeda.h"

namespace quorvelanti {

class AlocacaoArtigo {
public:
    AlocacaoArtigo(Moeda stock, Moeda encomendado);

    std::string Alocar(Moeda quantidade);

    Moeda StockLivre() const { return stock_; }
    Moeda EncomendaLivre() const { return encomendado_; }

    // The amount as the availability texts write it.
    static std::string Quantia(Moeda valor);

private:
    std::string alocarComStockParcial(Moeda quantidade);
    std::string alocarSemStock(Moeda quantidade);

    Moeda stock_;
    Moeda encomendado_;
};

}  // namespace quorvelanti
