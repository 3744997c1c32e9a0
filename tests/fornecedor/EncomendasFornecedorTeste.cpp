// The client-supplier orders table built from a company database.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "EmpresaEncomendas.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "reports/daily/EncomendasFornecedor.h"
#include "reports/daily/EncomendasFornecedorConsultas.h"

using namespace quorvelanti;
using teste::ContextoTeste;
using teste::EmpresaEncomendas;

namespace {

const DataHora Agora(2026, 12, 7, 23, 4, 59);

// The chosen fields of every row, in the table's order.
std::vector<std::vector<std::string>> linhas(ConjuntoResultados rs, const std::vector<std::string>& campos)
{
    std::vector<std::vector<std::string>> resultado;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) {
        std::vector<std::string> linha;
        for (const auto& c : campos) linha.push_back(rs.Texto(c));
        resultado.push_back(linha);
    }
    return resultado;
}

class EncomendasFornecedor : public ::testing::Test {
protected:
    EncomendasFornecedor() : emp(pasta / "emp.db")
    {
        emp.Cliente("C1", "Cliente Um", "c1@cli.pt");
        emp.Vendedor("V1", "Vendedora Ana");
    }

    // Runs the report as the daily driver does, from the clock one year back.
    ConjuntoResultados extrair()
    {
        t = std::make_unique<ContextoTeste>(emp, Agora);
        return ExtrairEncomendasFornecedorBDC(t->ctx, Agora.MenosUmAno().Formatar("dd-mm-yyyy hh:mm:ss"));
    }

    apoio::PastaTemporaria pasta;
    EmpresaEncomendas emp;
    std::unique_ptr<ContextoTeste> t;
};

}  // namespace

TEST_F(EncomendasFornecedor, SemEncomendasDaOQuadroVazioDesdeODiaUmAnoAntes)
{
    emp.Artigo("A1", "Artigo Um");
    emp.EncomendaCliente(1, "2025-12-06", "C1", "V1", {{"A1", 4}});  // one day before the start
    const auto rs = extrair();
    EXPECT_EQ(t->Contar("CONVERT(DATETIME, '2025-12-07', 102)"), 1);
    EXPECT_EQ(rs.ContarRegistos(), 0);
    EXPECT_EQ(rs.NumeroCampos(), 9u);
    EXPECT_EQ(t->Contar("ARTARM"), 0);  // no lookups at all
}

TEST_F(EncomendasFornecedor, DataInicioDe29DeFevereiroE28DoAnoAnterior)
{
    t = std::make_unique<ContextoTeste>(emp, DataHora(2028, 2, 29, 8, 0, 0));
    ExtrairEncomendasFornecedorBDC(t->ctx, DataHora(2028, 2, 29, 8, 0, 0).MenosUmAno().Formatar("dd-mm-yyyy hh:mm:ss"));
    EXPECT_EQ(t->Contar("CONVERT(DATETIME, '2027-02-28', 102)"), 1);
}

TEST_F(EncomendasFornecedor, StockDezComLinhasDeQuatroPorOrdemDeData)
{
    emp.Artigo("A1", "Artigo Um");
    emp.Stock("A1", "001", 6);
    emp.Stock("A1", "016", 5, 1);  // 6 + 5 - 1 = 10
    emp.Stock("A1", "003", 100);   // other warehouses do not count
    // Created out of date order: the allocation follows the dates, not the insertion.
    emp.EncomendaCliente(3, "2026-12-03", "C1", "V1", {{"A1", 4}});
    emp.EncomendaCliente(1, "2026-12-01", "C1", "V1", {{"A1", 4}});
    emp.EncomendaCliente(2, "2026-12-02", "C1", "V1", {{"A1", 4}});
    emp.EncomendaFornecedor(9, "2026-11-01", {{"A1", 5}}, "Semana 50");
    emp.EncomendaFornecedor(8, "2025-10-01", {{"A1", 50}}, std::nullopt);  // before the start date
    const auto rs = extrair();
    EXPECT_EQ(linhas(rs, {"Data", "Doc.", "Quant", "Disponibilidade", "Prazo Estimado"}),
              (std::vector<std::vector<std::string>>{
                  {" 2026-12-01", "ECL/2026/A/1/1", "4", "Em Stock", "Imediata"},
                  {" 2026-12-02", "ECL/2026/A/2/1", "4", "Em Stock", "Imediata"},
                  {" 2026-12-03", "ECL/2026/A/3/1", "4", "2  em Stock   2 Enc.For", "Imediata"},
              }));
}

