#include "LivroXlsx.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

// The text of the operation is built only when it failed: cells are written millions of times.
template <class Operacao>
void verificar(lxw_error erro, Operacao operacao)
{
    if (erro != LXW_NO_ERROR) throw Erro(erros::LivroFalhou, "Falha ao " + operacao(), lxw_strerror(erro));
}

std::string celula(int linha, int coluna)
{
    return LivroXlsx::NomeColuna(coluna) + std::to_string(linha + 1);
}

void verificarCelula(lxw_error erro, int linha, int coluna)
{
    verificar(erro, [&] { return "escrever a célula " + celula(linha, coluna); });
}

// Creates an empty file next to the destination, so the final rename stays within one file
// system and is atomic. Hidden (leading dot) so nobody picks it up half-written.
std::string criarTemporario(const std::string& destino)
{
    namespace fs = std::filesystem;
    const fs::path caminho(destino);
    const fs::path pasta = caminho.has_parent_path() ? caminho.parent_path() : fs::path(".");
    static constexpr char letras[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device fonte;
    std::uniform_int_distribution<std::size_t> escolha(0, sizeof letras - 2);
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        std::string sufixo;
        for (int i = 0; i < 6; ++i) sufixo += letras[escolha(fonte)];
        const std::string nome = (pasta / ("." + caminho.filename().string() + ".tmp-" + sufixo)).string();
        // 0666 so the finished workbook gets the same permissions as any file the user creates.
        const int fd = ::open(nome.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return nome;
        }
        if (errno != EEXIST)
            throw Erro(erros::LivroFalhou, "Não foi possível criar o livro " + destino, std::strerror(errno));
    }
    throw Erro(erros::LivroFalhou, "Não foi possível criar o livro " + destino, "nomes temporários esgotados");
}

// The library reads 0 as "no colour"; black has its own value.
lxw_color_t cor(long rgb) { return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : static_cast<lxw_color_t>(rgb); }

}  // namespace

LivroXlsx::LivroXlsx(const std::string& ficheiro) : destino_(ficheiro), temporario_(criarTemporario(ficheiro))
{
    // Constant memory: each row goes to disk once the next one starts, so a large result set
    // costs the writer almost nothing beyond the row being written.
    lxw_workbook_options opcoes{};
    opcoes.constant_memory = LXW_TRUE;
    livro_ = workbook_new_opt(temporario_.c_str(), &opcoes);
    if (!livro_) {
        descartar();
        throw Erro(erros::LivroFalhou, "Não foi possível criar o livro " + ficheiro, "sem memória");
    }
}

LivroXlsx::~LivroXlsx() { descartar(); }

void LivroXlsx::descartar() noexcept
{
    if (livro_) lxw_workbook_free(livro_);
    livro_ = nullptr;
    folha_ = nullptr;
    if (!temporario_.empty()) std::remove(temporario_.c_str());
    temporario_.clear();
}

void LivroXlsx::AdicionarFolha(const std::string& nome)
{
    // The library would only print a warning and hand back no sheet for a bad name.
    if (!nome.empty()) verificar(workbook_validate_sheet_name(livro_, nome.c_str()),
                  [&] { return "dar o nome \"" + nome + "\" a uma folha"; });
    folha_ = workbook_add_worksheet(livro_, nome.empty() ? nullptr : nome.c_str());
    if (!folha_) throw Erro(erros::LivroFalhou, "Falha ao acrescentar a folha \"" + nome + "\"");
}

LivroXlsx::Formato LivroXlsx::FormatoDe(const Estilo& estilo)
{
    if (estilo == Estilo{}) return nullptr;
    auto [posicao, novo] = formatos_.try_emplace(estilo, nullptr);
    if (!novo) return posicao->second;
    lxw_format* f = workbook_add_format(livro_);
    if (!f) {
        formatos_.erase(posicao);
        throw Erro(erros::LivroFalhou, "Falha ao criar um formato", "sem memória");
    }
    if (estilo.negrito) format_set_bold(f);
    if (estilo.tamanhoLetra > 0) format_set_font_size(f, estilo.tamanhoLetra);
    if (estilo.corLetra != SemCor) format_set_font_color(f, cor(estilo.corLetra));
    if (estilo.fundo != SemCor) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_fg_color(f, cor(estilo.fundo));
    }
    if (estilo.centrado) format_set_align(f, LXW_ALIGN_CENTER);
    if (!estilo.formatoNumero.empty()) format_set_num_format(f, estilo.formatoNumero.c_str());
    posicao->second = f;
    return f;
}

