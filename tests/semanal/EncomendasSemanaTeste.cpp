// The weekly client list, a client's order lines and the table built from them.
#include <gtest/gtest.h>

#include "../fornecedor/EmpresaEncomendas.h"
#include "reports/weekly/EncomendasSemana.h"

using namespace quorvelanti;
using teste::ContextoTeste;
using teste::EmpresaEncomendas;
using teste::LinhaDoc;

namespace {

using Tabela = std::vector<std::vector<std::string>>;

const std::vector<std::string> TodosOsCampos{"Id.Doc.",     "Data Doc.",  "Artigo",        "Designação Artigo", "Pr.Unit.Venda",
                                            "Quantidade", "Desc %",     "Valor Venda",   "Data Prev."};

Tabela tabela(ConjuntoResultados rs, const std::vector<std::string>& campos = TodosOsCampos)
{
    Tabela t;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) {
        std::vector<std::string> linha;
        for (const auto& c : campos) linha.push_back(rs.Texto(c));
        t.push_back(linha);
    }
    return t;
}

// Whether every field but "Designação Artigo" and "Valor Venda" of each row is null.
bool totaisSoComRotuloEValor(ConjuntoResultados rs)
{
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) {
        if (rs.Texto("Id.Doc.").empty() && !rs.Texto("Designação Artigo").empty())
            for (const char* c : {"Id.Doc.", "Data Doc.", "Artigo", "Pr.Unit.Venda", "Quantidade", "Desc %", "Data Prev."})
                if (!ENulo(rs.ValorDe(c))) return false;
    }
    return true;
}

class Semanal : public ::testing::Test {
protected:
    Semanal() : emp(pasta / "emp.db")
    {
        emp.Cliente("C1", "Cliente Um", "c1@cli.pt");
        emp.Vendedor("V1", "Ana");
        emp.Artigo("A1", "Parafuso");
        emp.Artigo("A2", "Porca");
        emp.Stock("A1", "001", 100);
        emp.Stock("A2", "002", 100);
    }

    // The table of client sCli as the weekly run builds it.
    ConjuntoResultados preencher(const std::string& sCli)
    {
        t = std::make_unique<ContextoTeste>(emp, DataHora(2026, 12, 7, 23, 4, 59));
        ConjuntoResultados linhas, rs;
        ExtrairEncSemanal(t->ctx, linhas, sCli);
        ConsultasArtigo consultas(*t->ctx.Empresa->Ligacao);
        PreencheEncSemanal(rs, linhas, consultas);
        return rs;
    }

    apoio::PastaTemporaria pasta;
    EmpresaEncomendas emp;
    std::unique_ptr<ContextoTeste> t;
};

}  // namespace

TEST_F(Semanal, UmaEncomendaDeDuasLinhasDaCincoLinhas)
{
    LinhaDoc l1("A1", 2, 20.5);
    l1.prunit = 10.25;
    LinhaDoc l2("A2", 3, 9);
    l2.prunit = 3;
    l2.txdesc = 12.5;
    emp.EncomendaCliente(17, "2026-11-30", "C1", "V1", {l1, l2});
    const auto rs = preencher("C1");
    EXPECT_EQ(tabela(rs), (Tabela{
                              {"ECL/A/17/2026", "30-11-2026", "A1", "Parafuso", "10.25", "2", "0", "20.5", "Imediata"},
                              {"ECL/A/17/2026", "30-11-2026", "A2", "Porca", "3", "3", "12.5", "9", "Imediata"},
                              {"", "", "", "Total Encomenda", "", "", "", "29.5", ""},
                              {"", "", "", "", "", "", "", "", ""},
                              {"", "", "", "Total Geral", "", "", "", "29.5", ""},
                          }));
    EXPECT_TRUE(totaisSoComRotuloEValor(rs));
}

TEST_F(Semanal, DuasEncomendasTotalDaPrimeiraAntesDaSegundaSemLinhaVazia)
{
    emp.EncomendaCliente(1, "2026-11-01", "C1", "V1", {{"A1", 1, 10}, {"A2", 1, 5}});
    emp.EncomendaCliente(2, "2026-11-02", "C1", "V1", {{"A1", 1, 0.25}});
    EXPECT_EQ(tabela(preencher("C1"), {"Id.Doc.", "Designação Artigo", "Valor Venda"}),
              (Tabela{
                  {"ECL/A/1/2026", "Parafuso", "10"},
                  {"ECL/A/1/2026", "Porca", "5"},
                  {"", "Total Encomenda", "15"},
                  {"ECL/A/2/2026", "Parafuso", "0.25"},
                  {"", "Total Encomenda", "0.25"},
                  {"", "", ""},
                  {"", "Total Geral", "15.25"},
              }));
}

