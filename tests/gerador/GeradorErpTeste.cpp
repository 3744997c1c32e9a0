#include "GeradorErp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Apoio.h"
#include "BaseDadosSqlite.h"
#include "data/Erro.h"

namespace {

using namespace quorvelanti::gerador;

OpcoesGerador opcoes(const std::string& saida, long linhas, std::uint64_t semente, const std::string& data = "2026-12-07",
                     bool especial = false)
{
    std::vector<std::string> args = {"--saida", saida, "--linhas", std::to_string(linhas), "--semente",
                                     std::to_string(semente), "--data", data};
    if (especial) args.push_back("--especial");
    return OpcoesGerador::Ler(args);
}

std::string gerar(const apoio::PastaTemporaria& pasta, const std::string& nome, long linhas, std::uint64_t semente,
                  const std::string& data = "2026-12-07", bool especial = false)
{
    const std::string caminho = pasta / nome;
    GeradorErp(opcoes(caminho, linhas, semente, data, especial)).Gerar();
    return caminho;
}

std::vector<std::string> tabelas(BaseDadosSqlite& bd)
{
    std::vector<std::string> nomes;
    InstrucaoSqlite q = bd.Preparar("SELECT name FROM sqlite_master WHERE type = 'table'"
                                    " AND name NOT LIKE 'sqlite%' ORDER BY name");
    while (q.Passo()) nomes.push_back(q.Texto(0));
    return nomes;
}

// Every row of every table, in storage order, with nulls told apart from empty texts.
std::string despejo(const std::string& caminho)
{
    BaseDadosSqlite bd(caminho, BaseDadosSqlite::Modo::Ler);
    std::string saida;
    for (const std::string& tabela : tabelas(bd)) {
        saida += "[" + tabela + "]\n";
        InstrucaoSqlite q = bd.Preparar("SELECT * FROM " + tabela + " ORDER BY rowid");
        while (q.Passo()) {
            for (int c = 0; c < q.Colunas(); ++c) saida += (q.Nulo(c) ? "<null>" : q.Texto(c)) + "|";
            saida += "\n";
        }
    }
    return saida;
}

long numero(BaseDadosSqlite& bd, const std::string& sql) { return std::stol(bd.Valor(sql)); }

constexpr const char* juncao =
    " FROM DOCGCCAB c JOIN DOCGCLIN l ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM"
    " AND c.SERIE = l.SERIE AND c.ANO = l.ANO ";

TEST(GeradorErp, AMesmaSementeDaOsMesmosDadosEOutraSementeOutros)
{
    apoio::PastaTemporaria pasta;
    const std::string primeiro = despejo(gerar(pasta, "a.db", 800, 42));
    const std::string segundo = despejo(gerar(pasta, "b.db", 800, 42));
    const std::string outro = despejo(gerar(pasta, "c.db", 800, 43));
    EXPECT_EQ(primeiro, segundo);
    EXPECT_NE(primeiro, outro);
    EXPECT_GT(primeiro.size(), 50'000u);
}

double partilhaDoDia(BaseDadosSqlite& bd)
{
    return static_cast<double>(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE DATA = '2026-12-07 00:00:00'")) /
           static_cast<double>(numero(bd, "SELECT count(*) FROM DOCGCCAB"));
}

TEST(GeradorErp, OTamanhoPedidoDaExactamenteEssasLinhas)
{
    apoio::PastaTemporaria pasta;
    long documentos[3];
    double doDia[3];
    const long linhas[3] = {300, 1200, 20000};
    for (int i = 0; i < 3; ++i) {
        BaseDadosSqlite bd(gerar(pasta, "e" + std::to_string(i) + ".db", linhas[i], 5), BaseDadosSqlite::Modo::Ler);
        EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCLIN"), linhas[i]);
        documentos[i] = numero(bd, "SELECT count(*) FROM DOCGCCAB");
        doDia[i] = partilhaDoDia(bd);
        // Every line has its header and every header at least one line.
        EXPECT_EQ(numero(bd, std::string("SELECT count(*)") + juncao), linhas[i]);
        EXPECT_EQ(numero(bd, std::string("SELECT count(DISTINCT c.rowid)") + juncao), documentos[i]);
    }
    EXPECT_GT(documentos[1], 3 * documentos[0]);
    EXPECT_LT(documentos[1], 5 * documentos[0]);
    // A large company is not one whose every tenth document falls on the run date.
    EXPECT_GT(doDia[0], 0.04);
    EXPECT_LT(doDia[2], doDia[0] / 3);
    EXPECT_GT(doDia[2], 0.004);
}

TEST(GeradorErp, TodasAsTabelasDoEsquemaTemLinhas)
{
    apoio::PastaTemporaria pasta;
    BaseDadosSqlite bd(gerar(pasta, "t.db", 400, 9), BaseDadosSqlite::Modo::Ler);
    const std::string esquema = apoio::LerBytes(apoio::Fonte("tools/erp/esquema.sql"));
    std::vector<std::string> doEsquema;
    const std::string marca = "CREATE TABLE ";
    for (auto i = esquema.find(marca); i != std::string::npos; i = esquema.find(marca, i + 1)) {
        const auto inicio = i + marca.size();
        doEsquema.push_back(esquema.substr(inicio, esquema.find_first_of(" (", inicio) - inicio));
    }
    std::sort(doEsquema.begin(), doEsquema.end());
    EXPECT_EQ(tabelas(bd), doEsquema);
    for (const std::string& tabela : doEsquema) EXPECT_GT(numero(bd, "SELECT count(*) FROM " + tabela), 0) << tabela;
}

TEST(GeradorErp, ReporUmFicheiroExistenteEFalharSemDeixarNada)
{
    apoio::PastaTemporaria pasta;
    gerar(pasta, "r.db", 500, 1);
    {
        BaseDadosSqlite bd(gerar(pasta, "r.db", 120, 2), BaseDadosSqlite::Modo::Ler);
        EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCLIN"), 120);
    }
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()), std::vector<std::string>{"r.db"});
    // A missing output folder is made.
    GeradorErp(opcoes(pasta / "falta/ainda/x.db", 10, 1)).Gerar();
    EXPECT_EQ(apoio::Ficheiros(pasta / "falta/ainda"), std::vector<std::string>{"x.db"});
    EXPECT_THROW(GeradorErp(opcoes(pasta / "r.db/x.db", 10, 1)).Gerar(), quorvelanti::Erro);
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()), (std::vector<std::string>{"falta", "r.db"}));
}

