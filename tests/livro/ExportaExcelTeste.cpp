// Workbooks written by ExportaExcel, read back by openpyxl through verifica_livro.py, which
// checks every filled sheet against the layout rules and each case's literal example cells.
#include <gtest/gtest.h>

#include <filesystem>

#include "LivroTesteApoio.h"
#include "components/files/PacoteXlsx.h"
#include "data/Erro.h"
#include "output/EscritorLivro.h"
#include "output/ExportaExcel.h"
#include "reports/LivroEnviado.h"
#include "run/FalhasCorrida.h"
#include "settings/cl_log.h"

using namespace quorvelanti;
using livro_teste::Campos;
using livro_teste::ConjuntoVariado;
using T = TipoCampo;

namespace {

const std::vector<std::string> FolhasTipo1{"Enc.Pend.Resumo",
                                           "Enc.Pend.Detalhe",
                                           "Enc.Dia Resumo",
                                           "Enc.Dia Detalhe",
                                           "Vendas Dia Resumo",
                                           "Vendas Dia Detalhe"};
const std::vector<std::string> TitulosTipo1{"Encomendas Pendentes 07-12-2026",
                                            "Encomendas Pendentes (detalhe)",
                                            "Encomendas do Dia 07-12-2026",
                                            "",
                                            "Vendas do Dia 07-12-2026",
                                            "Vendas do Dia (detalhe)"};

// Vendas Dia Resumo: currency in C-G and J-N, percentages in H and O.
std::vector<Campo> camposVendasResumo()
{
    return Campos({T::Texto, T::Texto, T::Moeda, T::Moeda, T::Moeda, T::Moeda, T::Moeda, T::Duplo, T::Texto,
                   T::Moeda, T::Moeda, T::Moeda, T::Moeda, T::Moeda, T::Duplo});
}

// Vendas Dia Detalhe: J and L summed, M their percentage; a date with a long header.
std::vector<Campo> camposVendasDetalhe()
{
    auto campos = Campos({T::Texto, T::Data, T::Texto, T::Texto, T::Texto, T::TextoFixo, T::Texto, T::Texto,
                          T::Texto, T::Moeda, T::Inteiro, T::Moeda, T::Duplo});
    campos[1].nome = "Data de entrega prevista";
    return campos;
}

// The nine fields of the weekly set, with the rows of one order of two lines.
// Every part of an .xlsx file but its creation time, named and in order.
std::string partesDoLivro(const std::string& ficheiro)
{
    const auto r = apoio::Executar({apoio::Python(), "-c",
                                    "import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "for n in z.namelist():\n"
                                    "    if n != 'docProps/core.xml': print(n, z.read(n).decode())\n",
                                    ficheiro});
    EXPECT_EQ(r.estado, 0) << r.erros;
    return r.saida;
}

ConjuntoResultados semanalUmaEncomenda()
{
    ConjuntoResultados rs(Campos({T::Texto, T::Data, T::Texto, T::Texto, T::Duplo, T::Moeda, T::Duplo, T::Moeda,
                                  T::Data}));
    auto linha = [&](std::vector<Valor> valores) {
        rs.AdicionarLinha();
        for (std::size_t k = 0; k < valores.size(); ++k) rs.Definir(k, valores[k]);
    };
    linha({"ENC 1/2026", DataHora(2026, 11, 30), "ART01", "Parafuso ção", 10.0, Moeda::DeTexto("1.25"), 0.0,
           Moeda::DeTexto("12.5"), DataHora(2026, 12, 15)});
    linha({"ENC 1/2026", DataHora(2026, 11, 30), "ART02", "Porca", 4.0, Moeda::DeTexto("0.5"), 5.0,
           Moeda::DeTexto("1.9"), DataHora(2026, 12, 16)});
    linha({Valor{}, Valor{}, Valor{}, "Total Encomenda", Valor{}, Valor{}, Valor{}, Moeda::DeTexto("14.4"), Valor{}});
    linha({});
    linha({Valor{}, Valor{}, Valor{}, "Total Geral", Valor{}, Valor{}, Valor{}, Moeda::DeTexto("14.4"), Valor{}});
    return rs;
}

void preencherTipo1(MapasDia& mapas)
{
    mapas.RsEncPendentesResumo = ConjuntoVariado(Campos({T::Texto, T::Texto, T::Inteiro, T::Moeda}), 3);
    mapas.RsEncPendentesDetalhe =
        ConjuntoVariado(Campos({T::Texto, T::Data, T::Texto, T::Texto, T::Texto, T::Numerico, T::Moeda}), 4, 1);
    mapas.RsEncDiaResumo = ConjuntoVariado(Campos({T::Texto, T::Texto, T::Moeda, T::Moeda, T::Moeda, T::Duplo}), 2, 2);
    mapas.RsEncDiaDetalhe = ConjuntoVariado(Campos({T::Texto, T::DataHora, T::Texto, T::Texto, T::Texto, T::Texto,
                                                  T::Texto, T::Texto, T::Texto, T::Inteiro, T::Moeda}),
                                          5, 3);
    mapas.RsVendasDiaResumo = ConjuntoVariado(camposVendasResumo(), 10, 4);
    mapas.RsVendasDiaDetalhe = ConjuntoVariado(camposVendasDetalhe(), 10, 5);
}

std::vector<std::string> ficheirosTemporarios(const std::string& pasta)
{
    std::vector<std::string> restos;
    for (const auto& nome : apoio::Ficheiros(pasta))
        if (nome.find(".tmp-") != std::string::npos) restos.push_back(nome);
    return restos;
}

}  // namespace

