#include "ResumoHtml.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

#include "data/Texto.h"
#include "output/AspectoFolha.h"
#include "output/TotaisFolha.h"

namespace quorvelanti {

namespace {

// What the rows may take of the part: the rest is room for the soft line breaks of the encoding
// (one in 76 characters), the totals row and the lines that close the part.
constexpr std::size_t kOrcamento = MaximoBytesResumo - 48 * 1024;
// A longer text is cut in the summary, with an ellipsis: no table cell reads well beyond it.
constexpr std::size_t kCaracteresTexto = 500;
// Texts up to this long (codes, dates kept as text) stay on one line; longer ones may wrap.
constexpr std::size_t kCaracteresNumaLinha = 16;
constexpr const char* kCelula = "padding:3px 6px;border:1px solid #A6A6A6;";
constexpr const char* kNota = "margin:4px 0 0 0;font-size:12px;color:#404040;";

std::string escapar(const std::string& texto)
{
    std::string saneado = texto::Saneado(texto);
    if (texto::Caracteres(saneado) > kCaracteresTexto) saneado = texto::Primeiros(saneado, kCaracteresTexto) + "…";
    std::string saida;
    for (char c : saneado) {
        switch (c) {
        case '&': saida += "&amp;"; break;
        case '<': saida += "&lt;"; break;
        case '>': saida += "&gt;"; break;
        case '"': saida += "&quot;"; break;
        case '\'': saida += "&#39;"; break;
        default: saida += c;
        }
    }
    return saida;
}

std::string cor(long rgb)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string s = "#";
    for (int desvio = 20; desvio >= 0; desvio -= 4) s += hex[(rgb >> desvio) & 0xF];
    return s;
}

// "-1234.565" as "###,###,##0.00" shows it: "-1.234,57", the halves away from zero.
std::string comFormatoNumerico(const std::string& decimal)
{
    const bool negativo = decimal.front() == '-';
    const std::string semSinal = negativo ? decimal.substr(1) : decimal;
    const std::size_t ponto = semSinal.find('.');
    std::string inteira = semSinal.substr(0, ponto);
    std::string fraccao = ponto == std::string::npos ? "" : semSinal.substr(ponto + 1);
    fraccao.resize(std::max<std::size_t>(fraccao.size(), 3), '0');
    std::string digitos = inteira + fraccao.substr(0, 2);
    if (fraccao[2] >= '5') {
        std::size_t i = digitos.size();
        while (i > 0 && digitos[i - 1] == '9') digitos[--i] = '0';
        if (i == 0)
            digitos.insert(digitos.begin(), '1');
        else
            ++digitos[i - 1];
    }
    inteira = digitos.substr(0, digitos.size() - 2);
    std::string agrupada;
    for (std::size_t i = 0; i < inteira.size(); ++i) {
        if (i > 0 && (inteira.size() - i) % 3 == 0) agrupada += '.';
        agrupada += inteira[i];
    }
    return (negativo ? "-" : "") + agrupada + "," + digitos.substr(digitos.size() - 2);
}

// A number as its cell shows it: with the column's number format, or in General (its shortest
// decimal form).
std::string numero(double valor, bool comFormato)
{
    if (!std::isfinite(valor)) return "";
    char texto[400];
    const auto fim = comFormato ? std::to_chars(texto, texto + sizeof texto, valor, std::chars_format::fixed).ptr
                                : std::to_chars(texto, texto + sizeof texto, valor).ptr;
    std::string decimal(texto, fim);
    if (comFormato) return comFormatoNumerico(decimal);
    for (char& c : decimal)
        if (c == '.') c = ',';
    return decimal;
}

struct Celula {
    std::string texto{};  // escaped
    bool aDireita = false;
    bool numaLinha = true;
};

Celula celula(const Valor& v, bool comFormato)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return {escapar(*s), false, texto::Caracteres(*s) <= kCaracteresNumaLinha};
    if (const auto* d = std::get_if<DataHora>(&v)) return {d->Formatar(FormatoData), true};
    if (ENulo(v)) return {};
    if (const auto* m = std::get_if<Moeda>(&v)) return {numero(m->ComoDouble(), comFormato), true};
    return {numero(ValorComoDouble(v), comFormato), true};
}

std::string estiloCelula(Realce realce, const Celula& c, bool negrito)
{
    std::string estilo = kCelula;
    if (CorFundo(realce) != LivroXlsx::SemCor) estilo += "background:" + cor(CorFundo(realce)) + ";";
    if (CorLetra(realce) != LivroXlsx::SemCor) estilo += "color:" + cor(CorLetra(realce)) + ";";
    if (c.aDireita) estilo += "text-align:right;";
    if (c.numaLinha) estilo += "white-space:nowrap;";
    if (negrito) estilo += "font-weight:bold;";
    return estilo;
}

