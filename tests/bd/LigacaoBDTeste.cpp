// Every database test is written once and run on each engine: native SQLite, SQLite through the
// ODBC driver manager, and SQL Server when QUORVELANTI_TEST_MSSQL holds a connection string.
#include "components/database/LigacaoBD.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "Apoio.h"
#include "EmpresaTeste.h"
#include "data/Erro.h"

using namespace quorvelanti;

namespace {

struct Motor {
    std::string nome;
    bool sqlite;  // a file of ours: it can be missing, and the ERP schema can be put in it
    // The SQLite ODBC driver gives every computed text column the size 255.
    bool tamanhoDeExpressoes = true;
};

void PrintTo(const Motor& motor, std::ostream* os) { *os << motor.nome; }

class BaseDados : public ::testing::TestWithParam<Motor> {
protected:
    void SetUp() override
    {
        if (GetParam().sqlite) {
            empresa_ = std::make_unique<apoio::EmpresaTeste>(pasta_ / "emp.db", false);
            empresa_->Fechar();
        } else if (!std::getenv("QUORVELANTI_TEST_MSSQL")) {
            GTEST_SKIP() << "QUORVELANTI_TEST_MSSQL não definido";
        }
        ligacao_.AbrirLigacao(TextoPara(pasta_ / "emp.db"));
        tabela_ = GetParam().sqlite ? "qv_tipos" : "#qv_tipos";
    }

    std::string TextoPara(const std::string& ficheiro) const
    {
        const std::string& nome = GetParam().nome;
        if (nome == "SQLite") return "Motor=SQLite;Database={" + ficheiro + "}";
        if (nome == "SQLiteODBC") return "Driver=SQLite3;Database={" + ficheiro + "};NoCreat=1";
        return std::getenv("QUORVELANTI_TEST_MSSQL");
    }

    void CriarTabela()
    {
        ConjuntoResultados rs;
        ligacao_.AbrirConsulta("CREATE TABLE " + tabela_ +
                                       " (i INT, f FLOAT, m MONEY, d DECIMAL(18,3), dt DATETIME, t NVARCHAR(12))",
                               rs);
        ligacao_.AbrirConsulta("INSERT INTO " + tabela_ +
                                       " VALUES (1, 2.5, 12.3456, 1.005, '2024-05-03T10:20:30', 'olá')", rs);
        ligacao_.AbrirConsulta("INSERT INTO " + tabela_ + " VALUES (2, 3, 7, 2, '2024-05-04T00:00:00', 'x')", rs);
        ligacao_.AbrirConsulta("INSERT INTO " + tabela_ + " VALUES (NULL, NULL, NULL, NULL, NULL, NULL)", rs);
    }

    apoio::PastaTemporaria pasta_;
    std::unique_ptr<apoio::EmpresaTeste> empresa_;
    LigacaoBD ligacao_;
    std::string tabela_;
};

// Aliases holding '.' ('Id. Doc.') are checked on the report statements: the SQLite ODBC driver
// loses some of them.
TEST_P(BaseDados, ColunasTomamOsNomesDosAliasesPelaOrdem)
{
    CriarTabela();
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT t as 'Nome Cliente', i as Codigo, f AS 'Designação Artigo' FROM " + tabela_ +
                                   " WHERE i = 1", rs);
    ASSERT_EQ(rs.NumeroCampos(), 3u);
    EXPECT_EQ(rs.CampoEm(0).nome, "Nome Cliente");
    EXPECT_EQ(rs.CampoEm(1).nome, "Codigo");
    EXPECT_EQ(rs.CampoEm(2).nome, "Designação Artigo");
    ASSERT_EQ(rs.ContarRegistos(), 1);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("nome cliente"), "olá");
}