// Sheets 5 and 6 with ten rows each: sums and percentages worked out by hand for ten rows,
// every other sheet with its own totals list.
TEST(ExportaExcel, LivroDiarioDeSeisFolhas)
{
    livro_teste::LivroTeste t;
    preencherTipo1(t.mapas);
    t.Exportar(FolhasTipo1, TitulosTipo1, 1);
    t.Verificar("tipo1");
    EXPECT_EQ(ficheirosTemporarios(t.pasta.Caminho()), std::vector<std::string>{});
}

TEST(ExportaExcel, FolhasSemRegistosFicamVaziasNoSeuLugar)
{
    livro_teste::LivroTeste t;
    preencherTipo1(t.mapas);
    t.mapas.RsEncPendentesDetalhe = ConjuntoResultados(Campos({T::Texto, T::Moeda}));  // fields, no rows
    t.mapas.RsEncDiaResumo = ConjuntoResultados();                                  // nothing at all
    t.mapas.RsEncDiaDetalhe.Filtrar("A_Texto", "nenhum");                           // rows, none visible
    t.mapas.RsVendasDiaDetalhe = ConjuntoResultados(camposVendasDetalhe());
    t.Exportar(FolhasTipo1, TitulosTipo1, 1);
    t.Verificar("folhas_1_5");
}

TEST(ExportaExcel, UmSoRegistoSomaAPropriaLinha)
{
    livro_teste::LivroTeste t;
    t.mapas.RsEncPendentesResumo = ConjuntoVariado(Campos({T::Texto, T::Texto, T::Inteiro, T::Numerico}), 1);
    t.Exportar(FolhasTipo1, TitulosTipo1, 1);
    t.Verificar("n1");
}

TEST(ExportaExcel, UmSoCampoNaoFundeETingeSoAColunaA)
{
    livro_teste::LivroTeste t;
    t.mapas.RsEncFornecedorBDC = ConjuntoVariado(Campos({T::Texto}), 4);
    t.Exportar({"Encomendas Cliente_Fornecedor"}, {"Encomendas Cliente/Fornecedor"}, 3);
    t.Verificar("campo_unico");
}

