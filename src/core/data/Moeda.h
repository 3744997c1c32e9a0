#pragma once
// Currency: a fixed-point amount in ten-thousandths, as the ERP's money columns hold it.
// Sums of currency never drift the way doubles do.
//
//   Moeda total;                        // 0
//   total += Moeda::DeTexto("12.5");    // 12.5000
//   total.Texto();                      // "12.5"  (no thousands separator, decimals only if any)
//
// The range is the database's money range, -922337203685477.5808 to 922337203685477.5807. As the
// database refuses a money overflow, every conversion and operation whose exact result leaves it
// raises Erro(erros::MoedaForaDosLimites) with that result as the detail: never a wrapped figure.
#include <cstdint>
#include <string>

namespace quorvelanti {

class Moeda {
public:
    static constexpr std::int64_t Escala = 10000;

    constexpr Moeda() = default;
    static Moeda DeUnidades(std::int64_t unidades);
    static constexpr Moeda DeDecimosMilesimos(std::int64_t bruto) { return Moeda(bruto); }
    // Rounds half away from zero to the nearest ten-thousandth.
    static Moeda DeDouble(double valor);
    // Parses "-12", "3.5", "3,5", " 1234.56789 " (rounded); throws Erro on anything else.
    static Moeda DeTexto(const std::string& texto);

    constexpr std::int64_t Bruto() const { return bruto_; }
    double ComoDouble() const { return static_cast<double>(bruto_) / Escala; }
    // Plain decimal text with the given separator: "2", "-2.5", "0.0001".
    std::string Texto(char separadorDecimal = '.') const;

    Moeda& operator+=(Moeda o)
    {
        std::int64_t soma;
        if (__builtin_add_overflow(bruto_, o.bruto_, &soma)) foraDosLimites(static_cast<__int128>(bruto_) + o.bruto_);
        bruto_ = soma;
        return *this;
    }
    Moeda& operator-=(Moeda o)
    {
        std::int64_t diferenca;
        if (__builtin_sub_overflow(bruto_, o.bruto_, &diferenca))
            foraDosLimites(static_cast<__int128>(bruto_) - o.bruto_);
        bruto_ = diferenca;
        return *this;
    }
    friend Moeda operator+(Moeda a, Moeda b) { return a += b; }
    friend Moeda operator-(Moeda a, Moeda b) { return a -= b; }
    friend Moeda operator-(Moeda a) { return Moeda() -= a; }
    // Product and quotient are rounded to the nearest ten-thousandth.
    friend Moeda operator*(Moeda a, Moeda b);
    friend Moeda operator/(Moeda a, Moeda b);
    friend bool operator==(Moeda a, Moeda b) { return a.bruto_ == b.bruto_; }
    friend auto operator<=>(Moeda a, Moeda b) { return a.bruto_ <=> b.bruto_; }

private:
    constexpr explicit Moeda(std::int64_t bruto) : bruto_(bruto) {}
    // The amount of an exact result in ten-thousandths, when it is within the range.
    static Moeda doBruto(__int128 bruto);
    [[noreturn]] static void foraDosLimites(__int128 bruto);
    std::int64_t bruto_ = 0;
};

}  // namespace quorvelanti
