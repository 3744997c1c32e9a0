// The daily reports run on the fixture company (SQLite): every figure checked against the hand
// computation beside the fixture's rows (EmpresaDiaria.cpp).
#include <gtest/gtest.h>

#include <algorithm>

#include "Apoio.h"
#include "ContextoTeste.h"
#include "EmpresaDiaria.h"
#include "reports/daily/EncomendasDia.h"
#include "reports/daily/EncomendasPendentes.h"
#include "reports/daily/TrataVendedor.h"
#include "reports/daily/VendasDia.h"
#include "reports/daily/VendasMesCliente.h"

using namespace quorvelanti;

namespace {

// A value as text; numbers of any kind in plain decimal form, so 36, 36.0 and Moeda 36 agree.
std::string texto(const Valor& v)
{
    if (std::holds_alternative<std::int64_t>(v) || std::holds_alternative<double>(v) ||
        std::holds_alternative<Moeda>(v))
        return ValorComoMoeda(v).Texto();
    return ValorComoTexto(v);
}

// The rows of a result set, the given columns joined by "|".
std::vector<std::string> linhas(ConjuntoResultados& rs, const std::vector<std::string>& colunas)
{
    std::vector<std::string> todas;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) {
        std::string s;
        for (std::size_t i = 0; i < colunas.size(); ++i) s += (i ? "|" : "") + texto(rs.ValorDe(colunas[i]));
        todas.push_back(s);
    }
    return todas;
}

