#include "LivroFolha.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

#include "data/Interrupcao.h"

namespace quorvelanti {

namespace {

constexpr int TamanhoTitulo = 20;
constexpr double AlturaTitulo = 26.25;  // points: a 20-point line with its spacing
constexpr int LarguraNumeros = 15;
constexpr double LarguraPadrao = 8.43;  // what the spreadsheet shows for a column never sized
constexpr double LarguraMaxima = 255;   // the widest column the format allows

// Width in pixels of a text in the default 11-point font, by classes of letters: close enough
// for fitting a column to a few header texts.
double pixeis(const std::string& utf8)
{
    static constexpr std::string_view estreitas = "iljI!|.,:;'`";
    static constexpr std::string_view meias = "ftr()[]{}- \"/\\";
    static constexpr std::string_view largas = "mwMW@%";
    double total = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) == 0x80) continue;  // continuation byte of a multibyte letter
        if (estreitas.find(static_cast<char>(c)) != std::string_view::npos)
            total += 3;
        else if (meias.find(static_cast<char>(c)) != std::string_view::npos)
            total += 4.5;
        else if (largas.find(static_cast<char>(c)) != std::string_view::npos)
            total += 11;
        else if (c >= 'A' && c <= 'Z')
            total += 8;
        else
            total += 7;
    }
    return total;
}

// Column width (in characters of 7 pixels) that fits the text, with the cell's own padding.
double larguraPara(const std::string& texto, bool negrito, int tamanhoLetra)
{
    const double escala = (negrito ? 1.07 : 1.0) * tamanhoLetra / 11.0;
    return std::ceil((pixeis(texto) * escala + 7) / 7.0 * 100) / 100;
}

double larguraDefinida(int tamanho)
{
    // Width 0 would hide the column and the format has no column wider than 255.
    if (tamanho <= 0) return LarguraPadrao;
    return std::min<double>(tamanho, LarguraMaxima);
}

}  // namespace

LivroFolha::LivroFolha(LivroXlsx& livro, const LivroTipo& tipo, ConjuntoResultados dados)
    : livro_(livro),
      tipo_(tipo),
      dados_(std::move(dados)),
      campos_(static_cast<int>(dados_.NumeroCampos())),
      registos_(static_cast<std::size_t>(std::max(0L, dados_.ContarRegistos()))),
      colunas_(dados_.NumeroCampos()),
      totais_(dados_)
{
}

void LivroFolha::Escrever(const std::string& titulo, const std::vector<std::string>& linhasCliente,
                          const std::vector<EntradaTotal>& totais)
{
    // Rows strictly top to bottom: the writer streams each finished row to disk.
    prepararColunas(linhasCliente, titulo);
    escreverTitulo(titulo);
    escreverCliente(linhasCliente);
    escreverCabecalho();
    escreverDados();
    escreverTotais(totais);
    // A long sheet prints one page wide with its titles on every page, and on screen the
    // header stays in view.
    livro_.Impressao(tipo_.LinhaCabecalho() - 1);
}

void LivroFolha::prepararColunas(const std::vector<std::string>& linhasCliente, const std::string& titulo)
{
    for (int k = 0; k < campos_; ++k) {
        const Campo& campo = dados_.CampoEm(k);
        Coluna& coluna = colunas_[k];
        coluna.formatoNumero = FormatoNumeroDe(campo);
        coluna.largura = largura(k, linhasCliente, titulo);
        livro_.Coluna(k, coluna.largura, livro_.FormatoDe(LivroXlsx::Estilo{.formatoNumero = coluna.formatoNumero}));
        for (Realce r : {Realce::Nenhum, Realce::Faixa, Realce::Vermelho, Realce::Azul})
            for (bool data : {false, true})
                coluna.formatos[static_cast<int>(r)][data] = livro_.FormatoDe(LivroXlsx::Estilo{
                    .fundo = CorFundo(r),
                    .corLetra = CorLetra(r),
                    .formatoNumero = data ? FormatoData : coluna.formatoNumero,
                });
    }
}

double LivroFolha::largura(std::size_t c, const std::vector<std::string>& linhasCliente,
                           const std::string& titulo) const
{
    const Campo& campo = dados_.CampoEm(c);
    switch (campo.tipo) {
    case TipoCampo::Inteiro:
    case TipoCampo::Duplo:
    case TipoCampo::Moeda: return LarguraNumeros;
    case TipoCampo::Data:
    case TipoCampo::DataHora: break;
    default: return larguraDefinida(campo.tamanho);
    }
    // Dates are fitted before any data is in the sheet: to the header and, in column A, to the
    // client rows, and to the title when it is not merged over other columns.
    double ajustada = 0;
    if (!campo.nome.empty()) ajustada = larguraPara(campo.nome, true, 11);
    if (c == 0) {
        for (const auto& linha : linhasCliente) ajustada = std::max(ajustada, larguraPara(linha, true, 11));
        if (campos_ == 1 && !titulo.empty()) ajustada = std::max(ajustada, larguraPara(titulo, true, TamanhoTitulo));
    }
    return ajustada > 0 ? std::min(ajustada, LarguraMaxima) : LarguraPadrao;
}