TEST_F(EncomendasFornecedor, SemStockEncomendasDeCincoELinhaTardiaImediataSemDisponibilidade)
{
    emp.Artigo("A1", "Artigo Um");
    emp.EncomendaCliente(1, "2026-12-01", "C1", "V1", {{"A1", 3}});
    emp.EncomendaCliente(2, "2026-12-02", "C1", "V1", {{"A1", 3}});
    emp.EncomendaCliente(3, "2026-12-03", "C1", "V1", {{"A1", 3}});
    emp.EncomendaFornecedor(7, "2026-11-01", {{"A1", 2}}, "Antiga");
    emp.EncomendaFornecedor(8, "2026-11-20", {{"A1", 3}}, "Semana 51");
    emp.EncomendaFornecedor(9, "2026-11-30", {{"A1", 0.001}}, std::nullopt);  // latest, but no note row
    emp.Artigo("B2", "Artigo Dois");
    emp.Stock("B2", "002", 5);
    emp.EncomendaCliente(4, "2026-12-01", "C1", "V1", {{"B2", 3}});
    emp.EncomendaCliente(5, "2026-12-02", "C1", "V1", {{"B2", 3}});
    emp.EncomendaCliente(6, "2026-12-04", "C1", "V1", {{"B2", 3}});
    auto rs = extrair();
    rs.Filtrar("Artigo", "A1");
    // E = 2 + 3 + 0.001: T(x) keeps the decimals the amount has.
    EXPECT_EQ(linhas(rs, {"Disponibilidade", "Prazo Estimado"}),
              (std::vector<std::vector<std::string>>{
                  {"  3 Enc.For", "Semana 51"}, {"  2,001  Enc.For", "Semana 51"}, {"", "Semana 51"}}));
    rs.Filtrar("Artigo", "B2");
    // Each line alone fits the stock of 5, so all are "Imediata", whatever the allocation says.
    EXPECT_EQ(linhas(rs, {"Disponibilidade", "Prazo Estimado"}),
              (std::vector<std::vector<std::string>>{{"Em Stock", "Imediata"}, {"2  em Stock ", "Imediata"}, {"", "Imediata"}}));
    rs.LimparFiltro();
    const auto datas = linhas(rs, {"Data"});
    EXPECT_TRUE(std::is_sorted(datas.begin(), datas.end()));
}

TEST_F(EncomendasFornecedor, NomesCortadosCodigoENotaInteiros)
{
    const std::string codigoLongo = "ARTIGO-COM-17-CAR";
    const std::string nomeLongo(100, 'n');
    emp.Cliente("C2", std::string(90, 'c'), "c2@cli.pt");
    emp.Vendedor("V2", std::string(45, 'v'));
    emp.Artigo(codigoLongo, nomeLongo);
    emp.Stock(codigoLongo, "001", 1);
    emp.EncomendaCliente(1234567, "2026-12-01", "C2", "V2", {{codigoLongo, 3}}, "SERIEX");
    emp.EncomendaFornecedor(7, "2026-11-01", {{codigoLongo, 5}}, std::string(200, 'x'));
    const auto rs = extrair();
    ASSERT_EQ(rs.ContarRegistos(), 1);
    // The whole code: the allocation finds the line and gives it the stock it has.
    EXPECT_EQ(linhas(rs, {"Doc.", "Artigo", "Disponibilidade"}).front(),
              (std::vector<std::string>{"ECL/2026/SERIEX/1234", codigoLongo, "1  em Stock   2 Enc.For"}));
    EXPECT_EQ(rs.Texto("Nome Cliente"), std::string(80, 'c'));
    EXPECT_EQ(rs.Texto("Nome Vendedor"), std::string(40, 'v'));
    EXPECT_EQ(rs.Texto("Nome Artigo"), std::string(80, 'n'));
    // The supplier's note whole, past the column's 160 characters.
    EXPECT_EQ(rs.Texto("Prazo Estimado"), std::string(200, 'x'));
}

