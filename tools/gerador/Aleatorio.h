#pragma once
// A small deterministic pseudo-random source (splitmix64): the same seed gives the same sequence
// on every machine and every build, which makes a generated company reproducible.
//
//   Aleatorio a(42);
//   int dia = a.Inteiro(1, 28);
//   if (a.Probabilidade(0.05)) ...;
#include <cstdint>
#include <vector>

namespace quorvelanti::gerador {

class Aleatorio {
public:
    explicit Aleatorio(std::uint64_t semente) : estado_(semente) {}

    std::uint64_t Proximo();
    // Uniform in [0, 1).
    double Real();
    // Uniform integer in [minimo, maximo], both included; minimo <= maximo.
    long Inteiro(long minimo, long maximo);
    // True with the given probability.
    bool Probabilidade(double p) { return Real() < p; }
    // Uniform real in [minimo, maximo).
    double Entre(double minimo, double maximo) { return minimo + (maximo - minimo) * Real(); }
    // An index in [0, n) that favours the first positions: a few articles and clients take
    // most of the trade, as in a real shop. n > 0.
    std::size_t IndicePopular(std::size_t n);
    // Position i chosen with probability pesos[i] / sum of pesos.
    std::size_t Ponderado(const std::vector<double>& pesos);
    // Any element, all equally likely; the list is not empty.
    template <class T>
    const T& Escolher(const std::vector<T>& lista)
    {
        return lista[static_cast<std::size_t>(Inteiro(0, static_cast<long>(lista.size()) - 1))];
    }

private:
    std::uint64_t estado_;
};

}  // namespace quorvelanti::gerador
