#include "Valor.h"

#include <cstdio>

#include "Erro.h"

namespace quorvelanti {

namespace {
std::string doubleComoTexto(double d)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    return buf;
}
}  // namespace

std::string ValorComoTexto(const Valor& v)
{
    struct Visitante {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const { return doubleComoTexto(d); }
        std::string operator()(Moeda m) const { return m.Texto(); }
        std::string operator()(const DataHora& d) const
        {
            return d.Formatar(d.TemHora() ? "dd-mm-yyyy hh:mm:ss" : "dd-mm-yyyy");
        }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitante{}, v);
}

Moeda ValorComoMoeda(const Valor& v)
{
    struct Visitante {
        Moeda operator()(std::monostate) const { return {}; }
        Moeda operator()(std::int64_t i) const { return Moeda::DeUnidades(i); }
        Moeda operator()(double d) const { return Moeda::DeDouble(d); }
        Moeda operator()(Moeda m) const { return m; }
        Moeda operator()(const DataHora& d) const { return Moeda::DeDouble(d.NumeroSerie()); }
        Moeda operator()(const std::string& s) const { return s.empty() ? Moeda{} : Moeda::DeTexto(s); }
    };
    return std::visit(Visitante{}, v);
}

double ValorComoDouble(const Valor& v)
{
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<DataHora>(&v)) return d->NumeroSerie();
    return ValorComoMoeda(v).ComoDouble();
}

}  // namespace quorvelanti