TEST_F(EncomendasFornecedor, CodigoComApostrofoEProcuradoEAlocado)
{
    emp.Artigo("O'BRIEN", "Artigo Irlandês");
    emp.Stock("O'BRIEN", "001", 2);
    emp.EncomendaCliente(1, "2026-12-01", "C1", "", {{"O'BRIEN", 1.5}});
    emp.EncomendaCliente(2, "2026-12-02", "C1", "", {{"O'BRIEN", 1}});
    const auto rs = extrair();
    EXPECT_EQ(linhas(rs, {"Artigo", "Nome Vendedor", "Disponibilidade", "Prazo Estimado"}),
              (std::vector<std::vector<std::string>>{{"O'BRIEN", "", "Em Stock", "Imediata"},
                                                     {"O'BRIEN", "", "0,5  em Stock ", "Imediata"}}));
}

TEST_F(EncomendasFornecedor, ExcluiDocumentosForaDoCriterioEIncluiFuturos)
{
    emp.Artigo("A1", "Artigo Um");
    emp.Artigo("D1", "Descritivo", "G1", 0, 1);  // not an article: ArtouDes 1
    emp.EncomendaCliente(1, "2025-12-07", "C1", "V1", {{"A1", 1}});   // exactly on the start date
    emp.EncomendaCliente(2, "2027-01-15", "C1", "V1", {{"A1", 1}});   // future
    emp.EncomendaCliente(3, "2026-12-01", "C1", "V1", {{"A1", 1}}, "0");  // series "0"
    emp.EncomendaCliente(4, "2026-12-01", "C1", "V1", {{"D1", 1}});
    emp.EncomendaCliente(5, "2026-12-01", "C1", "V1", {{"A1", 0}});   // no quantity
    emp.EncomendaCliente(6, "2026-12-01", "C9", "V1", {{"A1", 1}});   // unknown client
    const auto rs = extrair();
    EXPECT_EQ(linhas(rs, {"Data", "Doc."}),
              (std::vector<std::vector<std::string>>{{" 2025-12-07", "ECL/2025/A/1/1"}, {" 2027-01-15", "ECL/2027/A/2/1"}}));
}

TEST_F(EncomendasFornecedor, ConsultasPorArtigoReutilizadasComOMesmoQuadro)
{
    for (const char* a : {"A1", "A2"}) emp.Artigo(a, std::string("Artigo ") + a);
    emp.Stock("A1", "001", 2);
    for (int i = 1; i <= 6; ++i)
        emp.EncomendaCliente(i, "2026-12-0" + std::to_string(i), "C1", "V1", {{"A1", 1.0 * i}, {"A2", 1}});
    emp.EncomendaFornecedor(9, "2026-11-01", {{"A1", 4}, {"A2", 4}}, "Janeiro");

    const auto comReutilizacao = extrair();
    EXPECT_EQ(t->Contar("as stock  from ARTARM"), 2);                  // once per article
    EXPECT_EQ(t->Contar("SELECT TOP(1) ll.Obs as DataPrev"), 2);
    EXPECT_EQ(t->Contar("as Existencia from ArtArm"), 2);
    EXPECT_EQ(t->Contar("as Qtd "), 2);
    const auto campos = std::vector<std::string>{"Data", "Doc.", "Artigo", "Disponibilidade", "Prazo Estimado"};
    const auto esperado = linhas(comReutilizacao, campos);

    t->ctx.Empresa->Ligacao->DefinirRegistoSql(t->registo / "sem.txt");
    ConsultasArtigo semReutilizacao(*t->ctx.Empresa->Ligacao, false);
    const ConjuntoResultados rs =
        ExtrairEncomendasFornecedorBDC(t->ctx, Agora.MenosUmAno().Formatar("dd-mm-yyyy hh:mm:ss"), semReutilizacao);
    EXPECT_EQ(linhas(rs, campos), esperado);
    const std::string sem = apoio::LerBytes(t->registo / "sem.txt");
    std::size_t porLinha = 0;
    for (std::size_t p = 0; (p = sem.find("as stock  from ARTARM", p)) != std::string::npos; ++p) ++porLinha;
    EXPECT_EQ(porLinha, 12u);  // one per line without reuse
}