TEST_F(Semanal, IdDocCortadoA35EDataPrevInteira)
{
    emp.Artigo("SEMSTOCK", "Sem stock");
    emp.Artigo("SEMNOTA", "Sem nota");
    emp.EncomendaFornecedor(5, "2026-11-01", {{"SEMSTOCK", 9}}, "Previsto para a semana 52 de 2026");
    emp.EncomendaCliente(123456789, "2026-11-01", "C1", "V1", {{"SEMSTOCK", 1}, {"SEMNOTA", 1}},
                         "SERIE-MUITO-LONGA-X", "ENCCLI");
    const auto rs = preencher("C1");
    const auto linhas = tabela(rs, {"Id.Doc.", "Data Prev."});
    const std::string id = "ENCCLI/SERIE-MUITO-LONGA-X/123456789/2026";  // 41 characters
    EXPECT_EQ(linhas.at(0), (std::vector<std::string>{id.substr(0, 35), "Previsto para a semana 52 de 2026"}));
    EXPECT_EQ(linhas.at(1), (std::vector<std::string>{id.substr(0, 35), ""}));  // no supplier line
    // The order still closes once: the cut identifier is not what groups the lines.
    EXPECT_EQ(linhas.at(2)[0], "");
    EXPECT_EQ(rs.ContarRegistos(), 5);
}

TEST_F(Semanal, StockComparadoComCadaLinhaSozinha)
{
    emp.Artigo("A3", "Anilha");
    emp.Stock("A3", "016", 5, 1);  // 4 free
    emp.EncomendaFornecedor(5, "2026-11-01", {{"A3", 9}}, "Dezembro");
    emp.EncomendaCliente(1, "2026-11-01", "C1", "V1", {{"A3", 4}, {"A3", 4}, {"A3", 5}});
    EXPECT_EQ(tabela(preencher("C1"), {"Data Prev."}),
              (Tabela{{"Imediata"}, {"Imediata"}, {"Dezembro"}, {""}, {""}, {""}}));
    // One stock and one note statement for the three lines.
    EXPECT_EQ(t->Contar("as stock  from ARTARM"), 1);
    EXPECT_EQ(t->Contar("ll.Obs as DataPrev"), 1);
}

TEST_F(Semanal, LinhasExcluidasPorGrupoInactivoOuCriterio)
{
    emp.Artigo("PORTES", "Portes", "PT");
    emp.Artigo("VELHO", "Inactivo", "G1", 1);
    emp.EncomendaCliente(1, "2026-11-01", "C1", "V1", {{"PORTES", 1}, {"VELHO", 1}, {"A1", 1, 0}});
    emp.EncomendaCliente(2, "2020-05-31", "C1", "V1", {{"A1", 1}});  // before the fixed lower bound
    emp.EncomendaCliente(3, "2026-11-01", "C1", "V1", {{"A2", 1}}, "0");
    t = std::make_unique<ContextoTeste>(emp, DataHora(2026, 12, 7));
    t->ctx.Empresa->Definicoes.GrupoPortes = "'PT'";
    ConjuntoResultados linhas;
    ExtrairEncSemanal(t->ctx, linhas, "C1");
    EXPECT_EQ(linhas.ContarRegistos(), 0);
    EXPECT_EQ(t->Contar(" AND (a.Grupo Not IN ('PT')) "), 1);

    t->ctx.Empresa->Definicoes.GrupoPortes.clear();
    ExtrairEncSemanal(t->ctx, linhas, "C1");
    ASSERT_EQ(linhas.ContarRegistos(), 1);
    EXPECT_EQ(linhas.Texto("Artigo"), "PORTES");
}

TEST_F(Semanal, ClienteComApostrofoEDoisVendedores)
{
    emp.Cliente("O'NEIL", "Cliente Irlandês", "oneil@cli.pt");
    emp.Vendedor("V2", "Rui");
    emp.Cliente("C3", "Sem email", std::nullopt);
    emp.EncomendaCliente(1, "2026-11-01", "O'NEIL", "V1", {{"A1", 1, 10, "V1"}, {"A2", 1, 10, "V2"}});
    emp.EncomendaCliente(2, "2026-11-02", "C3", "V1", {{"A1", 1, 10, "V9"}});  // salesperson unknown
    t = std::make_unique<ContextoTeste>(emp, DataHora(2026, 12, 7));
    ConjuntoResultados clientes;
    ClientesSemana(t->ctx, clientes);
    EXPECT_EQ(tabela(clientes, {"Terceiro", "Nome", "Vendedor", "NomeVendedor", "EmailCliente"}),
              (Tabela{{"C3", "Sem email", "V9", "", ""},
                      {"O'NEIL", "Cliente Irlandês", "V1", "Ana", "oneil@cli.pt"},
                      {"O'NEIL", "Cliente Irlandês", "V2", "Rui", "oneil@cli.pt"}}));
    ConjuntoResultados linhas;
    ExtrairEncSemanal(t->ctx, linhas, "O'NEIL");
    EXPECT_EQ(linhas.ContarRegistos(), 2);
}
