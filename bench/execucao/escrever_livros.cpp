// bench_escrever_livros PLAN FOLDER
//
// The irreducible cost of the workbooks of a run: the cells the program wrote, read back from
// its workbooks into a plan file (executar.py does that), written again straight on libxlsxwriter
// in the mode the program wrote each one (whole in memory, or row by row in constant-memory mode),
// with the library's temporary files on the output's file system and as many formats as each
// workbook used.
// Only the writing is timed; the plan is read into memory first. Prints one line:
//   livros=24 folhas=110 celulas=1650311 bytes=40123456 cpu=2.310 parede=2.402
//
// Plan lines, fields separated by tabs (\t, \n, \r and \\ escaped inside values):
//   W  name  formats  mode           a new workbook, how many formats it used, and "memoria" (whole
//                                    in memory) or "linhas" (row by row)
//   S  name                          a new sheet of it
//   C  row  column  kind  format  value  [formula]
//      kind s text, n number, f formula with a number result, t formula with a text result,
//      b blank with a format; format -1 is the default look
// Exit status 1 when writing fails, 2 for a wrong command line or plan.
#include <malloc.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Celula {
    lxw_row_t linha = 0;
    lxw_col_t coluna = 0;
    char tipo = 's';
    int formato = -1;
    std::string valor;
    std::string formula;
};

struct Folha {
    std::string nome;
    std::vector<Celula> celulas;
};

struct Livro {
    std::string nome;
    int formatos = 0;
    bool linhaALinha = false;
    std::vector<Folha> folhas;
};

[[noreturn]] void falhar(int estado, const std::string& mensagem)
{
    std::cerr << mensagem << std::endl;
    std::exit(estado);
}

std::vector<std::string> campos(const std::string& linha)
{
    std::vector<std::string> partes(1);
    for (std::size_t i = 0; i < linha.size(); ++i) {
        const char c = linha[i];
        if (c == '\t') {
            partes.emplace_back();
        } else if (c == '\\' && i + 1 < linha.size()) {
            const char e = linha[++i];
            partes.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
            partes.back() += c;
        }
    }
    return partes;
}

std::vector<Livro> lerPlano(const std::string& ficheiro)
{
    std::ifstream entrada(ficheiro, std::ios::binary);
    if (!entrada) falhar(2, "plano não encontrado: " + ficheiro);
    std::vector<Livro> livros;
    for (std::string linha; std::getline(entrada, linha);) {
        const std::vector<std::string> p = campos(linha);
        if (p[0] == "W" && p.size() == 4 && (p[3] == "memoria" || p[3] == "linhas")) {
            livros.push_back({p[1], std::stoi(p[2]), p[3] == "linhas", {}});
        } else if (p[0] == "S" && p.size() == 2 && !livros.empty()) {
            livros.back().folhas.push_back({p[1], {}});
        } else if (p[0] == "C" && p.size() >= 6 && !livros.empty() && !livros.back().folhas.empty()) {
            livros.back().folhas.back().celulas.push_back(
                {static_cast<lxw_row_t>(std::stoul(p[1])), static_cast<lxw_col_t>(std::stoul(p[2])), p[3].at(0),
                 std::stoi(p[4]), p[5], p.size() > 6 ? p[6] : ""});
        } else {
            falhar(2, "linha do plano inválida: " + linha);
        }
    }
    return livros;
}

void verificar(lxw_error erro, const std::string& onde)
{
    if (erro != LXW_NO_ERROR) falhar(1, onde + ": " + lxw_strerror(erro));
}

