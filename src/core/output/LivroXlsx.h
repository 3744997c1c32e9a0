#pragma once
// An .xlsx file being written, that appears under its final name only when it is complete (every
// part proven whole, see PacoteXlsx) and on disk, or is handed over whole, unsynced, for a
// message. Owns the writer library's workbook and the file it writes: a temporary file in the
// destination folder, or for a message a file in memory where the system has one. The library's own short-lived files
// go to the system's memory folder for a workbook held whole (sistema::PastaEmMemoria), else beside the workbook.
// Whatever is neither saved with Gravar nor handed over with Fechar is discarded when the object goes.
//
//   LivroXlsx livro("/var/rel/mapa.xlsx");   // or (..., {.escrita = LivroXlsx::Escrita::LinhaALinha})
//   livro.AdicionarFolha("Vendas");                     // "" keeps the default sheet name
//   auto titulo = livro.FormatoDe({.negrito = true, .tamanhoLetra = 20});
//   livro.Texto(0, 0, "Vendas do dia", titulo);         // rows in increasing order only
//   livro.Numero(3, 2, 12.5, livro.FormatoDe({.formatoNumero = "###,###,##0.00"}));
//   livro.Gravar();                                     // renamed onto /var/rel/mapa.xlsx
//   // or: LivroAnexo anexo = livro.Fechar();          // for a message, see LivroAnexo
//
// Rows and columns are 0-based. Cells go to the sheet added last; within a sheet rows must be
// written in increasing order (the rows of one row in any order). Texts go in as the format can
// hold them (texto::Saneado, cut to a cell's limit), so the file is well-formed whatever the data
// holds. Every failure is an Erro numbered erros::LivroFalhou carrying the library's own message,
// or the reason the finished package is not whole.
#include <map>
#include <memory>
#include <string>

#include "output/LivroAnexo.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace quorvelanti {

class FicheiroMemoria;
class FicheiroTemporario;
class PacoteXlsx;

class LivroXlsx {
public:
    static constexpr long SemCor = -1;

    // A cell's look. Equal looks share one format in the file.
    struct Estilo {
        bool negrito = false;
        int tamanhoLetra = 0;  // 0: the default size
        long fundo = SemCor;   // solid fill, 0xRRGGBB
        long corLetra = SemCor;
        bool centrado = false;
        std::string formatoNumero;  // "" : General

        friend auto operator<=>(const Estilo&, const Estilo&) = default;
    };
    // A format handle of this workbook; nullptr is the default look.
    using Formato = lxw_format*;

    // How the cells wait until the file is written: the same file either way.
    enum class Escrita {
        EmMemoria,    // the whole workbook in memory: no file per sheet, for small sheets
        LinhaALinha,  // each row goes to a temporary file once the next starts: large sheets in little memory
    };

    struct Pedido {
        Escrita escrita = Escrita::EmMemoria;
        // Meant for a message (Fechar) and dropped once mailed: the file is written in memory
        // where the system allows (see LivroAnexo), not on disk.
        bool paraMensagem = false;
        // The run's proofs, which its workbooks share (see PacoteXlsx); none: one of its own.
        PacoteXlsx* provas = nullptr;
    };

    explicit LivroXlsx(const std::string& ficheiro);
    LivroXlsx(const std::string& ficheiro, Pedido pedido);
    ~LivroXlsx();
    LivroXlsx(const LivroXlsx&) = delete;
    LivroXlsx& operator=(const LivroXlsx&) = delete;

    // Appends a sheet and makes it the one written to; an empty name keeps the default name.
    void AdicionarFolha(const std::string& nome);
    Formato FormatoDe(const Estilo& estilo);

    void Texto(int linha, int coluna, const std::string& texto, Formato formato);
    void Numero(int linha, int coluna, double valor, Formato formato);
    // A cell without value; with the default look nothing is written.
    void Vazio(int linha, int coluna, Formato formato);
    void FormulaNumero(int linha, int coluna, const std::string& formula, double resultado, Formato formato);
    void FormulaTexto(int linha, int coluna, const std::string& formula, const std::string& resultado, Formato formato);
    // Merges the cells of one row from coluna to ultimaColuna, the text in the first of them.
    void Fundir(int linha, int coluna, int ultimaColuna, const std::string& texto, Formato formato);
    // Row height in points; in a streamed sheet, before the row's first cell.
    void Altura(int linha, double pontos);
    // Width in characters; the format is what the column's empty cells show.
    void Coluna(int coluna, double largura, Formato formato);

    // How the sheet prints and scrolls: landscape, fitted to one page wide, rows 0 to
    // linhaCabecalho repeated at the top of every printed page, panes frozen below that row.
    // Cells, widths and formats stay as written.
    void Impressao(int linhaCabecalho);

    // Writes the file, proves it whole (PacoteXlsx), flushes it to disk and renames it onto the
    // destination, replacing what was there.
    void Gravar();
    // Writes the file, proves it whole and hands it over where it was written, not synced;
    // 'nomeAnexo' names its attachment ("" for the last part of the destination). A package the
    // proof refuses is dropped: Erro "Falha ao gravar o livro <destination>" with the reason.
    LivroAnexo Fechar(std::string nomeAnexo = "");

    // "A" for 0, "Z" for 25, "AA" for 26.
    static std::string NomeColuna(int coluna);
    // The longest text a cell holds, in characters.
    static constexpr std::size_t MaximoCaracteresCelula = 32767;

private:
    void descartar() noexcept;
    void verificarPacote() const;

    std::string destino_;
    std::string pastaTemporarios_;                    // the library's own, in memory or beside the workbook
    std::unique_ptr<FicheiroTemporario> temporario_;  // one of the two holds the bytes
    std::unique_ptr<FicheiroMemoria> memoria_;
    lxw_workbook* livro_ = nullptr;
    lxw_worksheet* folha_ = nullptr;
    std::map<Estilo, Formato> formatos_;
    PacoteXlsx* provas_;
};

}  // namespace quorvelanti