// The part as it grows, with what it will cost once quoted-printable: a byte beyond ASCII, or
// "=", becomes three.
class Parte {
public:
    static std::size_t Custo(const std::string& s)
    {
        std::size_t custo = 0;
        for (unsigned char c : s) custo += c >= 0x80 || c == '=' ? 3 : 1;
        return custo;
    }
    bool Cabe(const std::string& s) const { return custo_ + Custo(s) <= kOrcamento; }
    void Juntar(const std::string& s)
    {
        html_ += s;
        custo_ += Custo(s);
    }
    std::string Html() && { return std::move(html_); }

private:
    std::string html_;
    std::size_t custo_ = 0;
};

class Folha {
public:
    Folha(const LivroTipo& tipo, const FolhaDescrita& folha) : tipo_(tipo), folha_(folha), dados_(folha.dados)
    {
        registos_ = static_cast<std::size_t>(std::max(0L, dados_.ContarRegistos()));
        for (std::size_t k = 0; k < dados_.NumeroCampos(); ++k)
            comFormato_.push_back(!FormatoNumeroDe(dados_.CampoEm(k)).empty());
        const ResumoFolha& r = folha.resumo;
        if (registos_ == 0) return;  // a set never filled may lack even its fields
        const bool filtrada = !r.campo.empty();
        const std::size_t campo = filtrada ? dados_.IndiceCampo(r.campo) : 0;
        for (std::size_t j = 0; j < registos_; ++j)
            if (!filtrada || ValorComoTexto(dados_.Linha(j)[campo]) != r.omitir) escolhidas_.push_back(j);
    }

    void Escrever(Parte& parte, const std::vector<std::string>& linhasCliente, std::size_t maximo) const
    {
        escreverTitulo(parte, linhasCliente);
        if (escolhidas_.empty()) {
            parte.Juntar(nota("Sem linhas."));
            return;
        }
        const std::size_t mostradas = escreverTabela(parte, maximo);
        if (mostradas < escolhidas_.size())
            parte.Juntar(nota("Mais " + std::to_string(escolhidas_.size() - mostradas) + " linhas no livro anexo."));
    }

private:
    static std::string nota(const std::string& texto)
    {
        return "<p style=\"" + std::string(kNota) + "\">" + texto + "</p>\n";
    }

    // The red title, the weekly client lines under it and, for a sheet shown in part, its caption.
    void escreverTitulo(Parte& parte, const std::vector<std::string>& linhasCliente) const
    {
        const std::string vermelho =
            "background:" + cor(CorVermelho) + ";color:" + cor(CorBranco) + ";font-weight:bold;";
        parte.Juntar("<h2 style=\"margin:18px 0 0 0;padding:6px 8px;font-size:18px;" + vermelho + "\">" +
                     escapar(folha_.titulo) + "</h2>\n");
        for (const auto& linha : linhasCliente)
            parte.Juntar("<p style=\"margin:0;padding:2px 8px;" + vermelho + "\">" + escapar(linha) + "</p>\n");
        if (!folha_.resumo.legenda.empty())
            parte.Juntar(nota(escapar(folha_.resumo.legenda) + ": " + std::to_string(escolhidas_.size()) + " de " +
                              std::to_string(registos_)));
    }

    // The header, the first rows that fit and the totals row; returns how many rows it shows.
    std::size_t escreverTabela(Parte& parte, std::size_t maximo) const
    {
        parte.Juntar(
            "<div style=\"overflow-x:auto;\">\n<table cellspacing=\"0\" cellpadding=\"0\" "
            "style=\"border-collapse:collapse;font-size:13px;margin-top:4px;\">\n" +
            cabecalho());
        const std::size_t primeiras = std::min(maximo, escolhidas_.size());
        std::size_t mostradas = 0;
        while (mostradas < primeiras) {
            const std::string linha = linhaDados(escolhidas_[mostradas]);
            if (!parte.Cabe(linha)) break;
            parte.Juntar(linha);
            ++mostradas;
        }
        // A weekly sheet's grand total, its last row, shows even after a cut, below a row that
        // marks the rows left out: the room kept beyond the rows' share holds both.
        if (mostradas < escolhidas_.size() && temTotalGeral()) {
            parte.Juntar("<tr><td colspan=\"" + std::to_string(dados_.NumeroCampos()) + "\" style=\"" + kCelula +
                         "\">…</td></tr>\n" + linhaDados(escolhidas_.back()));
            ++mostradas;
        }
        parte.Juntar(linhaTotais() + "</tbody>\n</table>\n</div>\n");
        return mostradas;
    }

