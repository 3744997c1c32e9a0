// Data the reports cannot take as it is: names a legacy program wrote in Windows-1252 or with
// characters XML forbids, codes longer than their columns, and amounts whose total leaves the
// currency's range. The run either mails workbooks that every reader opens, or ends with the
// reason; never broken files, never a wrong or cut value.
#include <gtest/gtest.h>

#include <set>

#include "Cenario.h"
#include "EmpresaTeste.h"
#include "ServidorSmtp.h"

namespace {

using falhas::Cenario;
using falhas::Contem;

const std::string kUtf8Proibido = "\xEF\xBF\xBE";  // U+FFFE

// A Python script run on the workbooks: sys.argv[1] is the text given, the workbooks follow.
apoio::Resultado lerLivros(const char* script, const std::string& texto, const std::vector<std::string>& livros)
{
    std::vector<std::string> argumentos{apoio::Python(), "-c", script, texto};
    argumentos.insert(argumentos.end(), livros.begin(), livros.end());
    return apoio::Executar(argumentos);
}

// Every XML member of each workbook through a strict parser, then every text cell through an
// independent reader: "MAU <file> <why>" for each fault, and the count of workbooks showing a
// cell that holds the text sought.
std::string verificarLivros(const std::vector<std::string>& livros, const std::string& procurado)
{
    const auto r = lerLivros(
        "import sys, zipfile, xml.dom.minidom, openpyxl\n"
        "procurado, achados = sys.argv[1], 0\n"
        "for c in sys.argv[2:]:\n"
        "    with zipfile.ZipFile(c) as z:\n"
        "        for n in z.namelist():\n"
        "            if n.endswith(('.xml', '.rels')):\n"
        "                try: xml.dom.minidom.parseString(z.read(n))\n"
        "                except Exception as e: print('MAU', c, n, e)\n"
        "    textos = [v for f in openpyxl.load_workbook(c).worksheets for l in f.iter_rows(values_only=True)\n"
        "              for v in l if isinstance(v, str)]\n"
        "    if any(('\\ufffe' in t or '\\x01' in t) for t in textos): print('MAU', c, 'caracter proibido')\n"
        "    achados += any(procurado in t for t in textos)\n"
        "print('achados', achados)\n",
        procurado, livros);
    return r.estado == 0 ? r.saida : "MAU verificador: " + r.erros;
}

class NomesHostis : public ::testing::TestWithParam<std::string> {};

TEST_P(NomesHostis, CadaLivroEnviadoEXmlBemFormadoEOsNomesLemSe)
{
    const std::string modo = GetParam();
    Cenario cenario;
    cenario.EmpresaGerada("h.db", 600);
    {
        apoio::EmpresaTeste empresa(cenario.Dorvam() + "/h.db", false);
        empresa.Executar("UPDATE Clientes SET Nome = CAST(X'4A6FE36F20' AS TEXT) || Nome;"
                         "UPDATE ARTIGOS SET Nome = Nome || CAST(X'EFBFBE01' AS TEXT);"
                         "UPDATE VENDEDOR SET Nome = Nome || CAST(X'EDA080' AS TEXT);");
    }
    apoio::ServidorSmtp smtp;
    cenario.Parametros("[EMPRESAS]\r\nH\r\n[FIM]\r\n" + Cenario::Seccao("H", "h.db") + "[email]\r\nAssunto=Mapas " +
                           kUtf8Proibido + "\r\n[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni() +
                           "[Log]\r\nDirectoria=" + cenario.PastaLog() + "\r\n",
                       modo == "/3S" ? "MapaEncSemana.qel" : "Quorvelanti.qel");
    const auto r = cenario.Correr(modo);
    ASSERT_EQ(r.estado, 0) << r.erros;

    std::vector<std::string> brutos;
    for (const auto& m : smtp.Mensagens()) brutos.push_back(m.dados);
    ASSERT_FALSE(brutos.empty());
    std::vector<std::string> livros;
    for (const auto& correio : apoio::LerCorreios(brutos)) {
        EXPECT_FALSE(Contem(correio.Cabecalho("Subject"), kUtf8Proibido)) << correio.Cabecalho("Subject");
        EXPECT_FALSE(Contem(correio.corpo, kUtf8Proibido));
        for (const auto& anexo : correio.anexos) {
            livros.push_back(cenario.Base() + "/anexo" + std::to_string(livros.size()) + ".xlsx");
            apoio::EscreverBytes(livros.back(), anexo.bytes);
        }
    }
    if (modo == "/S") {
        EXPECT_EQ(apoio::LerCorreio(brutos[0]).Cabecalho("Subject").rfind("Mapas \uFFFD (07-12-2026)", 0), 0u);
    }
    const std::string procurado = modo == "/3S" ? "Nome Cliente: João " : "João ";
    const std::string relatorio = verificarLivros(livros, procurado);
    EXPECT_FALSE(Contem(relatorio, "MAU")) << relatorio;
    // Weekly: each client's workbook names its client in the title.
    const std::size_t esperados = modo == "/3S" ? livros.size() : 1;
    EXPECT_TRUE(Contem(relatorio, "achados " + std::to_string(esperados))) << relatorio;
}

INSTANTIATE_TEST_SUITE_P(Modos, NomesHostis, ::testing::Values("/S", "/3S"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param == "/S" ? std::string("Diario") : std::string("Semanal");
                         });

// The generated goods code "ELE-H07VK-2.5-AZL" has 17 characters, two past its columns: every
// kind of workbook shows it whole and never cut, and the purchasing desk sees its lines allocated.
TEST(CodigoLongo, InteiroEmCadaTipoDeLivroEAlocado)
{
    Cenario cenario;
    cenario.EmpresaGerada("g.db", 3000);
    std::string destinos = "DestinoEnc=compras@emp.pt\r\nDestinoVnd=";
    for (int i = 1; i <= 9; ++i) destinos += "V0" + std::to_string(i) + ",v" + std::to_string(i) + "@emp.pt,";
    std::vector<std::string> livros;  // named after their kind
    for (const std::string modo : {"/S", "/3S"}) {
        apoio::ServidorSmtp smtp;
        cenario.Parametros("[EMPRESAS]\r\nG\r\n[FIM]\r\n" + Cenario::Seccao("G", "g.db", destinos + "\r\n") +
                               cenario.Globais(smtp.ChavesIni()),
                           modo == "/S" ? "Quorvelanti.qel" : "MapaEncSemana.qel");
        ASSERT_EQ(cenario.Correr(modo).estado, 0);
        std::vector<std::string> brutos;
        for (const auto& m : smtp.Mensagens()) brutos.push_back(m.dados);
        for (const auto& correio : apoio::LerCorreios(brutos)) {
            const std::string& nome = correio.anexos.at(0).nome;
            const std::string tipo = Contem(nome, "_Adm_") ? "administracao" : Contem(nome, "_Vnd_") ? "vendedor"
                                     : modo == "/S"        ? "compras"
                                                           : "cliente";
            livros.push_back(cenario.Base() + "/" + tipo + "-" + std::to_string(livros.size()) + ".xlsx");
            apoio::EscreverBytes(livros.back(), correio.anexos.at(0).bytes);
        }
    }
    const auto r = lerLivros(
        "import sys, openpyxl\n"
        "codigo, inteiros, alocadas = sys.argv[1], {}, 0\n"
        "for c in sys.argv[2:]:\n"
        "    tipo = c.split('/')[-1].split('-')[0]\n"
        "    inteiros.setdefault(tipo, 0)\n"
        "    for f in openpyxl.load_workbook(c, read_only=True).worksheets:\n"
        "        colunas = None\n"
        "        for l in f.iter_rows(values_only=True):\n"
        "            textos = [v for v in l if isinstance(v, str)]\n"
        "            inteiros[tipo] += textos.count(codigo)\n"
        "            if any(t != codigo and len(t) >= 12 and codigo.startswith(t) for t in textos): print('MAU', c)\n"
        "            if 'Disponibilidade' in l: colunas = (l.index('Artigo'), l.index('Disponibilidade'))\n"
        "            elif colunas and l[colunas[0]] == codigo and l[colunas[1]]: alocadas += 1\n"
        "print(' '.join(t for t in sorted(inteiros) if inteiros[t]), alocadas > 0)\n",
        "ELE-H07VK-2.5-AZL", livros);
    EXPECT_EQ(r.saida, "administracao cliente compras vendedor True\n") << r.erros;
}

// Two orders of one line of 900,000,000,000,000 each: the weekly grand total leaves the
// currency's range. The run ends naming that total and its exact value; nothing is mailed, and
// no workbook with a wrapped figure is left.
TEST(TotalForaDosLimites, TerminaARunComOValorEmVezDeUmNumeroErrado)
{
    Cenario cenario;
    cenario.EmpresaVazia("t.db");
    {
        apoio::EmpresaTeste empresa(cenario.Dorvam() + "/t.db", false);
        empresa.Executar(
            "INSERT INTO Clientes VALUES ('C1', 'Cliente', 'c1@emp.pt');"
            "INSERT INTO VENDEDOR VALUES ('V1', 'Vendedor');"
            "INSERT INTO ARTIGOS (CODIGO, Nome, Grupo, INACTIVO) VALUES ('A1', 'Artigo', 'G', 0);"
            "INSERT INTO DOCGCCAB (TPDOC, SERIE, NNUMDOC, ANO, DATA, AREAG, TPTERC, TERCEIRO, NVIAS, [CONVERT]) VALUES"
            " ('ENC', '1', 1, 2026, '2026-12-01 00:00:00', 2, 2, 'C1', 1, 0),"
            " ('ENC', '1', 2, 2026, '2026-12-02 00:00:00', 2, 2, 'C1', 1, 0);"
            "INSERT INTO DOCGCLIN (TPDOCUM, SERIE, NNUMDOC, ANO, ARTIGO, VENDEDOR, QUANT, PRUNIT, TXDESC, VALOR) VALUES"
            " ('ENC', '1', 1, 2026, 'A1', 'V1', 1, 900000000000000, 0, 900000000000000),"
            " ('ENC', '1', 2, 2026, 'A1', 'V1', 1, 900000000000000, 0, 900000000000000);");
    }
    apoio::ServidorSmtp smtp;
    cenario.Parametros("[EMPRESAS]\r\nT\r\n[FIM]\r\n" + Cenario::Seccao("T", "t.db") + cenario.Globais(smtp.ChavesIni()),
                       "MapaEncSemana.qel");
    const auto r = cenario.Correr("/3S");
    EXPECT_EQ(r.estado, 1) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "Valor Venda (Total Geral)")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "limites da moeda")) << r.erros;
    EXPECT_TRUE(Contem(r.erros, "1800000000000000")) << r.erros;
    EXPECT_TRUE(Contem(cenario.MensagensRegisto().back(), "1800000000000000"));
    EXPECT_TRUE(smtp.Mensagens().empty());
    EXPECT_TRUE(cenario.Livros().empty());
}

