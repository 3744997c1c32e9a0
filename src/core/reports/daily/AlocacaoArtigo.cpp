#include "AlocacaoArtigo.h"

namespace quorvelanti {

AlocacaoArtigo::AlocacaoArtigo(Moeda stock, Moeda encomendado) : stock_(stock), encomendado_(encomendado) {}

std::string AlocacaoArtigo::Quantia(Moeda valor) { return valor.Texto(','); }

std::string AlocacaoArtigo::Alocar(Moeda quantidade)
{
    std::string texto;
    if (quantidade <= stock_)
        texto = "Em Stock";
    else if (stock_ > Moeda{})
        texto = alocarComStockParcial(quantidade);
    else
        texto = alocarSemStock(quantidade);
    // The stock keeps falling, below zero once used up, so later lines see none.
    stock_ -= quantidade;
    return texto;
}

// 0 < S < Q: the stock gives what it has, the supplier orders what they can of the rest.
// One blank before "Enc.For" when they cover the rest in full, two when only part of it.
std::string AlocacaoArtigo::alocarComStockParcial(Moeda quantidade)
{
    const std::string emStock = Quantia(stock_) + "  em Stock ";
    if (encomendado_ <= Moeda{}) {
        encomendado_ -= quantidade;
        return emStock;
    }
    const Moeda resto = quantidade - stock_;
    if (resto < encomendado_) {
        const std::string texto = emStock + "  " + Quantia(resto) + " Enc.For";
        encomendado_ -= resto;
        return texto;
    }
    const std::string texto = emStock + "  " + Quantia(encomendado_) + "  Enc.For";
    encomendado_ -= quantidade;
    return texto;
}

// S <= 0: only the supplier orders are left.
std::string AlocacaoArtigo::alocarSemStock(Moeda quantidade)
{
    std::string texto;
    if (encomendado_ > Moeda{})
        texto = quantidade <= encomendado_ ? "  " + Quantia(quantidade) + " Enc.For"
                                           : "  " + Quantia(encomendado_) + "  Enc.For";
    encomendado_ -= quantidade;
    return texto;
}

}  // namespace quorvelanti
