#include "FusaoDiaMes.h"

#include <unordered_map>

#include "data/ConjuntoResultados.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {
std::vector<Campo> camposTabela(const std::vector<ColunaFusao>& colunasDia, const std::vector<ColunaFusao>& colunasMes)
{
    std::vector<Campo> campos{{"Vendedor", TipoCampo::Texto, 10}, {"Nome Vendedor", TipoCampo::Texto, 50}};
    for (const auto* colunas : {&colunasDia, &colunasMes})
        for (const auto& c : *colunas) campos.push_back({c.destino, TipoCampo::Moeda});
    return campos;
}

// Row positions of a query result by salesperson code (text form, as a filter would compare);
// the first row of a code wins, as the first row of a filtered view would.
std::unordered_map<std::string, std::size_t> indicePorVendedor(const ConjuntoResultados& rs)
{
    std::unordered_map<std::string, std::size_t> indice;
    const std::size_t k = rs.IndiceCampo("Vendedor");
    for (std::size_t i = 0; i < static_cast<std::size_t>(rs.ContarRegistos()); ++i)
        indice.emplace(ValorComoTexto(rs.Linha(i)[k]), i);
    return indice;
}

// Copies one block of figures (day or month) into the current row of the table: from the
// source row, or zeros when the salesperson has no row there.
void copiarBloco(ConjuntoResultados& tabela, const std::vector<ColunaFusao>& colunas, const ConjuntoResultados& origem,
                 const std::vector<Valor>* linha)
{
    for (const auto& c : colunas)
        tabela.Definir(c.destino, linha ? (*linha)[origem.IndiceCampo(c.origem)] : Valor(Moeda{}));
}

// The summary shows the code and name cut to its columns (10 and 50 characters); salespeople are
// still matched by the whole code.
void acrescentar(ConjuntoResultados& tabela, const std::vector<Valor>& linha, const ConjuntoResultados& fonte)
{
    tabela.AdicionarLinha();
    tabela.Definir("Vendedor", texto::Primeiros(ValorComoTexto(linha[fonte.IndiceCampo("Vendedor")]), 10));
    tabela.Definir("Nome Vendedor", texto::Primeiros(ValorComoTexto(linha[fonte.IndiceCampo("Nome Vendedor")]), 50));
}
}  // namespace

void FundirDiaMes(ConjuntoResultados& rs, ConjuntoResultados& dia, ConjuntoResultados& mes,
                  const std::vector<ColunaFusao>& colunasDia, const std::vector<ColunaFusao>& colunasMes)
{
    rs = ConjuntoResultados(camposTabela(colunasDia, colunasMes));
    const auto vendedoresDia = indicePorVendedor(dia);
    const auto vendedoresMes = indicePorVendedor(mes);
    const std::size_t kDia = dia.IndiceCampo("Vendedor");
    const std::size_t kMes = mes.IndiceCampo("Vendedor");

    for (std::size_t i = 0; i < static_cast<std::size_t>(dia.ContarRegistos()); ++i) {
        const auto& linha = dia.Linha(i);
        acrescentar(rs, linha, dia);
        copiarBloco(rs, colunasDia, dia, &linha);
        const auto m = vendedoresMes.find(ValorComoTexto(linha[kDia]));
        copiarBloco(rs, colunasMes, mes, m == vendedoresMes.end() ? nullptr : &mes.Linha(m->second));
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(mes.ContarRegistos()); ++i) {
        const auto& linha = mes.Linha(i);
        if (vendedoresDia.count(ValorComoTexto(linha[kMes]))) continue;
        acrescentar(rs, linha, mes);
        copiarBloco(rs, colunasDia, dia, nullptr);
        copiarBloco(rs, colunasMes, mes, &linha);
    }
    rs.Ordenar("Nome Vendedor");
    rs.MoverPrimeiro();
}

}  // namespace quorvelanti