std::vector<std::string> ordenadas(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::string> nomesCampos(const ConjuntoResultados& rs)
{
    std::vector<std::string> nomes;
    for (std::size_t i = 0; i < rs.NumeroCampos(); ++i) nomes.push_back(rs.CampoEm(i).nome);
    return nomes;
}

class RelatoriosEmpresa : public ::testing::Test {
protected:
    void SetUp() override
    {
        diario::CriarEmpresaDiaria(pasta / "empresa.db");
        t.Ligar(pasta / "empresa.db");
        ctx.Empresa->Definicoes.GrupoPortes = "'PT'";
    }
    apoio::PastaTemporaria pasta;
    diario::ContextoTeste t;
    ContextoExecucao& ctx = t.ctx;
    std::string data = "07-12-2026 23:04:59";
    MapasDia m;        // the company's result sets, as the daily set fills them
    CopiasVendedor c;  // one salesperson's copies of them
};

TEST_F(RelatoriosEmpresa, EncomendasDiaResumo)
{
    m.RsEncDiaResumo = ExtrairEncomendasDiaResumo(ctx, data);
    auto& rs = m.RsEncDiaResumo;
    EXPECT_EQ(nomesCampos(rs), (std::vector<std::string>{"Vendedor", "Nome Vendedor", "No.Enc(Dia)",
                                                         "Valor Venda(Dia)", "No.Enc(Mês)", "Valor Venda(Mês)"}));
    // Sorted by name (V9 has none); series '0' counts for V2 in the month only; the document
    // split between V1 and V2 counts once for each; V3 has the month only.
    EXPECT_EQ(linhas(rs, nomesCampos(rs)),
              (std::vector<std::string>{"V9||1|20|1|20", "V1|Ana Silva|1|150|1|150", "V2|Bruno Costa|2|40|3|80",
                                        "V3|Carla Dias|0|0|1|70", "O'B|Olivia O'Brien|1|12|1|12"}));
}

TEST_F(RelatoriosEmpresa, EncomendasDiaResumoDaEmpresaEspecialIncluiPortes)
{
    ctx.Empresa->EmpresaEspecial = true;
    m.RsEncDiaResumo = ExtrairEncomendasDiaResumo(ctx, data);
    m.RsEncDiaResumo.Filtrar("Vendedor", "V1");
    EXPECT_EQ(linhas(m.RsEncDiaResumo, nomesCampos(m.RsEncDiaResumo)),
              (std::vector<std::string>{"V1|Ana Silva|2|165|2|165"}));
}

TEST_F(RelatoriosEmpresa, EncomendasDiaDetalhe)
{
    m.RsEncDiaDetalhe = ExtrairEncomendasDiaDetalhe(ctx, data);
    auto& rs = m.RsEncDiaDetalhe;
    EXPECT_EQ(nomesCampos(rs), (std::vector<std::string>{"Id.Doc.", "Vendedor", "Nome Vendedor", "Data Entrega",
                                                         "Cliente", "Nome Cliente", "Artigo", "Designação Artigo",
                                                         "Pr.Unit.Venda", "Quantidade", "Valor Venda"}));
    // All of one date, so their order is the engine's: compared as a set. Left out: zero and
    // negative values, the inactive article, series '0', the unknown client, the carriage line.
    EXPECT_EQ(ordenadas(linhas(rs, nomesCampos(rs))),
              (std::vector<std::string>{
                  "ECL/A/1/2026|V1|Ana Silva|20-12-2026|C1|Cliente Um|A1|Artigo Um|50|2|100",
                  "ECL/A/1/2026|V1|Ana Silva|20-12-2026|C1|Cliente Um|A2|Artigo Dois|50|1|50",
                  "ECL/A/1/2026|V2|Bruno Costa|21-12-2026|C1|Cliente Um|A1|Artigo Um|30|1|30",
                  "ECL/A/2/2026|V9||22-12-2026|C2|Cliente Dois|A1|Artigo Um|20|1|20",
                  "ECL/A/8/2026|O'B|Olivia O'Brien|24-12-2026|C2|Cliente Dois|A2|Artigo Dois|12|1|12"}));
}

const std::vector<std::string> camposVendasResumo{
    "Vendedor",          "Nome Vendedor",     "No.Vnd(Dia)",         "Valor Custo(Dia)",
    "Valor Venda(Dia)",  "Venda Descr(Dia)",  "Venda Portes(Dia)",   "% Margem(Dia)",
    "% Margem Descr(Dia)", "No.Vnd(Mês)",     "Valor Custo(Mês)",    "Valor Venda(Mês)",
    "Venda Descr(Mês)",  "Venda Portes(Mês)", "% Margem(Mês)",       "% Margem Descr(Mês)"};

TEST_F(RelatoriosEmpresa, VendasDiaResumo)
{
    m.RsVendasDiaResumo = ExtrairVendasDiaResumo(ctx, data);
    auto& rs = m.RsVendasDiaResumo;
    EXPECT_EQ(nomesCampos(rs), camposVendasResumo);
    for (std::size_t i = 2; i < rs.NumeroCampos(); ++i) EXPECT_EQ(rs.CampoEm(i).tipo, TipoCampo::Moeda);
    EXPECT_EQ(linhas(rs, camposVendasResumo),
              (std::vector<std::string>{
                  "V9||1|8|0|0|0|100|100|1|8|0|0|0|100|100",              // goods value 0: margin 100
                  "V1|Ana Silva|2|80|125|10|5|36|100|3|120|175|10|5|31.43|100",
                  "V2|Bruno Costa|2|18|20|0|0|10|100|2|18|20|0|0|10|100",  // the credit note subtracts
                  "V3|Carla Dias|0|0|0|0|0|0|0|2|20|40|0|0|50|100"}));     // month only
}

TEST_F(RelatoriosEmpresa, VendasDiaResumoSemGruposPortes)
{
    ctx.Empresa->Definicoes.GrupoPortes.clear();
    m.RsVendasDiaResumo = ExtrairVendasDiaResumo(ctx, data);
    auto& rs = m.RsVendasDiaResumo;
    // Carriage goods count as goods; both descriptor sub-sums have no group condition.
    rs.Filtrar("Vendedor", "V2");
    EXPECT_EQ(linhas(rs, camposVendasResumo),
              (std::vector<std::string>{"V2|Bruno Costa|2|21|27|0|0|22.22|100|2|21|27|0|0|22.22|100"}));
    rs.Filtrar("Vendedor", "V1");
    EXPECT_EQ(linhas(rs, {"Venda Descr(Dia)", "Venda Portes(Dia)", "Venda Descr(Mês)", "Venda Portes(Mês)"}),
              (std::vector<std::string>{"15|15|15|15"}));
}

TEST_F(RelatoriosEmpresa, VendasDiaDetalhe)
{
    m.RsVendasDiaDetalhe = ExtrairVendasDiaDetalhe(ctx, data);
    auto& rs = m.RsVendasDiaDetalhe;
    const std::vector<std::string> campos{"Id.Doc.",     "Vendedor",      "Nome Vendedor", "Cliente",
                                          "Nome Cliente", "Artigo",       "Designação Artigo", "Quantidade",
                                          "Pr.Unit.Custo", "Valor Custo", "Pr.Unit.Venda", "Valor Venda", "Mrg %"};
    EXPECT_EQ(nomesCampos(rs), campos);
    const auto todas = linhas(rs, campos);
    // Ordered by salesperson; the quantity-0 line, the unknown client, the carriage lines and
    // the cancelled document are left out.
    ASSERT_EQ(todas.size(), 4u);
    EXPECT_TRUE(std::is_sorted(todas.begin(), todas.end(), [](const std::string& a, const std::string& b) {
        return a.substr(12, 2) < b.substr(12, 2);
    }));
    EXPECT_EQ(ordenadas(todas),
              (std::vector<std::string>{
                  "FT/A/1/2026|V1|Ana Silva|C1|Cliente Um|A1|Artigo Um|2|30|60|50|100|40",
                  "FT/A/1/2026|V1|Ana Silva|C1|Cliente Um|D1|Servico|1|0|0|10|10|100",
                  "FT/A/1/2026|V2|Bruno Costa|C1|Cliente Um|A2|Artigo Dois|1|30|30|40|40|25",
                  "NC/A/1/2026|V2|Bruno Costa|C2|Cliente Dois|A1|Artigo Um|1|-12|-12|-20|-20|40"}));
}

TEST_F(RelatoriosEmpresa, VendasMesCliente)
{
    m.RsVendasMesCliente = ExtrairVendasMesCliente(ctx, data);
    auto& rs = m.RsVendasMesCliente;
    EXPECT_EQ(nomesCampos(rs),
              (std::vector<std::string>{"Vendedor", "Nome Vendedor", "Cliente", "NomeCliente", "Valor Venda"}));
    // The document of year field 2025 dated in December 2026 is left out, as is the unknown client.
    EXPECT_EQ(linhas(rs, nomesCampos(rs)),
              (std::vector<std::string>{"V1|Ana Silva|C1|Cliente Um|110", "V1|Ana Silva|C2|Cliente Dois|50",
                                        "V2|Bruno Costa|C1|Cliente Um|40", "V2|Bruno Costa|C2|Cliente Dois|-20",
                                        "V3|Carla Dias|C2|Cliente Dois|30", "V9||C1|Cliente Um|0"}));
}

TEST_F(RelatoriosEmpresa, EncomendasPendentes)
{
    m.RsEncPendentesResumo = ExtrairEncomendasPendentesResumo(ctx);
    ExtrairEncomendasPendentesDetalhe(ctx, m.RsEncPendentesDetalhe, m.RsEncPendentesLinhas);
    auto& resumo = m.RsEncPendentesResumo;
    EXPECT_EQ(nomesCampos(resumo), (std::vector<std::string>{"Vendedor", "Nome Vendedor", "No.Enc", "Valor Pendente"}));
    // Before 1 June 2020 left out, that day itself kept; the converted order left out; the
    // unknown client's order (V2, A/3) counts here only.
    EXPECT_EQ(linhas(resumo, nomesCampos(resumo)),
              (std::vector<std::string>{"V9||1|20", "V1|Ana Silva|2|1149", "V2|Bruno Costa|3|48", "V3|Carla Dias|1|70",
                                        "O'B|Olivia O'Brien|1|12"}));

    auto& detalhe = m.RsEncPendentesDetalhe;
    EXPECT_EQ(nomesCampos(detalhe), (std::vector<std::string>{"Id. Doc.", "Data Doc.", "Cliente", "Nome Cliente",
                                                              "Vendedor", "Nome Vendedor", "Valor Pendente"}));
    const auto documentos = linhas(detalhe, nomesCampos(detalhe));
    ASSERT_EQ(documentos.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(documentos.begin(), documentos.begin() + 3),
              (std::vector<std::string>{"ECL/A/9/2020|01-06-2020|C2|Cliente Dois|V2|Bruno Costa|8",
                                        "ECL/A/6/2026|30-11-2026|C1|Cliente Um|V1|Ana Silva|999",
                                        "ECL/A/5/2026|02-12-2026|C1|Cliente Um|V3|Carla Dias|70"}));
    EXPECT_EQ(ordenadas({documentos.begin() + 3, documentos.end()}),
              (std::vector<std::string>{"ECL/A/1/2026|07-12-2026|C1|Cliente Um|V1|Ana Silva|150",
                                        "ECL/A/1/2026|07-12-2026|C1|Cliente Um|V2|Bruno Costa|30",
                                        "ECL/A/2/2026|07-12-2026|C2|Cliente Dois|V9||20",
                                        "ECL/A/8/2026|07-12-2026|C2|Cliente Dois|O'B|Olivia O'Brien|12"}));

    auto& linhasPend = m.RsEncPendentesLinhas;
    EXPECT_EQ(nomesCampos(linhasPend),
              (std::vector<std::string>{"Id. Doc.", "Data Doc.", "Cliente", "Nome Cliente", "Vendedor", "Nome Vendedor",
                                        "Artigo", "Designação Artigo", "Quantidade", "Pr.Unit.Venda", "Valor Pendente"}));
    EXPECT_EQ(linhasPend.ContarRegistos(), 8);
    linhasPend.Filtrar("Vendedor", "V1");
    EXPECT_EQ(ordenadas(linhas(linhasPend, {"Id. Doc.", "Artigo", "Quantidade", "Pr.Unit.Venda", "Valor Pendente"})),
              (std::vector<std::string>{"ECL/A/1/2026|A1|2|50|100", "ECL/A/1/2026|A2|1|50|50",
                                        "ECL/A/6/2026|A1|1|999|999"}));
}

TEST_F(RelatoriosEmpresa, CopiasPorVendedorDosResultadosDaEmpresa)
{
    ExtrairEncomendasPendentesDetalhe(ctx, m.RsEncPendentesDetalhe, m.RsEncPendentesLinhas);
    m.RsEncDiaDetalhe = ExtrairEncomendasDiaDetalhe(ctx, data);
    m.RsVendasDiaResumo = ExtrairVendasDiaResumo(ctx, data);
    m.RsVendasDiaDetalhe = ExtrairVendasDiaDetalhe(ctx, data);
    m.RsVendasMesCliente = ExtrairVendasMesCliente(ctx, data);

    // V3 sold in the month but not today: day figures 0 in the accumulated sheet.
    TrataVendedorAcumulado(m, c.RsVendedorAcumulado, "V3");
    EXPECT_EQ(linhas(c.RsVendedorAcumulado, nomesCampos(c.RsVendedorAcumulado)),
              (std::vector<std::string>{"0|0|0|2|40|0"}));
    TrataVendedorVenda(m, c.RsVendedorVenda, "V3");
    EXPECT_EQ(c.RsVendedorVenda.ContarRegistos(), 0);
    EXPECT_EQ(nomesCampos(c.RsVendedorVenda),
              (std::vector<std::string>{"Id.Doc.", "Cliente", "Nome Cliente", "Artigo", "Designação Artigo",
                                        "Pr.Unit.Venda", "Quantidade", "Valor Venda"}));
    TrataVendedorCliente(m, c.RsVendedorCliente, "V3");
    EXPECT_EQ(linhas(c.RsVendedorCliente, {"Cliente", "Nome Cliente", "Vendas"}),
              (std::vector<std::string>{"C2|Cliente Dois|30"}));

    // The apostrophe code: its order of the day and its pending line, with the dates converted.
    TrataVendedorPendente(m, c.RsVendedorPendente, "O'B");
    ASSERT_EQ(c.RsVendedorPendente.ContarRegistos(), 1);
    c.RsVendedorPendente.MoverPrimeiro();
    EXPECT_EQ(std::get<DataHora>(c.RsVendedorPendente.ValorDe("Data Entrega")), DataHora(2026, 12, 24));
    TrataVendedorEncPendentes(m, c.RsVendedorEncPendentes, "O'B");
    EXPECT_EQ(linhas(c.RsVendedorEncPendentes, {"Id.Doc.", "Data Doc", "Valor Pendente"}),
              (std::vector<std::string>{"ECL/A/8/2026|07-12-2026|12"}));
}

}  // namespace