LivroXlsx::Formato LivroFolha::formatoLinha(int coluna, Realce realce, bool negrito, bool centrado)
{
    return livro_.FormatoDe(LivroXlsx::Estilo{
        .negrito = negrito,
        .fundo = CorFundo(realce),
        .corLetra = CorLetra(realce),
        .centrado = centrado,
        .formatoNumero = coluna < campos_ ? colunas_[coluna].formatoNumero : std::string(),
    });
}

void LivroFolha::escreverTitulo(const std::string& titulo)
{
    const auto a1 = livro_.FormatoDe(LivroXlsx::Estilo{
        .negrito = true,
        .tamanhoLetra = TamanhoTitulo,
        .fundo = CorVermelho,
        .corLetra = CorBranco,
        .centrado = true,
        .formatoNumero = colunas_[0].formatoNumero,
    });
    // Readers do not grow a row for a large font by themselves, so the title would be clipped.
    livro_.Altura(0, AlturaTitulo);
    livro_.Fundir(0, 0, campos_ - 1, titulo, a1);
    // The merge gives every cell A1's look; only A1 is bold and large.
    for (int k = 1; k < campos_; ++k) livro_.Vazio(0, k, formatoLinha(k, Realce::Vermelho, false, true));
}

void LivroFolha::escreverCliente(const std::vector<std::string>& linhasCliente)
{
    for (std::size_t i = 0; i < linhasCliente.size(); ++i) {
        const int linha = static_cast<int>(i) + 1;
        livro_.Texto(linha, 0, linhasCliente[i], formatoLinha(0, Realce::Vermelho, true, false));
        for (int k = 1; k < campos_; ++k) livro_.Vazio(linha, k, formatoLinha(k, Realce::Vermelho, false, false));
    }
}

void LivroFolha::escreverCabecalho()
{
    const Realce realce = RealceCabecalho(tipo_, dados_);
    const int linha = tipo_.LinhaCabecalho() - 1;
    for (int k = 0; k < campos_; ++k)
        livro_.Texto(linha, k, dados_.CampoEm(k).nome, formatoLinha(k, realce, true, true));
}

void LivroFolha::escreverDados()
{
    const int primeira = tipo_.PrimeiraLinhaDados() - 1;
    for (std::size_t j = 0; j < registos_; ++j) {
        Interrupcao::Verificar();  // a large sheet takes a while
        const int linha = primeira + static_cast<int>(j);
        const std::vector<Valor>& valores = dados_.Linha(j);
        const auto realce = static_cast<int>(RealceDados(tipo_, valores, j, registos_));
        totais_.Somar(valores);
        for (int k = 0; k < campos_; ++k) {
            const auto& formatos = colunas_[k].formatos[realce];
            const Valor& v = valores[k];
            if (const auto* m = std::get_if<Moeda>(&v)) {
                livro_.Numero(linha, k, m->ComoDouble(), formatos[0]);
            } else if (const auto* s = std::get_if<std::string>(&v)) {
                livro_.Texto(linha, k, *s, formatos[0]);
            } else if (const auto* d = std::get_if<DataHora>(&v)) {
                livro_.Numero(linha, k, d->NumeroSerie(), formatos[1]);
            } else if (ENulo(v)) {
                // An empty cell still shows the row's colour.
                if (realce != static_cast<int>(Realce::Nenhum)) livro_.Vazio(linha, k, formatos[0]);
            } else {
                livro_.Numero(linha, k, ValorComoDouble(v), formatos[0]);
            }
        }
    }
}

void LivroFolha::escreverTotais(const std::vector<EntradaTotal>& totais)
{
    const int primeira = tipo_.PrimeiraLinhaDados();
    const int ultima = primeira + static_cast<int>(registos_) - 1;
    const std::string t = std::to_string(ultima + 1);
    const std::vector<std::optional<double>> resultados = totais_.Resultados(totais);
    for (std::size_t p = 0; p < totais.size(); ++p) {
        const EntradaTotal& e = totais[p];
        const std::string letra = LivroXlsx::NomeColuna(e.coluna - 1);
        const auto formato = formatoLinha(e.coluna - 1, Realce::Vermelho, false, false);
        std::string formula;
        if (e.tipo == TipoTotal::SUMC) {
            formula = "=sum(" + letra + std::to_string(primeira) + ":" + letra + std::to_string(ultima) + ")";
        } else {
            const auto [x, y] = TotaisFolha::Operandos(totais, p);
            const std::string X = LivroXlsx::NomeColuna(totais[x].coluna - 1);
            const std::string Y = LivroXlsx::NomeColuna(totais[y].coluna - 1);
            formula = "=(" + X + t + "-" + Y + t + ")/" + X + t + " *100";
        }
        if (resultados[p])
            livro_.FormulaNumero(ultima, e.coluna - 1, formula, *resultados[p], formato);
        else
            livro_.FormulaTexto(ultima, e.coluna - 1, formula, "#DIV/0!", formato);
    }
}

}  // namespace quorvelanti
