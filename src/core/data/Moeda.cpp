#include "Moeda.h"

#include <cmath>
#include <cctype>
#include <cstdlib>

#include "Erro.h"

namespace quorvelanti {

namespace {
// Divides rounding half away from zero; b > 0.
std::int64_t dividirArredondado(__int128 a, __int128 b)
{
    __int128 q = a / b;
    __int128 r = a % b;
    if (2 * (r < 0 ? -r : r) >= b) q += (a < 0) ? -1 : 1;
    return static_cast<std::int64_t>(q);
}
}  // namespace

Moeda Moeda::DeDouble(double valor)
{
    return Moeda(static_cast<std::int64_t>(std::llround(valor * Escala)));
}

Moeda Moeda::DeTexto(const std::string& texto)
{
    std::size_t i = 0, fim = texto.size();
    while (i < fim && texto[i] == ' ') ++i;
    while (fim > i && texto[fim - 1] == ' ') --fim;
    bool negativo = false;
    if (i < fim && (texto[i] == '-' || texto[i] == '+')) negativo = texto[i++] == '-';
    __int128 inteiro = 0;
    int digitos = 0;
    for (; i < fim && std::isdigit(static_cast<unsigned char>(texto[i])); ++i, ++digitos)
        inteiro = inteiro * 10 + (texto[i] - '0');
    __int128 fraccao = 0, escala = 1;
    if (i < fim && (texto[i] == '.' || texto[i] == ',')) {
        for (++i; i < fim && std::isdigit(static_cast<unsigned char>(texto[i])); ++i, ++digitos) {
            if (escala < 1000000000000LL) {
                fraccao = fraccao * 10 + (texto[i] - '0');
                escala *= 10;
            }
        }
    }
    if (i != fim || digitos == 0 || inteiro > (__int128)922337203685477LL)
        throw Erro(erros::ValorInvalido, "Valor monetário inválido", texto);
    std::int64_t bruto = static_cast<std::int64_t>(inteiro * Escala) +
                         dividirArredondado(fraccao * Escala, escala);
    return Moeda(negativo ? -bruto : bruto);
}

std::string Moeda::Texto(char separadorDecimal) const
{
    std::uint64_t absoluto = bruto_ < 0 ? 0 - static_cast<std::uint64_t>(bruto_)
                                        : static_cast<std::uint64_t>(bruto_);
    std::string texto = (bruto_ < 0 ? "-" : "") + std::to_string(absoluto / Escala);
    std::uint64_t fraccao = absoluto % Escala;
    if (fraccao != 0) {
        std::string casas = std::to_string(fraccao + Escala).substr(1);
        while (casas.back() == '0') casas.pop_back();
        texto += separadorDecimal + casas;
    }
    return texto;
}

Moeda operator*(Moeda a, Moeda b)
{
    return Moeda(dividirArredondado(static_cast<__int128>(a.bruto_) * b.bruto_, Moeda::Escala));
}

Moeda operator/(Moeda a, Moeda b)
{
    if (b.bruto_ == 0) throw Erro(erros::ValorInvalido, "Divisão por zero");
    __int128 numerador = static_cast<__int128>(a.bruto_) * Moeda::Escala;
    __int128 divisor = b.bruto_;
    if (divisor < 0) {
        numerador = -numerador;
        divisor = -divisor;
    }
    return Moeda(dividirArredondado(numerador, divisor));
}

}  // namespace quorvelanti
