#include "LivroXlsx.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "components/files/FicheiroMemoria.h"
#include "components/files/FicheiroTemporario.h"
#include "components/files/PacoteXlsx.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

// The text of the operation is built only when it failed: cells are written millions of times.
template <class Operacao>
void verificar(lxw_error erro, Operacao operacao)
{
    if (erro != LXW_NO_ERROR) throw Erro(erros::LivroFalhou, "Falha ao " + operacao(), lxw_strerror(erro));
}

std::string celula(int linha, int coluna) { return LivroXlsx::NomeColuna(coluna) + std::to_string(linha + 1); }

void verificarCelula(lxw_error erro, int linha, int coluna)
{
    verificar(erro, [&] { return "escrever a célula " + celula(linha, coluna); });
}

// The text as the file format can hold it: characters XML forbids replaced, cut to a cell's
// limit. The text itself when it needs neither, else the copy made in 'copia'.
const std::string& paraLivro(const std::string& texto, std::string& copia)
{
    const std::size_t maximo = LivroXlsx::MaximoCaracteresCelula;
    const bool longo = texto.size() > maximo && texto::Caracteres(texto) > maximo;
    if (!longo && texto::SoCaracteresXml(texto)) return texto;
    copia = texto::Saneado(texto);
    if (texto::Caracteres(copia) > maximo) copia = texto::Primeiros(copia, maximo);
    return copia;
}

std::string pastaDe(const std::string& ficheiro)
{
    const std::filesystem::path caminho(ficheiro);
    return caminho.has_parent_path() ? caminho.parent_path().string() : ".";
}

// Packing a workbook held whole, the library writes each part of the file to a small file of its
// own, created and removed at once: about ten a workbook, which cost a disk far more than their
// bytes, and nothing in memory. A row-by-row workbook's sheet files can be as large as its data:
// they stay on the workbook's own file system. The margin leaves a small or busy memory folder be.
constexpr long long kLivresEmMemoria = 256LL << 20;

std::string pastaTemporariosDa(const std::string& ficheiro, LivroXlsx::Escrita escrita)
{
    if (escrita == LivroXlsx::Escrita::EmMemoria)
        if (std::string memoria = sistema::PastaEmMemoria(kLivresEmMemoria); !memoria.empty()) return memoria;
    return pastaDe(ficheiro);
}

// The library reads 0 as "no colour"; black has its own value.
lxw_color_t cor(long rgb)
{
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : static_cast<lxw_color_t>(rgb);
}

}  // namespace

LivroXlsx::LivroXlsx(const std::string& ficheiro) : LivroXlsx(ficheiro, Pedido{}) {}

LivroXlsx::LivroXlsx(const std::string& ficheiro, Pedido pedido)
    : destino_(ficheiro), pastaTemporarios_(pastaTemporariosDa(ficheiro, pedido.escrita)), provas_(pedido.provas)
{
    if (pedido.paraMensagem) memoria_ = FicheiroMemoria::Criar();
    try {
        if (!memoria_) temporario_ = std::make_unique<FicheiroTemporario>(ficheiro);
    } catch (const Erro& erro) {
        throw Erro(erros::LivroFalhou, "Não foi possível criar o livro " + ficheiro, erro.Detalhe());
    }
    // Row by row, a large result set costs the writer almost nothing beyond the row being
    // written, but each sheet costs a file; small sheets are cheaper held whole.
    lxw_workbook_options opcoes{};
    opcoes.constant_memory = pedido.escrita == Escrita::LinhaALinha ? LXW_TRUE : LXW_FALSE;
    opcoes.tmpdir = pastaTemporarios_.data();
    livro_ = workbook_new_opt((memoria_ ? memoria_->Caminho() : temporario_->Caminho()).c_str(), &opcoes);
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
    temporario_.reset();
    memoria_.reset();
}