TEST_P(BaseDados, TiposDeclaradosDaoCodigosEValoresDeUmSoTipo)
{
    CriarTabela();
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT i, f, m, d, dt, t FROM " + tabela_ + " ORDER BY i DESC", rs);
    ASSERT_EQ(rs.NumeroCampos(), 6u);
    EXPECT_EQ(rs.CampoEm(0).tipo, TipoCampo::Inteiro);
    EXPECT_EQ(rs.CampoEm(1).tipo, TipoCampo::Duplo);
    EXPECT_EQ(rs.CampoEm(2).tipo, TipoCampo::Moeda);
    EXPECT_EQ(rs.CampoEm(3).tipo, TipoCampo::Numerico);
    EXPECT_EQ(rs.CampoEm(4).tipo, TipoCampo::DataHora);
    EXPECT_EQ(rs.CampoEm(5).tipo, TipoCampo::Texto);
    EXPECT_EQ(rs.CampoEm(5).tamanho, 12);
    ASSERT_EQ(rs.ContarRegistos(), 3);

    rs.MoverPrimeiro();  // i = 2: whole numbers stored in MONEY, DECIMAL and FLOAT columns
    EXPECT_EQ(std::get<std::int64_t>(rs.ValorDe("i")), 2);
    EXPECT_EQ(std::get<double>(rs.ValorDe("f")), 3.0);
    EXPECT_EQ(std::get<Moeda>(rs.ValorDe("m")), Moeda::DeUnidades(7));
    EXPECT_EQ(std::get<Moeda>(rs.ValorDe("d")), Moeda::DeUnidades(2));
    EXPECT_EQ(std::get<DataHora>(rs.ValorDe("dt")), DataHora(2024, 5, 4));

    rs.MoverSeguinte();  // i = 1: fractions
    EXPECT_EQ(std::get<double>(rs.ValorDe("f")), 2.5);
    EXPECT_EQ(std::get<Moeda>(rs.ValorDe("m")), Moeda::DeTexto("12.3456"));
    EXPECT_EQ(std::get<Moeda>(rs.ValorDe("d")), Moeda::DeTexto("1.005"));
    EXPECT_EQ(std::get<DataHora>(rs.ValorDe("dt")), DataHora(2024, 5, 3, 10, 20, 30));
    EXPECT_EQ(std::get<std::string>(rs.ValorDe("t")), "olá");

    rs.MoverSeguinte();  // all nulls, same field types
    for (std::size_t c = 0; c < rs.NumeroCampos(); ++c) EXPECT_TRUE(ENulo(rs.ValorDe(c))) << c;
    EXPECT_EQ(rs.Texto("t"), "");
}

TEST_P(BaseDados, ExpressoesSemTipoDeclaradoTipadasPelosValores)
{
    CriarTabela();
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT i + 1 as soma, 'abcd' as texto, f * 2 as dobro FROM " + tabela_ +
                                   " WHERE i IS NOT NULL ORDER BY i", rs);
    ASSERT_EQ(rs.ContarRegistos(), 2);
    EXPECT_EQ(rs.CampoEm(0).tipo, TipoCampo::Inteiro);
    EXPECT_TRUE(rs.CampoEm(1).tipo == TipoCampo::Texto || rs.CampoEm(1).tipo == TipoCampo::TextoFixo);
    if (GetParam().tamanhoDeExpressoes) {
        EXPECT_EQ(rs.CampoEm(1).tamanho, 4);
    }
    EXPECT_EQ(rs.CampoEm(2).tipo, TipoCampo::Duplo);
    rs.MoverPrimeiro();
    EXPECT_EQ(std::get<std::int64_t>(rs.ValorDe("soma")), 2);
    EXPECT_EQ(std::get<std::string>(rs.ValorDe("texto")), "abcd");
    EXPECT_EQ(std::get<double>(rs.ValorDe("dobro")), 5.0);
    rs.MoverSeguinte();
    // 3 * 2 comes back as a whole number; the column still gives a double.
    EXPECT_EQ(std::get<double>(rs.ValorDe("dobro")), 6.0);
}

TEST_P(BaseDados, ConsultaSemLinhasTemOsCampos)
{
    CriarTabela();
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT i, t FROM " + tabela_ + " WHERE 1 = 0", rs);
    EXPECT_EQ(rs.NumeroCampos(), 2u);
    EXPECT_EQ(rs.ContarRegistos(), 0);
    EXPECT_TRUE(rs.FimDados());
}

TEST_P(BaseDados, SqlErradoDaErroComAMensagemDoMotor)
{
    ConjuntoResultados rs;
    try {
        ligacao_.AbrirConsulta("SELECT x FROM tabela_inexistente", rs);
        FAIL() << "sem erro";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::ConsultaFalhou);
        EXPECT_NE(e.Descricao().find("tabela_inexistente"), std::string::npos) << e.Descricao();
        EXPECT_NE(e.Detalhe().find("tabela_inexistente"), std::string::npos) << e.Detalhe();
    }
    // The connection survives a failed statement.
    ligacao_.AbrirConsulta("SELECT 1 as um", rs);
    EXPECT_EQ(rs.ContarRegistos(), 1);
}