TEST(ExportaExcel, LivroDoVendedorDeCincoFolhas)
{
    livro_teste::LivroTeste t;
    t.copias.RsVendedorPendente = ConjuntoVariado(Campos({T::Texto, T::Data, T::Texto, T::Texto, T::Texto, T::Texto,
                                                       T::Texto, T::Inteiro, T::Moeda}),
                                               6);
    t.copias.RsVendedorVenda = ConjuntoVariado(
        Campos({T::Texto, T::Data, T::Texto, T::Texto, T::Texto, T::Inteiro, T::Duplo, T::Moeda}), 7, 1);
    t.copias.RsVendedorEncPendentes = ConjuntoVariado(Campos({T::Texto, T::Data, T::Texto, T::Texto, T::Texto, T::Texto,
                                                           T::Texto, T::Duplo, T::Numerico}),
                                                   3, 2);
    t.copias.RsVendedorAcumulado = ConjuntoVariado(Campos({T::Texto, T::Moeda, T::Moeda}), 4, 3);
    t.copias.RsVendedorCliente = ConjuntoVariado(Campos({T::Texto, T::Texto, T::Moeda}), 2, 4);
    t.Exportar({"Enc.Dia Detalhe", "Vendas Dia Detalhe", "Enc.Pend.Detalhe", "Vendas Acum.", "Vendas Acum. Mês"},
               {"Encomendas do dia", "Vendas do dia", "Pendentes", "Acumulado", "Acumulado do mês"}, 2);
    t.Verificar();
}

TEST(ExportaExcel, PercentagemSobreTotalZeroMostraErroDeDivisao)
{
    livro_teste::LivroTeste t;
    auto& rs = t.mapas.RsVendasDiaDetalhe;
    rs = ConjuntoVariado(camposVendasDetalhe(), 3);
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) rs.Definir("L_Moeda", Moeda{});
    t.Exportar(FolhasTipo1, TitulosTipo1, 1);
    t.Verificar("divisao_zero");
}

// A weekly client workbook: two order lines, "Total Encomenda", an empty row and
// "Total Geral" under the three client rows.
TEST(ExportaExcel, LivroSemanalDeUmCliente)
{
    livro_teste::LivroTeste t;
    t.cliente.terceiro = "C0001";
    t.cliente.nome = "Ferragens Conceição, Lda";
    t.cliente.nomesVendedores = "Ana Simões";
    t.cliente.RsEncSemanal = semanalUmaEncomenda();
    t.Exportar({"Enc. Pendentes"}, {"Encomendas Pendentes em 07-12-2026"}, 4);
    t.Verificar("semanal");
}

// The writer needs only a DescricaoLivro: a weekly workbook put together by hand from its result
// set and client rows holds what DescreverClienteSemanal's writes for that client (every part but
// the creation time), and a sheet without rows keeps its place.
TEST(EscritorLivro, LivroDeUmaDescricaoSoIgualAoDaCorrida)
{
    livro_teste::LivroTeste t;
    t.cliente.terceiro = "C0001";
    t.cliente.nome = "Ferragens Conceição, Lda";
    t.cliente.nomesVendedores = "Ana Simões";
    t.cliente.RsEncSemanal = semanalUmaEncomenda();
    t.Exportar({"Enc. Pendentes"}, {"Encomendas Pendentes em 07-12-2026"}, 4);

    DescricaoLivro descrito;
    PacoteXlsx provas;
    descrito.ficheiro = t.pasta / "descrito.xlsx";
    descrito.tipo = TipoLivro::ClienteSemanal;
    descrito.folhas.push_back({"Enc. Pendentes", "Encomendas Pendentes em 07-12-2026", semanalUmaEncomenda(), {}});
    descrito.linhasCliente = {"Cliente: C0001", "Nome Cliente: Ferragens Conceição, Lda", "Nome Vendedor: Ana Simões"};
    EscritorLivro::Gravar(descrito, provas);
    EXPECT_EQ(partesDoLivro(descrito.ficheiro), partesDoLivro(t.ficheiro));

    descrito.folhas.push_back({"Sem linhas", "Nada", ConjuntoResultados(Campos({T::Texto})), {}});
    EscritorLivro::Gravar(descrito, provas);
    EXPECT_NE(partesDoLivro(descrito.ficheiro).find("<sheet name=\"Sheet2\""), std::string::npos);
}