// The run date 2026-12-07: thirteen months back is 2025-11-07.
TEST(GeradorErp, DatasAVoltaDaDataDaCorrida)
{
    apoio::PastaTemporaria pasta;
    BaseDadosSqlite bd(gerar(pasta, "d.db", 3000, 21), BaseDadosSqlite::Modo::Ler);
    const std::string formato = "'[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] 00:00:00'";
    EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE DATA NOT GLOB " + formato + " OR date(DATA) IS NULL"), 0);
    EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCLIN WHERE DATA NOT GLOB " + formato + " OR date(DATA) IS NULL"), 0);
    EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE ANO <> CAST(strftime('%Y', DATA) AS INT)"), 0);

    // Sales, returns and supplier orders: the thirteen months up to the run date.
    EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE (AREAG = 4 OR TPTERC = 1)"
                         " AND (DATA < '2025-11-07' OR DATA > '2026-12-07 00:00:00')"), 0);
    EXPECT_GT(partilhaDoDia(bd), 0.03) << "a share of the documents lies on the run date";
    EXPECT_LT(partilhaDoDia(bd), 0.2);
    for (const char* condicao : {"AREAG = 4 AND NATCONTA = 1 AND SINALCT = 1", "AREAG = 2 AND TPTERC = 2",
                                 "AREAG = 2 AND TPTERC = 1"})
        EXPECT_GT(numero(bd, std::string("SELECT count(*) FROM DOCGCCAB WHERE DATA = '2026-12-07 00:00:00' AND ") +
                                 condicao),
                  0)
            << condicao;
    EXPECT_GT(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE SINALCT = 2 AND DATA >= '2026-12-01'"), 0);
    // Returns lower the month's sales without outweighing them.
    EXPECT_LT(10 * numero(bd, std::string("SELECT sum(l.VALOR)") + juncao + "WHERE c.SINALCT = 2"),
              numero(bd, std::string("SELECT CAST(sum(l.VALOR) AS INT)") + juncao + "WHERE c.AREAG = 4 AND c.SINALCT = 1"));

    // Client orders: pending since before June 2020 and up to a month ahead of the run date.
    EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE DATA < '2019-11-01' OR DATA > '2027-01-07'"), 0);
    EXPECT_GT(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE TPTERC = 2 AND AREAG = 2 AND [CONVERT] = 0"
                         " AND DATA < '2020-06-01'"), 0);
    EXPECT_GT(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE TPTERC = 2 AND AREAG = 2 AND [CONVERT] = 0"
                         " AND DATA BETWEEN '2020-06-01' AND '2025-11-07'"), 0);
    EXPECT_GT(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE TPTERC = 2 AND DATA > '2026-12-07 00:00:00'"), 0);
    // A line's delivery date never comes before its order.
    EXPECT_EQ(numero(bd, std::string("SELECT count(*)") + juncao + "WHERE l.DATA < c.DATA"), 0);
}