void escreverCelula(lxw_worksheet* folha, const Celula& c, lxw_format* formato)
{
    switch (c.tipo) {
    case 's': verificar(worksheet_write_string(folha, c.linha, c.coluna, c.valor.c_str(), formato), "texto"); break;
    case 'n':
        verificar(worksheet_write_number(folha, c.linha, c.coluna, std::strtod(c.valor.c_str(), nullptr), formato),
                  "número");
        break;
    case 'f':
        verificar(worksheet_write_formula_num(folha, c.linha, c.coluna, c.formula.c_str(), formato,
                                              std::strtod(c.valor.c_str(), nullptr)),
                  "fórmula");
        break;
    case 't':
        verificar(worksheet_write_formula_str(folha, c.linha, c.coluna, c.formula.c_str(), formato, c.valor.c_str()),
                  "fórmula");
        break;
    case 'b': verificar(worksheet_write_blank(folha, c.linha, c.coluna, formato), "vazio"); break;
    default: falhar(2, std::string("tipo de célula desconhecido: ") + c.tipo);
    }
}

// Distinct formats, one per format the program's workbook used: fill, font and number format
// vary so the library keeps every one of them.
std::vector<lxw_format*> criarFormatos(lxw_workbook* livro, int quantos)
{
    static const char* const numeros[] = {"General", "###,###,##0.00", "dd-mm-yyyy", "0"};
    std::vector<lxw_format*> formatos;
    for (int i = 0; i < quantos; ++i) {
        lxw_format* f = workbook_add_format(livro);
        format_set_num_format(f, numeros[i % 4]);
        if (i % 2) format_set_bold(f);
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_fg_color(f, static_cast<lxw_color_t>(0x7ACDF6 + i));
        formatos.push_back(f);
    }
    return formatos;
}

void escrever(const Livro& l, const fs::path& pasta)
{
    const std::string destino = (pasta / l.nome).string();
    // Beside the output but not among it: the program's log folder holds no mailed workbooks, and
    // the library's temporary files cost more in a folder of thousands of files.
    std::string temporarios = (pasta / "temporarios").string();
    lxw_workbook_options opcoes{};
    opcoes.constant_memory = l.linhaALinha ? LXW_TRUE : LXW_FALSE;
    opcoes.tmpdir = temporarios.data();
    lxw_workbook* livro = workbook_new_opt(destino.c_str(), &opcoes);
    if (!livro) falhar(1, "não foi possível criar " + destino);
    const std::vector<lxw_format*> formatos = criarFormatos(livro, l.formatos);
    for (const Folha& f : l.folhas) {
        lxw_worksheet* folha = workbook_add_worksheet(livro, f.nome.c_str());
        if (!folha) falhar(1, "folha \"" + f.nome + "\" recusada");
        for (const Celula& c : f.celulas)
            escreverCelula(folha, c,
                           c.formato >= 0 && c.formato < l.formatos ? formatos[static_cast<std::size_t>(c.formato)]
                                                                    : nullptr);
    }
    verificar(workbook_close(livro), destino);
}

double segundosProcessador()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) falhar(2, "uso: bench_escrever_livros PLANO PASTA");
    // The same allocator settings as the program's: the library takes and frees large row
    // buffers for every workbook, which would otherwise go back to the system each time.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    const std::vector<Livro> livros = lerPlano(argv[1]);
    const fs::path pasta(argv[2]);
    fs::create_directories(pasta / "temporarios");

    const auto inicioParede = std::chrono::steady_clock::now();
    const double inicio = segundosProcessador();
    for (const Livro& l : livros) escrever(l, pasta);
    const double cpu = segundosProcessador() - inicio;
    const std::chrono::duration<double> parede = std::chrono::steady_clock::now() - inicioParede;

    long folhas = 0, celulas = 0;
    std::uintmax_t bytes = 0;
    for (const Livro& l : livros) {
        folhas += static_cast<long>(l.folhas.size());
        for (const Folha& f : l.folhas) celulas += static_cast<long>(f.celulas.size());
        bytes += fs::file_size(pasta / l.nome);
    }
    std::cout << std::fixed << std::setprecision(3) << "livros=" << livros.size() << " folhas=" << folhas
              << " celulas=" << celulas << " bytes=" << bytes << " cpu=" << cpu << " parede=" << parede.count()
              << std::endl;
    return 0;
}