// Fewer rows than the band leaves out: the layout still follows the kind, so the header, data
// and colours stay where they belong.
TEST(ExportaExcel, LivroSemanalPequeno)
{
    for (std::size_t linhas : {1u, 2u, 3u}) {
        livro_teste::LivroTeste t;
        t.cliente.terceiro = "C2";
        t.cliente.RsEncSemanal = ConjuntoVariado(Campos({T::Texto, T::Moeda, T::Data}), linhas);
        t.Exportar({"Enc. Pendentes"}, {"Pendentes"}, 4);
        SCOPED_TRACE(linhas);
        t.Verificar();
    }
}

// The writer works on a clone: the result set's cursor stays put, and its filter and order are
// the rows written.
TEST(ExportaExcel, EscreveAVistaDoConjuntoSemMoverOCursor)
{
    livro_teste::LivroTeste t;
    auto& rs = t.mapas.RsEncFornecedorBDC;
    rs = ConjuntoVariado(Campos({T::Texto, T::Inteiro, T::Moeda, T::Texto}), 12);
    rs.Filtrar("D_Texto", "");  // the rows whose D is null
    rs.Ordenar("C_Moeda");
    ASSERT_GT(rs.ContarRegistos(), 1);
    rs.MoverSeguinte();
    const std::vector<Valor> actual = rs.LinhaActual();
    t.Exportar({"Encomendas Cliente_Fornecedor"}, {"Filtrado"}, 3);
    EXPECT_EQ(rs.LinhaActual(), actual);
    t.Verificar();
}

TEST(ExportaExcel, SubstituiFicheiroExistente)
{
    livro_teste::LivroTeste t;
    apoio::EscreverBytes(t.ficheiro, "um livro antigo");
    t.mapas.RsEncFornecedorBDC = ConjuntoVariado(Campos({T::Texto, T::Moeda}), 3);
    t.Exportar({"Encomendas Cliente_Fornecedor"}, {"Novo"}, 3);
    EXPECT_EQ(apoio::LerBytes(t.ficheiro).substr(0, 2), "PK");
    t.Verificar();
    EXPECT_EQ(apoio::Ficheiros(t.pasta.Caminho()), (std::vector<std::string>{"descricao.json", "livro.xlsx"}));
}

// A workbook written for its message lies in memory, or under a temporary name, until its mail
// went (then nothing stays) or failed (then it stays whole under its usual name and the failure
// goes on with its own number); one that cannot even be kept then says that too.
TEST(ExportaExcel, LivroParaCorreioSoFicaQuandoOCorreioFalha)
{
    livro_teste::LivroTeste t;
    t.mapas.RsEncFornecedorBDC = ConjuntoVariado(Campos({T::Texto, T::Moeda}), 3);
    t.Exportar({"Encomendas Cliente_Fornecedor"}, {"Filtrado"}, 3);
    std::filesystem::remove(t.ficheiro);
    auto exportar = [&] {
        return ExportaExcelAnexo(t.ctx, t.Descrever({"Encomendas Cliente_Fornecedor"}, {"Filtrado"}, 3),
                                 "20261207230459_Enc_EMP.xlsx");
    };
    auto falhar = [](long numero) { return [numero] { throw Erro(numero, "Falha no envio", "550 recusado"); }; };
    {
        LivroAnexo livro = exportar();
        EXPECT_EQ(livro.Ficheiro(), t.ficheiro);
        EXPECT_EQ(livro.NomeAnexo(), "20261207230459_Enc_EMP.xlsx");
        EXPECT_EQ(apoio::LerBytes(livro.Caminho()).substr(0, 2), "PK");
        EXPECT_FALSE(apoio::Existe(t.ficheiro));
#ifdef __linux__
        // Waiting for its mail, the workbook is in memory: the log folder holds nothing of it.
        EXPECT_EQ(ficheirosTemporarios(t.pasta.Caminho()), std::vector<std::string>{});
#endif
        EnviarLivro(livro, [] {});
    }
    EXPECT_FALSE(apoio::Existe(t.ficheiro));
    EXPECT_EQ(ficheirosTemporarios(t.pasta.Caminho()), std::vector<std::string>{});

    for (const long numero : {erros::CorreioFalhou, erros::CorridaInterrompida}) {
        LivroAnexo livro = exportar();
        try {
            EnviarLivro(livro, falhar(numero));
            ADD_FAILURE() << "devia falhar";
        } catch (const Erro& e) {
            EXPECT_EQ(e.Numero(), numero);
            EXPECT_EQ(e.Detalhe(), "550 recusado");
        }
        EXPECT_EQ(ficheirosTemporarios(t.pasta.Caminho()), std::vector<std::string>{});
        t.Verificar();
        std::filesystem::remove(t.ficheiro);
    }

    // A folder under the workbook's name: it cannot be kept there.
    std::filesystem::create_directories(t.ficheiro + "/ocupado");
    LivroAnexo livro = exportar();
    try {
        EnviarLivro(livro, falhar(erros::CorreioFalhou));
        ADD_FAILURE() << "devia falhar";
    } catch (const Erro& e) {
        EXPECT_EQ(e.Numero(), erros::CorreioFalhou);
        EXPECT_TRUE(e.Detalhe().starts_with("550 recusado; Falha ao gravar o livro " + t.ficheiro)) << e.Detalhe();
    }
    EXPECT_TRUE(std::filesystem::is_directory(t.ficheiro));
    EXPECT_EQ(ficheirosTemporarios(t.pasta.Caminho()), std::vector<std::string>{});
}

