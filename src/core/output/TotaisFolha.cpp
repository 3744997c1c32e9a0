#include "TotaisFolha.h"

#include <cmath>
#include <variant>

#include "data/Erro.h"

namespace quorvelanti {

TotaisFolha::TotaisFolha(const ConjuntoResultados& dados) : somas_(dados.NumeroCampos())
{
    for (std::size_t k = 0; k < dados.NumeroCampos(); ++k) nomes_.push_back(dados.CampoEm(k).nome);
}

void TotaisFolha::Somar(const std::vector<Valor>& linha)
{
    for (std::size_t k = 0; k < somas_.size() && k < linha.size(); ++k) {
        const Valor& v = linha[k];
        Soma& soma = somas_[k];
        if (const auto* m = std::get_if<Moeda>(&v)) {
            try {
                soma.moeda += *m;
            } catch (const Erro& erro) {
                throw ErroNoCampo(erro, nomes_[k] + " (total)");
            }
        } else if (const auto* d = std::get_if<DataHora>(&v)) {
            soma.outros += d->NumeroSerie();
        } else if (!std::holds_alternative<std::string>(v) && !ENulo(v)) {
            const double numero = ValorComoDouble(v);
            if (std::isfinite(numero)) soma.outros += numero;
        }
    }
}

std::pair<std::size_t, std::size_t> TotaisFolha::Operandos(const std::vector<EntradaTotal>& totais, std::size_t p)
{
    const TipoTotal tipo = totais.at(p).tipo;
    const auto [recuoX, recuoY] = tipo == TipoTotal::PER1   ? std::pair{2u, 3u}
                                  : tipo == TipoTotal::PER2 ? std::pair{1u, 2u}
                                                            : std::pair{3u, 4u};
    if (recuoY > p) throw Erro(erros::LivroFalhou, "Percentagem sem os totais de que depende");
    return {p - recuoX, p - recuoY};
}

std::vector<std::optional<double>> TotaisFolha::Resultados(const std::vector<EntradaTotal>& totais) const
{
    // Each percentage refers back to results already in the list; none after a division by zero.
    std::vector<std::optional<double>> resultados;
    for (std::size_t p = 0; p < totais.size(); ++p) {
        const EntradaTotal& e = totais[p];
        if (e.tipo == TipoTotal::SUMC) {
            const auto k = static_cast<std::size_t>(e.coluna - 1);
            resultados.emplace_back(e.coluna >= 1 && k < somas_.size() ? somas_[k].Total() : 0.0);
            continue;
        }
        const auto [x, y] = Operandos(totais, p);
        if (resultados[x] && resultados[y] && *resultados[x] != 0)
            resultados.emplace_back((*resultados[x] - *resultados[y]) / *resultados[x] * 100);
        else
            resultados.emplace_back(std::nullopt);
    }
    return resultados;
}

}  // namespace quorvelanti