TEST(GeradorErp, DatasNoFimDeFevereiroDeUmAnoBissexto)
{
    apoio::PastaTemporaria pasta;
    BaseDadosSqlite bd(gerar(pasta, "f.db", 1500, 4, "2028-02-29"), BaseDadosSqlite::Modo::Ler);
    EXPECT_EQ(bd.Valor("SELECT min(DATA) FROM DOCGCCAB WHERE AREAG = 4") >= "2027-01-29", true);
    EXPECT_EQ(bd.Valor("SELECT max(DATA) FROM DOCGCCAB WHERE AREAG = 4"), "2028-02-29 00:00:00");
    EXPECT_EQ(numero(bd, "SELECT count(*) FROM DOCGCCAB WHERE date(DATA) IS NULL"), 0);
}

TEST(GeradorErp, ConteudoQueOsRelatoriosPrecisam)
{
    apoio::PastaTemporaria pasta;
    BaseDadosSqlite bd(gerar(pasta, "c.db", 2000, 8), BaseDadosSqlite::Modo::Ler);
    auto existe = [&](const std::string& sql) { return numero(bd, "SELECT count(*) " + sql) > 0; };

    EXPECT_EQ(numero(bd, "SELECT count(*) FROM VENDEDOR"), 6);
    EXPECT_TRUE(existe("FROM DOCGCLIN WHERE VENDEDOR = 'EXT'"));
    EXPECT_FALSE(existe("FROM VENDEDOR WHERE CODIGO = 'EXT'"));
    EXPECT_TRUE(existe(std::string(juncao) + "WHERE c.AREAG = 4 GROUP BY c.rowid HAVING count(DISTINCT l.VENDEDOR) > 1"))
        << "a document split between two salespeople";

    EXPECT_TRUE(existe("FROM Clientes WHERE Email_Envio_Documentos LIKE '%@exemplo.pt'"));
    EXPECT_TRUE(existe("FROM Clientes WHERE Email_Envio_Documentos IS NULL"));
    EXPECT_TRUE(existe("FROM Clientes WHERE Email_Envio_Documentos = ''"));
    EXPECT_TRUE(existe("FROM DOCGCCAB WHERE TPTERC = 2 AND TERCEIRO NOT IN (SELECT Codigo FROM Clientes)"));

    EXPECT_EQ(numero(bd, "SELECT count(*) FROM ARTIGOS WHERE Grupo = 'PORTES' AND artoudes <> -1"), 0);
    EXPECT_TRUE(existe("FROM ARTIGOS WHERE artoudes = -1 AND Grupo <> 'PORTES'"));
    EXPECT_TRUE(existe("FROM ARTIGOS WHERE INACTIVO = 1"));
    EXPECT_TRUE(existe("FROM ARTIGOS WHERE length(CODIGO) > 15"));
    EXPECT_TRUE(existe(std::string(juncao) + "JOIN ARTIGOS a ON a.CODIGO = l.ARTIGO WHERE a.Grupo = 'PORTES'"
                                             " AND c.AREAG = 4 AND c.DATA = '2026-12-07 00:00:00'"));
    EXPECT_EQ(bd.Valor("SELECT group_concat(ARMAZEM) FROM (SELECT DISTINCT ARMAZEM FROM ARTARM ORDER BY 1)"),
              "001,002,005,016");

    EXPECT_TRUE(existe("FROM DOCGCCAB WHERE TPTERC = 2 AND AREAG = 2 AND SERIE = '0'"));
    EXPECT_TRUE(existe("FROM DOCGCCAB WHERE NVIAS = -1"));
    EXPECT_TRUE(existe("FROM DOCGCLIN WHERE ARTIGO = ''"));
    EXPECT_TRUE(existe("FROM U_DOCGCLIN WHERE Obs GLOB 'Previsto [0-3][0-9]-[01][0-9]-20[0-9][0-9]'"));
    EXPECT_FALSE(existe("FROM U_DOCGCLIN u WHERE NOT EXISTS (SELECT 1 FROM DOCGCLIN l JOIN DOCGCCAB c"
                        " ON c.NNUMDOC = l.NNUMDOC AND c.TPDOC = l.TPDOCUM AND c.SERIE = l.SERIE AND c.ANO = l.ANO"
                        " WHERE c.TPTERC = 1 AND l.TPDOCUM = u.TPDOCUM AND l.SERIE = u.SERIE"
                        " AND l.NNUMDOC = u.NNUMDOC AND l.ANO = u.ANO AND l.NUMLINHA = u.NumLinha)"))
        << "notes belong to supplier-order lines";

    // Values agree with quantity, price and discount; delivered orders have nothing pending.
    EXPECT_FALSE(existe("FROM DOCGCLIN WHERE abs(VALOR - round(QUANT * PRUNIT * (1 - TXDESC / 100.0), 2)) > 0.006"
                        " OR abs(ValorO - round(QTDORIG * PRUNIT * (1 - TXDESC / 100.0), 2)) > 0.006"));
    EXPECT_FALSE(existe("FROM DOCGCLIN WHERE QUANT > QTDORIG OR QUANT < 0"));
    EXPECT_FALSE(existe(std::string(juncao) + "WHERE c.[CONVERT] = 1 AND c.AREAG = 2 AND l.QUANT <> 0"));
    EXPECT_TRUE(existe(std::string(juncao) + "WHERE c.AREAG = 4 AND l.VlMovstk > 0 AND l.VlMovstk < l.VALOR"));
    EXPECT_EQ(numero(bd, "SELECT count(*) FROM (SELECT 1 FROM DOCGCCAB GROUP BY TPDOC, SERIE, NNUMDOC, ANO"
                         " HAVING count(*) > 1)"), 0);
}

TEST(GeradorErp, AEmpresaEspecialTemOContribuinte599999990)
{
    apoio::PastaTemporaria pasta;
    BaseDadosSqlite especial(gerar(pasta, "s.db", 100, 3, "2026-12-07", true), BaseDadosSqlite::Modo::Ler);
    BaseDadosSqlite normal(gerar(pasta, "n.db", 100, 3), BaseDadosSqlite::Modo::Ler);
    EXPECT_EQ(especial.Valor("SELECT NumContr FROM EMPRESA"), "599999990");
    const std::string nif = normal.Valor("SELECT NumContr FROM EMPRESA");
    EXPECT_EQ(nif.size(), 9u);
    EXPECT_NE(nif, "599999990");
    EXPECT_EQ(numero(normal, "SELECT count(*) FROM EMPRESA"), 1);
}

TEST(GeradorErp, CodigosDeVendedorCrescemComONumeroDeVendedores)
{
    EXPECT_EQ(GeradorErp::CodigoVendedor(1, 6), "V01");
    EXPECT_EQ(GeradorErp::CodigoVendedor(80, 80), "V80");
    EXPECT_EQ(GeradorErp::CodigoVendedor(7, 150), "V007");
}

}  // namespace