// A company whose EMPRESA table has no row has no tax number, so it is not the special company,
// whatever the company before it was: after special A, B still gets its purchasing workbook.
TEST(EmpresaSemLinha, NaoHerdaAEmpresaEspecialDaAnterior)
{
    Cenario cenario;
    cenario.EmpresaGerada("a.db", 600);
    cenario.EmpresaGerada("b.db", 600);
    apoio::EmpresaTeste(cenario.Dorvam() + "/a.db", false).Executar("UPDATE EMPRESA SET NumContr = '599999990'");
    apoio::EmpresaTeste(cenario.Dorvam() + "/b.db", false).Executar("DELETE FROM EMPRESA");
    apoio::ServidorSmtp smtp;
    const std::string compras = "DestinoEnc=compras@emp.pt\r\n";
    cenario.Parametros("[EMPRESAS]\r\nA\r\nB\r\n[FIM]\r\n" + Cenario::Seccao("A", "a.db", compras) +
                       Cenario::Seccao("B", "b.db", compras) + cenario.Globais(smtp.ChavesIni()));
    const auto r = cenario.Correr("/S");
    ASSERT_EQ(r.estado, 0) << r.erros;
    std::set<std::string> livros;
    std::vector<std::string> brutos;
    for (const auto& m : smtp.Mensagens()) brutos.push_back(m.dados);
    for (const auto& lida : apoio::LerCorreios(brutos))
        for (const auto& anexo : lida.anexos) livros.insert(anexo.nome.substr(anexo.nome.find('_')));
    EXPECT_TRUE(livros.count("_Adm_A.xlsx") && livros.count("_Adm_B.xlsx"));
    EXPECT_FALSE(livros.count("_Enc_A.xlsx")) << "the special company gets no purchasing workbook";
    EXPECT_TRUE(livros.count("_Enc_B.xlsx")) << "B is not the special company";
}

}  // namespace