    bool temTotalGeral() const
    {
        const std::size_t ultima = escolhidas_.back();
        return RealceDados(tipo_, dados_.Linha(ultima), ultima, registos_) == Realce::Vermelho;
    }

    std::string cabecalho() const
    {
        const Realce realce = RealceCabecalho(tipo_, dados_);
        std::string html = "<thead>\n<tr>";
        for (std::size_t k = 0; k < dados_.NumeroCampos(); ++k)
            html += "<th style=\"" + estiloCelula(realce, {.numaLinha = false}, true) + "text-align:center;\">" +
                    escapar(dados_.CampoEm(k).nome) + "</th>";
        return html + "</tr>\n</thead>\n<tbody>\n";
    }

    std::string linhaDados(std::size_t j) const
    {
        const std::vector<Valor>& valores = dados_.Linha(j);
        const Realce realce = RealceDados(tipo_, valores, j, registos_);
        std::string html = "<tr>";
        for (std::size_t k = 0; k < dados_.NumeroCampos(); ++k) {
            const Celula c = celula(valores[k], comFormato_[k]);
            html += "<td style=\"" + estiloCelula(realce, c, false) + "\">" + c.texto + "</td>";
        }
        return html + "</tr>\n";
    }

    // The workbook's totals row: its figures under their columns, red, the other cells empty.
    std::string linhaTotais() const
    {
        if (folha_.totais.empty()) return "";
        TotaisFolha somas(dados_);
        for (std::size_t j = 0; j < registos_; ++j) somas.Somar(dados_.Linha(j));
        const auto resultados = somas.Resultados(folha_.totais);
        std::vector<std::optional<std::string>> textos(dados_.NumeroCampos());
        for (std::size_t p = 0; p < folha_.totais.size(); ++p) {
            const auto k = static_cast<std::size_t>(folha_.totais[p].coluna - 1);
            if (k < textos.size())
                textos[k] = resultados[p] ? numero(*resultados[p], comFormato_[k]) : std::string("#DIV/0!");
        }
        std::string html = "<tr>";
        for (const auto& texto : textos)
            html += texto ? "<td style=\"" + estiloCelula(Realce::Vermelho, {.aDireita = true}, true) + "\">" + *texto +
                                "</td>"
                          : "<td style=\"" + std::string(kCelula) + "\"></td>";
        return html + "</tr>\n";
    }

    const LivroTipo& tipo_;
    const FolhaDescrita& folha_;
    const ConjuntoResultados& dados_;
    std::size_t registos_ = 0;
    std::vector<bool> comFormato_;         // the column shows numbers as "###,###,##0.00"
    std::vector<std::size_t> escolhidas_;  // the rows the summary takes, by position in the sheet
};

std::string nomesFolhas(const DescricaoLivro& livro)
{
    std::string nomes;
    // A sheet without rows is in the workbook under its default name.
    for (const auto& folha : livro.folhas)
        if (folha.dados.ContarRegistos() > 0) nomes += (nomes.empty() ? "" : ", ") + escapar(folha.nome);
    return nomes;
}

}  // namespace

std::string ResumoHtml(const PedidoResumo& pedido)
{
    const LivroTipo tipo(pedido.livro.tipo);
    Parte parte;
    parte.Juntar(
        "<!DOCTYPE html>\n<html lang=\"pt\">\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n</head>\n"
        "<body style=\"margin:0;padding:8px;background:#FFFFFF;color:#000000;"
        "font-family:Calibri,Arial,Helvetica,sans-serif;font-size:14px;\">\n"
        "<p style=\"margin:0 0 8px 0;\">" +
        escapar(pedido.texto) + "</p>\n");
    const std::size_t maximo = static_cast<std::size_t>(std::max(0, pedido.linhas));
    for (const auto& folha : pedido.livro.folhas)
        if (folha.resumo.mostrar) Folha(tipo, folha).Escrever(parte, pedido.livro.linhasCliente, maximo);
    parte.Juntar("<p style=\"margin:18px 0 0 0;font-size:12px;color:#404040;\">O livro anexo, " +
                 escapar(pedido.anexo) + ", tem todas as folhas: " + nomesFolhas(pedido.livro) +
                 ".</p>\n</body>\n</html>\n");
    return std::move(parte).Html();
}

}  // namespace quorvelanti
