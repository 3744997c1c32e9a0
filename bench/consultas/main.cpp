// bench_consultas [--linhas N] [--artigos A] [--clientes C]
//
// Generates a company (200,000 document lines by default), then runs the client-supplier orders
// report and the weekly client run twice each, side by side: with the per-article lookups reused
// within the run and with one lookup per line. Prints both times, their ratio, and from the SQL
// trace the most stock and supplier-note statements run for one article. Exit status 1 when the
// two runs give different tables or a reused run looks an article up more than twice.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "GeradorErp.h"
#include "components/database/LigacaoBD.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "reports/ConsultasArtigo.h"
#include "reports/daily/EncomendasFornecedorConsultas.h"
#include "reports/weekly/EncomendasSemana.h"
#include "run/ContextoExecucao.h"
#include "settings/cl_log.h"

using namespace quorvelanti;
namespace fs = std::filesystem;

namespace {

const DataHora DiaCorrida(2026, 12, 7, 23, 0, 0);

class SemProgresso : public SaidaProgresso {
public:
    void AddLista(const std::string&) override {}
};
class SemEventos : public BombaEventos {
public:
    void ProcessarEventos() override {}
};

struct Medida {
    double segundos = 0;
    long maximoPorArtigo = 0;   // most lookups of one article, stock and note together
    long consultas = 0;         // lookup statements in all
    std::string resultado;      // what the run produced, to compare the two runs
};

// The lookups of the trace, counted per article code.
std::map<std::string, long> consultasPorArtigo(const std::string& registo)
{
    static const std::vector<std::pair<std::string, std::string>> marcas{
        {"as stock  from ARTARM ", " where ARTIGO = '"}, {"ll.Obs as DataPrev", " AND l.ARTIGO='"}};
    std::map<std::string, long> contagem;
    std::ifstream entrada(registo);
    for (std::string linha; std::getline(entrada, linha);) {
        for (const auto& [instrucao, antes] : marcas) {
            const auto p = linha.find(antes);
            if (linha.find(instrucao) == std::string::npos || p == std::string::npos) continue;
            const auto inicio = p + antes.size();
            ++contagem[linha.substr(inicio, linha.find("' ", inicio) - inicio)];
        }
    }
    return contagem;
}

std::string textoTabela(ConjuntoResultados rs)
{
    std::string texto;
    for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) {
        for (std::size_t i = 0; i < rs.NumeroCampos(); ++i) texto += ValorComoTexto(rs.ValorDe(i)) + '\t';
        texto += '\n';
    }
    return texto;
}

// A report run: builds the report on the context and returns what it produced, as text.
using Corrida = std::string (*)(ContextoExecucao&, ConsultasArtigo&, const std::string& bd);

// One report run on a fresh connection with its own trace; fills the timing and the counts.
Medida medir(const std::string& bd, const fs::path& pasta, const std::string& nome, bool reutilizar, Corrida corrida)
{
    RelogioFixo relogio(DiaCorrida);
    SemProgresso progresso;
    SemEventos eventos;
    ContextoExecucao ctx(relogio, progresso, eventos);
    ctx.FicheiroIni = (pasta / "bench.qel").string();
    ctx.Log = std::make_unique<cl_log>(relogio);
    ctx.Log->Abrir(ctx.FicheiroIni);
    ctx.PastaLog = (pasta / "livros").string() + "/";
    ctx.LinhaComando = "/3S";
    ctx.Origem = "bench@emp.pt";
    const std::string registo = (pasta / (nome + (reutilizar ? "_com.sql" : "_sem.sql"))).string();
    EmpresaCorrida empresa{DefinicoesEmpresa{}};
    ctx.Empresa = &empresa;
    empresa.Ligacao = std::make_unique<LigacaoBD>();
    empresa.Ligacao->DefinirRegistoSql(registo);
    empresa.Ligacao->AbrirLigacao("Motor=SQLite;Database={" + bd + "}");

    ConsultasArtigo consultas(*empresa.Ligacao, reutilizar);
    Medida m;
    const auto inicio = std::chrono::steady_clock::now();
    m.resultado = corrida(ctx, consultas, bd);
    m.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    for (const auto& [artigo, n] : consultasPorArtigo(registo)) {
        m.maximoPorArtigo = std::max(m.maximoPorArtigo, n);
        m.consultas += n;
    }
    return m;
}

std::string clienteFornecedor(ContextoExecucao& ctx, ConsultasArtigo& consultas, const std::string&)
{
    return textoTabela(
        ExtrairEncomendasFornecedorBDC(ctx, DiaCorrida.MenosUmAno().Formatar("dd-mm-yyyy hh:mm:ss"), consultas));
}

