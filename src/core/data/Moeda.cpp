#include "Moeda.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "Erro.h"

namespace quorvelanti {

namespace {

constexpr __int128 kMaximo = std::numeric_limits<std::int64_t>::max();
constexpr __int128 kMinimo = std::numeric_limits<std::int64_t>::min();

// Divides rounding half away from zero; b > 0.
__int128 dividirArredondado(__int128 a, __int128 b)
{
    __int128 q = a / b;
    __int128 r = a % b;
    if (2 * (r < 0 ? -r : r) >= b) q += (a < 0) ? -1 : 1;
    return q;
}

// Plain decimal text of an amount in ten-thousandths: "2", "-2.5", "0.0001".
std::string textoDe(__int128 bruto, char separadorDecimal)
{
    unsigned __int128 absoluto = bruto < 0 ? -static_cast<unsigned __int128>(bruto) : bruto;
    unsigned __int128 inteiro = absoluto / Moeda::Escala;
    std::string digitos;
    do {
        digitos.insert(digitos.begin(), static_cast<char>('0' + static_cast<int>(inteiro % 10)));
        inteiro /= 10;
    } while (inteiro > 0);
    std::string texto = (bruto < 0 ? "-" : "") + digitos;
    const auto fraccao = static_cast<std::int64_t>(absoluto % Moeda::Escala);
    if (fraccao != 0) {
        std::string casas = std::to_string(fraccao + Moeda::Escala).substr(1);
        while (casas.back() == '0') casas.pop_back();
        texto += separadorDecimal + casas;
    }
    return texto;
}

[[noreturn]] void foraDosLimitesTexto(const std::string& valor)
{
    throw Erro(erros::MoedaForaDosLimites,
               "Valor fora dos limites da moeda (-922337203685477.5808 a 922337203685477.5807)", valor);
}

}  // namespace

Moeda Moeda::doBruto(__int128 bruto)
{
    if (bruto < kMinimo || bruto > kMaximo) foraDosLimites(bruto);
    return Moeda(static_cast<std::int64_t>(bruto));
}

void Moeda::foraDosLimites(__int128 bruto) { foraDosLimitesTexto(textoDe(bruto, '.')); }

Moeda Moeda::DeUnidades(std::int64_t unidades) { return doBruto(static_cast<__int128>(unidades) * Escala); }

Moeda Moeda::DeDouble(double valor)
{
    const double bruto = std::round(valor * Escala);
    // 2^63 itself is out of range; every double below it converts exactly.
    if (!(bruto >= -9223372036854775808.0 && bruto < 9223372036854775808.0)) {
        char texto[64];
        std::snprintf(texto, sizeof texto, "%.17g", valor);
        foraDosLimitesTexto(texto);
    }
    return Moeda(static_cast<std::int64_t>(bruto));
}

Moeda Moeda::DeTexto(const std::string& texto)
{
    std::size_t i = 0, fim = texto.size();
    while (i < fim && texto[i] == ' ') ++i;
    while (fim > i && texto[fim - 1] == ' ') --fim;
    const std::size_t inicio = i;
    bool negativo = false;
    if (i < fim && (texto[i] == '-' || texto[i] == '+')) negativo = texto[i++] == '-';
    // Digits beyond any amount in range are counted, not accumulated, so nothing wraps.
    constexpr __int128 kTecto = kMaximo;
    __int128 inteiro = 0;
    int digitos = 0;
    for (; i < fim && std::isdigit(static_cast<unsigned char>(texto[i])); ++i, ++digitos)
        if (inteiro <= kTecto) inteiro = inteiro * 10 + (texto[i] - '0');
    __int128 fraccao = 0, escala = 1;
    if (i < fim && (texto[i] == '.' || texto[i] == ',')) {
        for (++i; i < fim && std::isdigit(static_cast<unsigned char>(texto[i])); ++i, ++digitos) {
            if (escala < 1000000000000LL) {
                fraccao = fraccao * 10 + (texto[i] - '0');
                escala *= 10;
            }
        }
    }
    if (i != fim || digitos == 0) throw Erro(erros::ValorInvalido, "Valor monetário inválido", texto);
    const __int128 bruto = inteiro * Escala + dividirArredondado(fraccao * Escala, escala);
    if (inteiro > kTecto || (negativo ? -bruto : bruto) < kMinimo || (negativo ? -bruto : bruto) > kMaximo)
        foraDosLimitesTexto(texto.substr(inicio, fim - inicio));
    return Moeda(static_cast<std::int64_t>(negativo ? -bruto : bruto));
}

std::string Moeda::Texto(char separadorDecimal) const { return textoDe(bruto_, separadorDecimal); }

Moeda operator*(Moeda a, Moeda b)
{
    return Moeda::doBruto(dividirArredondado(static_cast<__int128>(a.bruto_) * b.bruto_, Moeda::Escala));
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
    return Moeda::doBruto(dividirArredondado(numerador, divisor));
}

}  // namespace quorvelanti