void LivroXlsx::Texto(int linha, int coluna, const std::string& texto, Formato formato)
{
    // A longer text is refused by the format; a long remark must not cost the whole workbook.
    std::string cortado;
    const char* escrito = texto.c_str();
    if (texto.size() > MaximoCaracteresCelula && texto::Caracteres(texto) > MaximoCaracteresCelula) {
        cortado = texto::Primeiros(texto, MaximoCaracteresCelula);
        escrito = cortado.c_str();
    }
    verificarCelula(worksheet_write_string(folha_, linha, coluna, escrito, formato), linha, coluna);
}

void LivroXlsx::Numero(int linha, int coluna, double valor, Formato formato)
{
    // The file format has no infinity or NaN; written as such they would corrupt the sheet.
    if (!std::isfinite(valor)) return Vazio(linha, coluna, formato);
    verificarCelula(worksheet_write_number(folha_, linha, coluna, valor, formato), linha, coluna);
}

void LivroXlsx::Vazio(int linha, int coluna, Formato formato)
{
    if (!formato) return;
    verificarCelula(worksheet_write_blank(folha_, linha, coluna, formato), linha, coluna);
}

void LivroXlsx::FormulaNumero(int linha, int coluna, const std::string& formula, double resultado,
                              Formato formato)
{
    verificar(worksheet_write_formula_num(folha_, linha, coluna, formula.c_str(), formato, resultado),
              [&] { return "escrever a fórmula da célula " + celula(linha, coluna); });
}

void LivroXlsx::FormulaTexto(int linha, int coluna, const std::string& formula, const std::string& resultado,
                             Formato formato)
{
    verificar(worksheet_write_formula_str(folha_, linha, coluna, formula.c_str(), formato, resultado.c_str()),
              [&] { return "escrever a fórmula da célula " + celula(linha, coluna); });
}

void LivroXlsx::Fundir(int linha, int coluna, int ultimaColuna, const std::string& texto, Formato formato)
{
    // The format has no merge of a single cell; such a range is just its one cell.
    if (ultimaColuna <= coluna) return Texto(linha, coluna, texto, formato);
    verificar(worksheet_merge_range(folha_, linha, coluna, linha, ultimaColuna, texto.c_str(), formato),
              [&] { return "fundir as células " + celula(linha, coluna) + ":" + celula(linha, ultimaColuna); });
}

void LivroXlsx::Altura(int linha, double pontos)
{
    verificar(worksheet_set_row(folha_, linha, pontos, nullptr),
              [&] { return "definir a altura da linha " + std::to_string(linha + 1); });
}

void LivroXlsx::Coluna(int coluna, double largura, Formato formato)
{
    verificar(worksheet_set_column(folha_, coluna, coluna, largura, formato),
              [&] { return "definir a coluna " + NomeColuna(coluna); });
}

void LivroXlsx::Gravar()
{
    lxw_workbook* livro = livro_;
    livro_ = nullptr;  // closing frees the workbook whatever it returns
    folha_ = nullptr;
    verificar(workbook_close(livro), [&] { return "gravar o livro " + destino_; });
    if (std::rename(temporario_.c_str(), destino_.c_str()) != 0)
        throw Erro(erros::LivroFalhou, "Falha ao gravar o livro " + destino_, std::strerror(errno));
    temporario_.clear();
}

std::string LivroXlsx::NomeColuna(int coluna)
{
    std::string nome;
    for (int n = coluna + 1; n > 0; n = (n - 1) / 26) nome.insert(nome.begin(), static_cast<char>('A' + (n - 1) % 26));
    return nome;
}

}  // namespace quorvelanti