TEST_P(BaseDados, DuasInstrucoesNumTextoNaoPerdemASegunda)
{
    CriarTabela();
    ConjuntoResultados rs;
    bool falhou = false;
    try {
        ligacao_.AbrirConsulta("DELETE FROM " + tabela_ + " WHERE i = 1; DELETE FROM " + tabela_ + " WHERE i = 2", rs);
    } catch (const Erro&) {
        falhou = true;
    }
    ligacao_.AbrirConsulta("SELECT count(*) as n FROM " + tabela_ + " WHERE i IN (1, 2)", rs);
    rs.MoverPrimeiro();
    // Either both ran, or the text was refused and none did: never only the first.
    EXPECT_EQ(ValorComoTexto(rs.ValorDe("n")), falhou ? "2" : "0");
}

TEST_P(BaseDados, LigacaoFechadaRecusaConsultas)
{
    ConjuntoResultados rs;
    EXPECT_TRUE(ligacao_.Aberta());
    ligacao_.FecharLigacao();
    EXPECT_FALSE(ligacao_.Aberta());
    try {
        ligacao_.AbrirConsulta("SELECT 1 as um", rs);
        FAIL() << "sem erro";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::LigacaoFechada);
    }
}

TEST_P(BaseDados, ContaERegistaCadaInstrucaoComoConstruida)
{
    std::string registo = pasta_ / "trace.sql";
    ligacao_.DefinirRegistoSql(registo);
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT 1 as um,\n 'a' as dois", rs);
    ligacao_.AbrirConsulta("SELECT 2 as tres", rs);
    EXPECT_EQ(ligacao_.ConsultasExecutadas(), 2);
    EXPECT_EQ(apoio::LerBytes(registo), "SELECT 1 as um,  'a' as dois\nSELECT 2 as tres\n");
}

// Letters outside ASCII inside a statement reach the engine as written: a group left out by its
// name stays out, a client code with an accent finds its rows, and aliases come back whole.
TEST_P(BaseDados, LetrasForaDeAsciiNaInstrucaoComparamComoEscritas)
{
    const std::string t = GetParam().sqlite ? "qv_grupos" : "#qv_grupos";
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("CREATE TABLE " + t + " (cliente NVARCHAR(10), grupo NVARCHAR(10), valor INT)", rs);
    ligacao_.AbrirConsulta("INSERT INTO " + t + " VALUES ('CÇ1','SERVIÇOS',1),('CÇ1','G1',2),('C1','PORTES',4),('C1','G1',8)", rs);
    ligacao_.AbrirConsulta("SELECT sum(valor) as 'Soma €' FROM " + t + " WHERE grupo NOT IN ('PORTES','SERVIÇOS')", rs);
    ASSERT_EQ(rs.NumeroCampos(), 1u);
    EXPECT_EQ(rs.CampoEm(0).nome, "Soma €");
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("Soma €"), "10");
    ligacao_.AbrirConsulta("SELECT grupo as 'Designação' FROM " + t + " WHERE cliente = 'CÇ1' ORDER BY valor", rs);
    ASSERT_EQ(rs.ContarRegistos(), 2);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("Designação"), "SERVIÇOS");
}

// A statement still running after TimeoutConsulta is cancelled and says so, on every engine.
TEST_P(BaseDados, InstrucaoAlemDoTimeoutConsultaECancelada)
{
    if (GetParam().nome == "SQLiteODBC") GTEST_SKIP() << "o controlador ODBC do SQLite só limita esperas por trincos";
    LigacaoBD curta;
    curta.AbrirLigacao(TextoPara(pasta_ / "emp.db") + ";TimeoutConsulta=1");
    const std::string semFim = GetParam().sqlite ? "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                                                   "SELECT count(*) AS n FROM c"
                                                 : "WAITFOR DELAY '00:00:30'";
    ConjuntoResultados rs;
    const auto inicio = std::chrono::steady_clock::now();
    try {
        curta.AbrirConsulta(semFim, rs);
        FAIL() << "a instrução sem fim terminou";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::TempoConsultaEsgotado) << e.DescricaoCompleta();
        EXPECT_NE(e.Descricao().find("TimeoutConsulta (1 s)"), std::string::npos) << e.Descricao();
        EXPECT_NE(e.Descricao().find(semFim.substr(0, 20)), std::string::npos) << e.Descricao();
    }
    const double segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    EXPECT_GE(segundos, 0.9);
    EXPECT_LT(segundos, 4.0);
}

