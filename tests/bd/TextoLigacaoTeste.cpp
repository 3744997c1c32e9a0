// The connection string: ODBC quoting, the builder's keys, and the values that must be refused.
#include <gtest/gtest.h>

#include <functional>

#include "Apoio.h"
#include "components/database/ConstrutorLigacao.h"
#include "components/database/TextoLigacaoOdbc.h"
#include "data/Erro.h"

using namespace quorvelanti;

namespace {

ConstrutorLigacao SqlServer(const std::string& servidor, const std::string& password)
{
    ConstrutorLigacao c;
    c.DefinirServidor(servidor);
    c.DefinirBaseDados("EMP01");
    c.DefinirUtilizador("rel");
    c.DefinirPassword(password);
    return c;
}

long numeroDoErro(const std::function<void()>& f, std::string* descricao = nullptr)
{
    try {
        f();
    } catch (const Erro& e) {
        if (descricao) *descricao = e.DescricaoCompleta();
        return e.Numero();
    }
    return 0;
}

TEST(TextoLigacaoOdbc, PasswordsDificeisVoltamIguaisPeloLeitor)
{
    for (std::string pwd : {"a;b}c", "}{", "{x}", " lado ", "=;=", "sem", "ç;é}}"}) {
        TextoLigacaoOdbc t;
        t.Definir("UID", "u");
        t.Definir("PWD", pwd);
        t.Definir("Database", "d");
        TextoLigacaoOdbc lido = TextoLigacaoOdbc::Ler(t.Texto());
        EXPECT_EQ(lido.Valor("pwd"), pwd) << t.Texto();
        EXPECT_EQ(lido.Valor("DATABASE"), "d") << t.Texto();
    }
    EXPECT_EQ(TextoLigacaoOdbc::Citar("a;b}c"), "{a;b}}c}");
    EXPECT_EQ(TextoLigacaoOdbc::Citar("simples"), "simples");
}

TEST(TextoLigacaoOdbc, LeituraSegueAsRegrasOdbc)
{
    TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler(" Driver = {SQL Server} ; Server=a,1433;;PWD={x}};y};Vazio=");
    EXPECT_EQ(t.Valor("driver"), "SQL Server");
    EXPECT_EQ(t.Valor("Server"), "a,1433");
    EXPECT_EQ(t.Valor("PWD"), "x};y");
    EXPECT_EQ(t.Valor("Vazio"), "");
    EXPECT_FALSE(t.Valor("UID").has_value());
    EXPECT_EQ(t.Retirar("server"), "a,1433");
    EXPECT_FALSE(t.Valor("Server").has_value());
    EXPECT_EQ(numeroDoErro([] { TextoLigacaoOdbc::Ler("PWD={abc"); }), erros::LigacaoFalhou);
    EXPECT_EQ(numeroDoErro([] { TextoLigacaoOdbc::Ler("Server=a;lixo"); }), erros::LigacaoFalhou);
}

TEST(TextoLigacaoOdbc, MascaraEscondeAPasswordENuncaAMostraNosErros)
{
    TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler("UID=u;PWD={se;gredo};Password=outro");
    EXPECT_EQ(t.TextoMascarado(), "UID=u;PWD=***;Password=***");
    for (const char* mau : {"UID=u;PWD={segredo", "UID=u;PWD={se}gredo}", "PWD=x;segredo"}) {
        std::string descricao;
        EXPECT_EQ(numeroDoErro([&] { TextoLigacaoOdbc::Ler(mau); }, &descricao), erros::LigacaoFalhou) << mau;
        EXPECT_EQ(descricao.find("gredo"), std::string::npos) << descricao;
    }
}

TEST(TextoLigacaoOdbc, FreeTdsRecebeChavetasSemDuplicar)
{
    TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler("Driver={FreeTDS};UID=u;PWD={a;b}}c}");
    EXPECT_TRUE(t.ControladorFreeTds());
    EXPECT_EQ(t.TextoParaControlador(), "Driver={FreeTDS};UID=u;PWD={a;b}c};");
    TextoLigacaoOdbc outro = TextoLigacaoOdbc::Ler("Driver=SQLite3;PWD={a;b}}c}");
    EXPECT_FALSE(outro.ControladorFreeTds());
    EXPECT_EQ(outro.TextoParaControlador(), "Driver={SQLite3};PWD={a;b}}c}");
    // FreeTDS ends a braced value at the first "};": such a value cannot be given to it.
    std::string descricao;
    TextoLigacaoOdbc impossivel = TextoLigacaoOdbc::Ler("Driver=FreeTDS;PWD={se}};gredo}");
    EXPECT_EQ(numeroDoErro([&] { impossivel.TextoParaControlador(); }, &descricao), erros::LigacaoFalhou);
    EXPECT_NE(descricao.find("PWD"), std::string::npos);
    EXPECT_EQ(descricao.find("gredo"), std::string::npos) << descricao;
}

TEST(ConstrutorLigacao, SqlServerPorFreeTdsComTodasAsChaves)
{
    ConstrutorLigacao c = SqlServer("sql01,1450", "a;b}c");
    TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler(c.TextoLigacao());
    EXPECT_EQ(c.TextoLigacao().rfind("Driver={FreeTDS};", 0), 0u) << c.TextoLigacao();
    EXPECT_EQ(t.Valor("Server"), "sql01");
    EXPECT_EQ(t.Valor("Port"), "1450");
    EXPECT_EQ(t.Valor("Database"), "EMP01");
    EXPECT_EQ(t.Valor("UID"), "rel");
    EXPECT_EQ(t.Valor("PWD"), "a;b}c");
    EXPECT_EQ(t.Valor("Encryption"), "request");  // asked for by default: the password is not sent in clear
    EXPECT_EQ(t.Valor("TDS_Version"), "7.4");
    EXPECT_EQ(t.Valor("ClientCharset"), "UTF-8");
    EXPECT_EQ(t.Valor("TimeoutLigacao"), "30");
    EXPECT_EQ(t.Valor("TimeoutConsulta"), "1800");
    EXPECT_FALSE(t.Valor("Motor").has_value());

    TextoLigacaoOdbc instancia = TextoLigacaoOdbc::Ler(SqlServer("sql01\\ERP", "p").TextoLigacao());
    EXPECT_EQ(instancia.Valor("Server"), "sql01\\ERP");
    EXPECT_FALSE(instancia.Valor("Port").has_value());
}

TEST(ConstrutorLigacao, ChavesDaEmpresaMudamOTexto)
{
    ConstrutorLigacao c = SqlServer("h", "p");
    c.DefinirEncriptacao("exigir");
    c.DefinirTimeout(" 5 ");
    c.DefinirTimeoutConsulta("0");  // no limit
    EXPECT_EQ(TextoLigacaoOdbc::Ler(c.TextoLigacao()).Valor("Encryption"), "require");
    EXPECT_EQ(TextoLigacaoOdbc::Ler(c.TextoLigacao()).Valor("TimeoutLigacao"), "5");
    EXPECT_EQ(TextoLigacaoOdbc::Ler(c.TextoLigacao()).Valor("TimeoutConsulta"), "0");
    c.DefinirEncriptacao("nao");
    EXPECT_EQ(TextoLigacaoOdbc::Ler(c.TextoLigacao()).Valor("Encryption"), "off");
    c.DefinirEncriptacao("");
    EXPECT_EQ(TextoLigacaoOdbc::Ler(c.TextoLigacao()).Valor("Encryption"), "request");

    // Another driver gets the port in its own "host,port" form and no FreeTDS words.
    c.DefinirDriverOdbc("ODBC Driver 18 for SQL Server");
    c.DefinirServidor("h,1433");
    c.DefinirEncriptacao("exigir");
    TextoLigacaoOdbc outro = TextoLigacaoOdbc::Ler(c.TextoLigacao());
    EXPECT_EQ(outro.Valor("Driver"), "ODBC Driver 18 for SQL Server");
    EXPECT_EQ(outro.Valor("Server"), "h,1433");
    EXPECT_EQ(outro.Valor("Encrypt"), "yes");
    EXPECT_FALSE(outro.Valor("TrustServerCertificate").has_value()) << "exigir wants a trusted certificate";
    EXPECT_FALSE(outro.Valor("Encryption").has_value());
    EXPECT_FALSE(outro.Valor("TDS_Version").has_value());
    c.DefinirEncriptacao("");
    outro = TextoLigacaoOdbc::Ler(c.TextoLigacao());
    EXPECT_EQ(outro.Valor("Encrypt"), "yes");
    EXPECT_EQ(outro.Valor("TrustServerCertificate"), "yes");
    c.DefinirEncriptacao("nao");
    EXPECT_EQ(TextoLigacaoOdbc::Ler(c.TextoLigacao()).Valor("Encrypt"), "no");
}

TEST(ConstrutorLigacao, ValoresInvalidosNomeiamAChave)
{
    ConstrutorLigacao c;
    std::string d;
    EXPECT_EQ(numeroDoErro([&] { c.DefinirMotor("Oracle"); }, &d), erros::ParametroInvalido);
    EXPECT_NE(d.find("Motor"), std::string::npos);
    EXPECT_EQ(numeroDoErro([&] { c.DefinirEncriptacao("sim"); }, &d), erros::ParametroInvalido);
    EXPECT_NE(d.find("Encriptacao"), std::string::npos);
    for (const char* mau : {"0", "-1", "2s", "999999"}) {
        EXPECT_EQ(numeroDoErro([&] { c.DefinirTimeout(mau); }, &d), erros::ParametroInvalido) << mau;
        EXPECT_NE(d.find("TimeoutLigacao"), std::string::npos);
    }
    for (const char* mau : {"-1", "2s", "999999"}) {
        EXPECT_EQ(numeroDoErro([&] { c.DefinirTimeoutConsulta(mau); }, &d), erros::ParametroInvalido) << mau;
        EXPECT_NE(d.find("TimeoutConsulta"), std::string::npos);
    }
    EXPECT_EQ(numeroDoErro([&] { c.DefinirMotor(" sqlite "); }), 0);
    EXPECT_EQ(numeroDoErro([&] { c.DefinirMotor("SQLServer"); }), 0);
}

TEST(ConstrutorLigacao, SqliteComCaminhoRelativoAPastaDosParametros)
{
    apoio::PastaTemporaria pasta;
    ConstrutorLigacao c;
    c.DefinirMotor("SQLite");
    c.DefinirPastaRelativa(pasta.Caminho());
    c.DefinirBaseDados("dados/emp;1.db");
    c.DefinirPassword("ignorada");
    TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler(c.TextoLigacao());
    EXPECT_EQ(t.Valor("Motor"), "SQLite");
    EXPECT_EQ(t.Valor("Database"), pasta / "dados/emp;1.db");
    EXPECT_EQ(t.Valor("TimeoutConsulta"), "1800");  // the embedded engine keeps to it too
    EXPECT_FALSE(t.Valor("PWD").has_value());

    c.DefinirBaseDados("/abs/emp.db");
    EXPECT_EQ(TextoLigacaoOdbc::Ler(c.TextoLigacao()).Valor("Database"), "/abs/emp.db");
    c.DefinirBaseDados("");
    EXPECT_EQ(numeroDoErro([&] { c.TextoLigacao(); }), erros::ParametroInvalido);
}

}  // namespace