// The whole weekly run: workbooks written, mails dropped in the pickup folder, workbooks deleted.
// The mails' attachments differ only in their time stamps, so what is compared is the number of
// mails and the last client's table, made again after the run on an untraced connection of its
// own (so the counts stay the run's) with every lookup asked anew.
std::string semanal(ContextoExecucao& ctx, ConsultasArtigo& consultas, const std::string& bd)
{
    const fs::path saida = fs::path(ctx.FicheiroIni).parent_path() / "saida";
    fs::remove_all(saida);
    fs::create_directories(saida);
    ExtrairEncClienteSemanal(ctx, consultas);
    const auto mails = std::distance(fs::directory_iterator(saida), fs::directory_iterator());
    // The run's connection is put back afterwards: its lookups ('consultas') still hold it.
    auto& ligacao = ctx.EmpresaEmCurso().Ligacao;
    std::unique_ptr<LigacaoBD> daCorrida = std::move(ligacao);
    ligacao = std::make_unique<LigacaoBD>();
    ligacao->AbrirLigacao("Motor=SQLite;Database={" + bd + "}");
    ConjuntoResultados clientes, linhas, tabela;
    ClientesSemana(ctx, clientes);
    std::string ultimo;
    for (clientes.MoverPrimeiro(); !clientes.FimDados(); clientes.MoverSeguinte()) ultimo = clientes.Texto("Terceiro");
    ExtrairEncSemanal(ctx, linhas, ultimo);
    {
        ConsultasArtigo semReutilizar(*ligacao, false);
        PreencheEncSemanal(tabela, linhas, semReutilizar);
    }
    ligacao = std::move(daCorrida);
    return std::to_string(mails) + " mails\n" + textoTabela(tabela);
}

// The text padded with blanks to a width in characters (setw counts bytes, not UTF-8 characters).
std::string coluna(const std::string& texto, std::size_t largura, bool aDireita = true)
{
    const std::size_t n = texto::Caracteres(texto);
    const std::string brancos(n < largura ? largura - n : 0, ' ');
    return aDireita ? brancos + texto : texto + brancos;
}

std::string fixo(double valor, const std::string& unidade)
{
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << valor << unidade;
    return s.str();
}

void cabecalho()
{
    std::cout << coluna("Relatório", 32, false) << coluna("reutiliza", 11) << coluna("não reutiliza", 15)
              << coluna("razão", 8) << coluna("consultas", 11) << coluna("consultas", 11) << coluna("máx. por", 10)
              << "\n"
              << coluna("", 32, false) << coluna("", 11) << coluna("", 15) << coluna("", 8) << coluna("(reutiliza)", 11)
              << coluna("(não)", 11) << coluna("artigo", 10) << "\n";
}

void linha(const std::string& relatorio, const Medida& com, const Medida& sem)
{
    std::cout << coluna(relatorio, 32, false) << coluna(fixo(com.segundos, " s"), 11)
              << coluna(fixo(sem.segundos, " s"), 15) << coluna(fixo(sem.segundos / com.segundos, "x"), 8)
              << coluna(std::to_string(com.consultas), 11) << coluna(std::to_string(sem.consultas), 11)
              << coluna(std::to_string(com.maximoPorArtigo), 10) << "\n";
}

std::string opcao(int argc, char** argv, const std::string& nome, const std::string& omissao)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (argv[i] == nome) return argv[i + 1];
    return omissao;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const fs::path pasta = fs::temp_directory_path() / ("bench_consultas_" + std::to_string(::getpid()));
        fs::create_directories(pasta / "livros");
        const std::string bd = (pasta / "empresa.db").string();
        std::ofstream(pasta / "bench.qel") << "[SMTP]\r\nemailEmissor=bench@emp.pt\r\nPastaSaida=" << (pasta / "saida").string()
                                           << "\r\n[Log]\r\nDirectoria=" << pasta.string() << "\r\n";

        const auto opcoes = gerador::OpcoesGerador::Ler(
            {"--saida", bd, "--data", DiaCorrida.Formatar("yyyy-mm-dd"), "--semente", "11", "--linhas",
             opcao(argc, argv, "--linhas", "200000"), "--artigos", opcao(argc, argv, "--artigos", "1500"),
             "--clientes", opcao(argc, argv, "--clientes", "300")});
        const auto resumo = gerador::GeradorErp(opcoes).Gerar();
        std::cout << "Empresa gerada: " << resumo.linhas << " linhas de documentos, " << resumo.encomendasCliente
                  << " encomendas de clientes, " << opcoes.dimensoes.artigos << " artigos, "
                  << opcoes.dimensoes.clientes << " clientes\n\n";
        cabecalho();

        bool correcto = true;
        struct Relatorio {
            std::string nome, registo;
            Corrida corrida;
        };
        const std::vector<Relatorio> relatorios{{"Encomendas Cliente_Fornecedor", "fornecedor", clienteFornecedor},
                                                {"Encomendas Pendentes (semanal)", "semanal", semanal}};
        for (const auto& [nome, registo, corrida] : relatorios) {
            const Medida com = medir(bd, pasta, registo, true, corrida);
            const Medida sem = medir(bd, pasta, registo, false, corrida);
            linha(nome, com, sem);
            if (com.resultado != sem.resultado) {
                std::cout << "  ERRO: as duas corridas deram resultados diferentes\n";
                correcto = false;
            }
            if (com.maximoPorArtigo > 2) {
                std::cout << "  ERRO: mais de duas consultas por artigo com reutilização\n";
                correcto = false;
            }
        }
        fs::remove_all(pasta);
        return correcto ? 0 : 1;
    } catch (const Erro& e) {
        std::cerr << "Erro " << e.Numero() << ": " << e.DescricaoCompleta() << std::endl;
        return 1;
    }
}