// Forty articles' lookups in flight on several connections: the table and the trace are those of
// one statement at a time, and nothing is sent that is not asked for. When one article's stock
// cannot be read, the report fails with that statement's own error, as one at a time, its trace
// up to it is the same, and no statement went twice.
TEST_F(EncomendasFornecedor, ConsultasEmCursoComoUmaDeCadaVezMesmoQuandoUmaFalha)
{
    for (int i = 1; i <= 40; ++i) {
        const std::string artigo = "A" + std::to_string(100 + i);
        emp.Artigo(artigo, "Artigo " + artigo);
        emp.Stock(artigo, "001", i % 3);
        emp.EncomendaCliente(i, "2026-12-01", "C1", "V1", {{artigo, 2}});
    }
    emp.EncomendaFornecedor(90, "2026-11-01", {{"A101", 4}, {"A102", 4}}, "Janeiro");
    struct Corrida {
        std::string tabela, erro;
        std::vector<std::string> instrucoes;
        long enviadas = 0;
    };
    const auto correr = [&](int ligacoes) {
        t = std::make_unique<ContextoTeste>(emp, Agora);
        LigacaoBD& ligacao = *t->ctx.Empresa->Ligacao;
        ligacao.AbrirLigacao("Motor=SQLite;Database={" + emp.Caminho() + "};LigacoesConsulta=" + std::to_string(ligacoes));
        Corrida c;
        try {
            const auto rs = ExtrairEncomendasFornecedorBDC(t->ctx, Agora.MenosUmAno().Formatar("dd-mm-yyyy hh:mm:ss"));
            for (const auto& linha : linhas(rs, {"Artigo", "Disponibilidade", "Prazo Estimado"}))
                c.tabela += linha[0] + "|" + linha[1] + "|" + linha[2] + "\n";
        } catch (const Erro& erro) {
            c.erro = erro.DescricaoCompleta();
        }
        c.instrucoes = t->Instrucoes();
        c.enviadas = ligacao.ConsultasEnviadas();
        return c;
    };

    const Corrida uma = correr(1), oito = correr(8);
    EXPECT_EQ(oito.erro, "");
    EXPECT_EQ(oito.tabela, uma.tabela);
    EXPECT_EQ(oito.instrucoes, uma.instrucoes);
    EXPECT_EQ(oito.enviadas, static_cast<long>(oito.instrucoes.size()));
    EXPECT_EQ(uma.instrucoes.size(), 1u + 40 * 3 + 27);  // the lines; stock, existence, ordered; 27 short of 2

    emp.Executar("ALTER TABLE ARTARM RENAME TO ARTARM_T");
    emp.Executar("CREATE VIEW ARTARM AS SELECT ARTIGO, ARMAZEM, CASE WHEN ARTIGO = 'A120' THEN json('{') ELSE "
                 "EXISTENC END AS EXISTENC, ArmEncCl FROM ARTARM_T");
    const Corrida falhaUma = correr(1), falhaOito = correr(8);
    EXPECT_NE(falhaUma.erro, "");
    EXPECT_EQ(falhaOito.erro, falhaUma.erro);
    EXPECT_EQ(falhaOito.instrucoes, falhaUma.instrucoes);
    EXPECT_NE(falhaOito.instrucoes.back().find("'A120'"), std::string::npos) << falhaOito.instrucoes.back();
    const std::set<std::string> distintas(falhaOito.instrucoes.begin(), falhaOito.instrucoes.end());
    EXPECT_EQ(distintas.size(), falhaOito.instrucoes.size());
    EXPECT_LE(falhaOito.enviadas, static_cast<long>(uma.instrucoes.size()));
}