TEST_P(BaseDados, FicheiroInexistenteFalhaSemCriarNada)
{
    if (!GetParam().sqlite) GTEST_SKIP() << "só para ficheiros";
    std::string falta = pasta_ / "nao_existe.db";
    LigacaoBD outra;
    try {
        outra.AbrirLigacao(TextoPara(falta));
        FAIL() << "sem erro";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::LigacaoFalhou);
        EXPECT_NE(e.DescricaoCompleta().find("nao_existe.db"), std::string::npos) << e.DescricaoCompleta();
    }
    EXPECT_FALSE(outra.Aberta());
    EXPECT_FALSE(apoio::Existe(falta));
}

TEST_P(BaseDados, TextoLongoLidoInteiro)
{
    if (!GetParam().sqlite) GTEST_SKIP() << "só para ficheiros";
    std::string longo;
    for (int i = 0; i < 5001; ++i) longo += i % 100 == 99 ? "|" : "ç";  // crosses every read buffer
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("CREATE TABLE longos (t TEXT)", rs);
    ligacao_.AbrirConsulta("INSERT INTO longos VALUES ('" + longo + "')", rs);
    ligacao_.AbrirConsulta("SELECT t FROM longos", rs);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("t"), longo);
    EXPECT_EQ(rs.CampoEm(0).tipo, TipoCampo::Texto);
}

// What a legacy program left in a company file: Windows-1252 bytes, a U+FFFE, a lone surrogate
// half. Each text comes out readable and carriable by XML; money beyond the currency's range is
// an error that names the field, never a wrapped amount.
TEST_P(BaseDados, TextoHostilLegivelEMoedaForaDosLimitesRecusada)
{
    if (!GetParam().sqlite) GTEST_SKIP() << "bytes postos à mão num ficheiro";
    apoio::EmpresaTeste bruta(pasta_ / "emp.db", false);
    bruta.Executar("CREATE TABLE nomes (n INT, t NVARCHAR(40), m MONEY);"
                   "INSERT INTO nomes VALUES (1, CAST(X'4A6FE36F20416E74F36E696F' AS TEXT), 1),"
                   " (2, CAST(X'4361697861EFBFBE' AS TEXT), 2), (3, CAST(X'61EDA08062' AS TEXT), 3);"
                   "CREATE TABLE grandes (m MONEY); INSERT INTO grandes VALUES (1e16);");
    bruta.Fechar();
    ConjuntoResultados rs;
    ligacao_.AbrirConsulta("SELECT t FROM nomes ORDER BY n", rs);
    ASSERT_EQ(rs.ContarRegistos(), 3);
    rs.MoverPrimeiro();
    EXPECT_EQ(rs.Texto("t"), "João António");
    rs.MoverSeguinte();
    EXPECT_EQ(rs.Texto("t"), "Caixa\uFFFD");
    rs.MoverSeguinte();
    EXPECT_EQ(rs.Texto("t"), "a\uFFFDb");
    try {
        ligacao_.AbrirConsulta("SELECT m FROM grandes", rs);
        FAIL() << "sem erro";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::MoedaForaDosLimites);
        EXPECT_EQ(e.Descricao().rfind("Campo m:", 0), 0u) << e.Descricao();
        EXPECT_EQ(e.Detalhe(), "10000000000000000");
    }
}

TEST_P(BaseDados, FicheiroQueNaoEBaseDeDadosFalhaAoAbrir)
{
    if (!GetParam().sqlite) GTEST_SKIP() << "só para ficheiros";
    std::string lixo = pasta_ / "lixo.db";
    apoio::EscreverBytes(lixo, std::string(4096, 'x'));
    LigacaoBD outra;
    EXPECT_THROW(
        {
            outra.AbrirLigacao(TextoPara(lixo));
            ConjuntoResultados rs;
            outra.AbrirConsulta("SELECT count(*) as n FROM sqlite_master", rs);
        },
        Erro);
}

INSTANTIATE_TEST_SUITE_P(Motores, BaseDados,
                         ::testing::Values(Motor{"SQLite", true}, Motor{"SQLiteODBC", true, false}, Motor{"SQLServer", false}),
                         [](const auto& info) { return info.param.nome; });

}  // namespace