// Sizes the spreadsheet cannot show as they are: a text without a size (width 0 would hide the
// column), a size beyond the widest column, and a text longer than a cell holds.
TEST(ExportaExcel, TamanhosForaDosLimitesNaoEscondemNemFalham)
{
    livro_teste::LivroTeste t;
    ConjuntoResultados rs({{"Nota", T::Texto, 0}, {"Memo", T::Texto, 100000}});
    rs.AcrescentarLinhaBruta({std::string(40000, 'x'), std::string("curto")});
    t.mapas.RsEncFornecedorBDC = rs;
    t.Exportar({"Encomendas Cliente_Fornecedor"}, {"Notas"}, 3);
    const auto r = apoio::Executar({apoio::Python(), "-c",
                                    "import openpyxl, sys\n"
                                    "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                                    "a, b = ws.column_dimensions['A'], ws.column_dimensions['B']\n"
                                    "print(len(ws['A4'].value), a.hidden, a.width > 8, 255 <= b.width < 256)\n",
                                    t.ficheiro});
    EXPECT_EQ(r.saida, "32767 False True True\n") << r.erros;
}

// LibreOffice shows the totals right both from the cached results and when it recalculates the
// formulas itself; a percentage over a zero total shows the division error.
TEST(ExportaExcel, LibreOfficeMostraOsTotais)
{
    if (!apoio::Existe("/usr/bin/soffice")) GTEST_SKIP() << "LibreOffice (libreoffice-calc-nogui) não instalado";
    livro_teste::LivroTeste t;
    preencherTipo1(t.mapas);
    auto& detalhe = t.mapas.RsVendasDiaDetalhe;
    for (detalhe.MoverPrimeiro(); !detalhe.FimDados(); detalhe.MoverSeguinte()) detalhe.Definir("L_Moeda", Moeda{});
    t.Exportar(FolhasTipo1, TitulosTipo1, 1);
    t.VerificarNoLibreOffice();
}

// Failures -----------------------------------------------------------------------------------

