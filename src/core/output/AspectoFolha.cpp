#include "AspectoFolha.h"

#include <algorithm>
#include <variant>

namespace quorvelanti {

namespace {

constexpr const char* TotalEncomenda = "Total Encomenda";

bool temTotalEncomenda(const std::vector<Valor>& linha)
{
    return std::any_of(linha.begin(), linha.end(), [](const Valor& v) {
        const auto* s = std::get_if<std::string>(&v);
        return s && *s == TotalEncomenda;
    });
}

}  // namespace

long CorFundo(Realce realce)
{
    switch (realce) {
    case Realce::Faixa: return CorFaixa;
    case Realce::Vermelho: return CorVermelho;
    case Realce::Azul: return CorAzul;
    case Realce::Nenhum: break;
    }
    return LivroXlsx::SemCor;
}

long CorLetra(Realce realce)
{
    return realce == Realce::Vermelho || realce == Realce::Azul ? CorBranco : LivroXlsx::SemCor;
}

Realce RealceCabecalho(const LivroTipo& tipo, const ConjuntoResultados& dados)
{
    std::vector<Valor> nomes;
    for (std::size_t k = 0; k < dados.NumeroCampos(); ++k) nomes.emplace_back(dados.CampoEm(k).nome);
    return tipo.Semanal() && temTotalEncomenda(nomes) ? Realce::Azul : Realce::Vermelho;
}

Realce RealceDados(const LivroTipo& tipo, const std::vector<Valor>& linha, std::size_t j, std::size_t registos)
{
    const std::size_t fora = static_cast<std::size_t>(tipo.LinhasForaFaixa());
    // Fewer rows than the band leaves out: no band at all, never one reaching up into the header.
    Realce realce = j + fora < registos ? Realce::Faixa : Realce::Nenhum;
    if (!tipo.Semanal()) return realce;
    if (j + 1 == registos) return Realce::Vermelho;  // the grand total
    if (temTotalEncomenda(linha)) return Realce::Azul;
    return realce;
}

std::string FormatoNumeroDe(const Campo& campo) { return TipoNumerico(campo.tipo) ? FormatoNumerico : ""; }

}  // namespace quorvelanti
