#include "Aleatorio.h"

namespace quorvelanti::gerador {

std::uint64_t Aleatorio::Proximo()
{
    std::uint64_t z = (estado_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// 53 random bits make every double in [0, 1) of that spacing equally likely.
double Aleatorio::Real() { return static_cast<double>(Proximo() >> 11) * 0x1.0p-53; }

long Aleatorio::Inteiro(long minimo, long maximo)
{
    const auto largura = static_cast<std::uint64_t>(maximo - minimo) + 1;
    return minimo + static_cast<long>(Proximo() % largura);
}

// Squaring a uniform number piles it up near 0: the first tenth of the positions gets about a
// third of the draws.
std::size_t Aleatorio::IndicePopular(std::size_t n)
{
    const double u = Real();
    const auto i = static_cast<std::size_t>(u * u * static_cast<double>(n));
    return i < n ? i : n - 1;
}

std::size_t Aleatorio::Ponderado(const std::vector<double>& pesos)
{
    double total = 0;
    for (double p : pesos) total += p;
    double alvo = Real() * total;
    for (std::size_t i = 0; i < pesos.size(); ++i) {
        if (alvo < pesos[i]) return i;
        alvo -= pesos[i];
    }
    return pesos.size() - 1;
}

}  // namespace quorvelanti::gerador