void LivroXlsx::AdicionarFolha(const std::string& nome)
{
    std::string copia;
    const std::string& valido = paraLivro(nome, copia);
    // The library would only print a warning and hand back no sheet for a bad name.
    if (!nome.empty())
        verificar(workbook_validate_sheet_name(livro_, valido.c_str()),
                  [&] { return "dar o nome \"" + nome + "\" a uma folha"; });
    folha_ = workbook_add_worksheet(livro_, nome.empty() ? nullptr : valido.c_str());
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
    std::string copia;
    verificarCelula(worksheet_write_string(folha_, linha, coluna, paraLivro(texto, copia).c_str(), formato), linha,
                    coluna);
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

void LivroXlsx::FormulaNumero(int linha, int coluna, const std::string& formula, double resultado, Formato formato)
{
    verificar(worksheet_write_formula_num(folha_, linha, coluna, formula.c_str(), formato, resultado),
              [&] { return "escrever a fórmula da célula " + celula(linha, coluna); });
}

void LivroXlsx::FormulaTexto(int linha, int coluna, const std::string& formula, const std::string& resultado,
                             Formato formato)
{
    std::string copia;
    verificar(worksheet_write_formula_str(folha_, linha, coluna, formula.c_str(), formato,
                                          paraLivro(resultado, copia).c_str()),
              [&] { return "escrever a fórmula da célula " + celula(linha, coluna); });
}

void LivroXlsx::Fundir(int linha, int coluna, int ultimaColuna, const std::string& texto, Formato formato)
{
    // The format has no merge of a single cell; such a range is just its one cell.
    if (ultimaColuna <= coluna) return Texto(linha, coluna, texto, formato);
    std::string copia;
    verificar(
        worksheet_merge_range(folha_, linha, coluna, linha, ultimaColuna, paraLivro(texto, copia).c_str(), formato),
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

void LivroXlsx::Impressao(int linhaCabecalho)
{
    worksheet_set_landscape(folha_);
    worksheet_fit_to_pages(folha_, 1, 0);  // one page wide, as many long as it takes
    verificar(worksheet_repeat_rows(folha_, 0, static_cast<lxw_row_t>(linhaCabecalho)),
              [&] { return "repetir as linhas 1 a " + std::to_string(linhaCabecalho + 1) + " em cada página"; });
    worksheet_freeze_panes(folha_, static_cast<lxw_row_t>(linhaCabecalho + 1), 0);
}

void LivroXlsx::Gravar() { Fechar().Guardar(); }

LivroAnexo LivroXlsx::Fechar(std::string nomeAnexo)
{
    lxw_workbook* livro = livro_;
    livro_ = nullptr;  // closing frees the workbook whatever it returns
    folha_ = nullptr;
    errno = 0;
    const lxw_error erro = workbook_close(livro);
    // The library's message is generic ("error creating output file"); the system's says why
    // (a full disk, a file-size limit).
    if (erro != LXW_NO_ERROR)
        throw Erro(erros::LivroFalhou, "Falha ao gravar o livro " + destino_,
                   std::string(lxw_strerror(erro)) + (errno ? std::string(": ") + std::strerror(errno) : ""));
    verificarPacote();
    if (memoria_) return LivroAnexo(std::move(memoria_), destino_, std::move(nomeAnexo));
    return LivroAnexo(std::move(temporario_), std::move(nomeAnexo));
}

// The library neither checks its writes to the parts' short-lived files nor says when one failed:
// only the finished package shows a part that a full folder or a file-size limit cut short.
void LivroXlsx::verificarPacote() const
{
    try {
        const std::string pacote = memoria_ ? memoria_->Ler() : temporario_->Ler();
        if (provas_)
            provas_->Verificar(pacote);
        else
            PacoteXlsx().Verificar(pacote);
    } catch (const Erro& erro) {
        throw Erro(erros::LivroFalhou, "Falha ao gravar o livro " + destino_, erro.DescricaoCompleta());
    }
}

std::string LivroXlsx::NomeColuna(int coluna)
{
    std::string nome;
    for (int n = coluna + 1; n > 0; n = (n - 1) / 26) nome.insert(nome.begin(), static_cast<char>('A' + (n - 1) % 26));
    return nome;
}

}  // namespace quorvelanti