namespace {

struct Falha {
    int estado = -1;
    std::string log;     // the day's log file, Windows-1252
    std::string erros;   // what went to stderr
};

// Runs a failing export with the run log open (or not) and collects what it left behind.
Falha exportarComFalha(livro_teste::LivroTeste& t, const std::vector<std::string>& folhas, int tipo, bool comLog)
{
    const std::string ini = t.pasta / "Quorvelanti.qel";
    apoio::EscreverBytes(ini, "[Log]\r\nDirectoria=" + t.pasta.Caminho() + "\r\n");
    if (comLog) {
        t.ctx.Log = std::make_unique<cl_log>(t.frente.relogio);
        t.ctx.Log->Abrir(ini);
        EXPECT_TRUE(t.ctx.Log->Aberto());
    }
    Falha f;
    std::vector<std::string> titulos(folhas.size(), "Título");
    testing::internal::CaptureStderr();
    try {
        t.Exportar(folhas, titulos, tipo);
    } catch (const Erro& erro) {
        f.estado = FalhasCorrida::Estado(erro);
    }
    f.erros = testing::internal::GetCapturedStderr();
    if (comLog) {
        t.ctx.Log->Fechar();
        f.log = apoio::LerBytes(cl_log::NomeFicheiro(t.pasta.Caminho(), t.frente.relogio.Agora()));
    }
    return f;
}

const std::string SituacaoAnomala = "[07-12-2026][23:04:59] Situa\xe7\xe3o An\xf3mala\n\rErro: ";

}  // namespace

TEST(ExportaExcelFalhas, PastaInexistenteRegistaETermina)
{
    livro_teste::LivroTeste t;
    t.ficheiro = t.pasta / "nao-existe/livro.xlsx";
    t.mapas.RsEncFornecedorBDC = ConjuntoVariado(Campos({T::Texto}), 2);
    const Falha f = exportarComFalha(t, {"Encomendas Cliente_Fornecedor"}, 3, true);
    EXPECT_EQ(f.estado, 2);
    const auto inicio = f.log.find(SituacaoAnomala);
    ASSERT_NE(inicio, std::string::npos) << f.log;
    const std::string linha = f.log.substr(inicio + SituacaoAnomala.size());
    EXPECT_NE(linha.find("nao-existe/livro.xlsx"), std::string::npos) << linha;
    EXPECT_TRUE(linha.ends_with("  501\r\n")) << linha;
    EXPECT_FALSE(apoio::Existe(t.ficheiro));
}

// A failure after the temporary file exists: the earlier workbook stays, nothing else is left.
TEST(ExportaExcelFalhas, NomeDeFolhaInvalidoMantemOLivroAnterior)
{
    livro_teste::LivroTeste t;
    apoio::EscreverBytes(t.ficheiro, "o livro de ontem");
    t.mapas.RsEncFornecedorBDC = ConjuntoVariado(Campos({T::Texto, T::Moeda}), 2);
    const Falha f = exportarComFalha(t, {"Encomendas/Fornecedor"}, 3, true);
    EXPECT_EQ(f.estado, 2);
    EXPECT_NE(f.log.find(SituacaoAnomala), std::string::npos) << f.log;
    EXPECT_EQ(apoio::LerBytes(t.ficheiro), "o livro de ontem");
    EXPECT_EQ(ficheirosTemporarios(t.pasta.Caminho()), std::vector<std::string>{});
}

TEST(ExportaExcelFalhas, SemLogOMotivoVaiParaOStderr)
{
    livro_teste::LivroTeste t;
    const Falha f = exportarComFalha(t, {"Folha"}, 5, false);
    EXPECT_EQ(f.estado, 2);
    EXPECT_NE(f.erros.find("Situação Anómala\n\rErro: Tipo de livro desconhecido: 5  501"), std::string::npos)
        << f.erros;
    EXPECT_EQ(ficheirosTemporarios(t.pasta.Caminho()), std::vector<std::string>{});
    EXPECT_FALSE(apoio::Existe(t.ficheiro));

    // A number below the first kind is refused as well.
    livro_teste::LivroTeste abaixo;
    const Falha zero = exportarComFalha(abaixo, {"Folha"}, 0, false);
    EXPECT_EQ(zero.estado, 2);
    EXPECT_NE(zero.erros.find("Tipo de livro desconhecido: 0  501"), std::string::npos) << zero.erros;
    EXPECT_FALSE(apoio::Existe(abaixo.ficheiro));
}
