#include "ReescritaTsql.h"

#include <cctype>
#include <set>
#include <vector>

#include "data/DataHora.h"
#include "data/Erro.h"
#include "data/Texto.h"

// The rewrite works on a tree of tokens where every parenthesised part is one node, so a function
// call is a word followed by a group and each level of nesting is rewritten on its own, innermost
// first. Text inside strings, [identifiers], "identifiers" and comments is never looked at.

namespace quorvelanti {

namespace {

enum class Tipo { Espaco, Palavra, Texto, Identificador, Numero, Simbolo, Grupo, Bruto };

struct No {
    Tipo tipo = Tipo::Espaco;
    std::string texto;          // the token as written (a group: empty)
    std::vector<No> filhos;     // a group's content, without its parentheses
    bool devolveTexto = false;  // the node yields text (text literal, text cast, text chain)
};

using Sequencia = std::vector<No>;

[[noreturn]] void falhar(const std::string& descricao, const std::string& detalhe)
{
    throw Erro(erros::ConsultaFalhou, descricao, detalhe);
}

// ---------------------------------------------------------------------------------------------
// Tokens

bool caracterDePalavra(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '@' || c == '#' || c == '$' || c >= 0x80;
}

// Reads up to (and including) the closing quote; a doubled quote is part of the text.
std::size_t fimCitado(const std::string& s, std::size_t i, char fecho)
{
    for (++i; i < s.size(); ++i) {
        if (s[i] != fecho) continue;
        if (i + 1 < s.size() && s[i + 1] == fecho) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return s.size();
}

std::size_t fimNumero(const std::string& s, std::size_t i)
{
    auto digitos = [&] {
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    };
    digitos();
    if (i < s.size() && s[i] == '.') {
        ++i;
        digitos();
    }
    if (i + 1 < s.size() && (s[i] == 'e' || s[i] == 'E') &&
        (std::isdigit(static_cast<unsigned char>(s[i + 1])) || s[i + 1] == '-' || s[i + 1] == '+')) {
        i += 2;
        digitos();
    }
    return i;
}

std::vector<No> tokens(const std::string& s)
{
    std::vector<No> lista;
    std::size_t i = 0;
    auto juntar = [&](Tipo tipo, std::size_t fim) {
        lista.push_back(No{tipo, s.substr(i, fim - i), {}, tipo == Tipo::Texto});
        i = fim;
    };
    while (i < s.size()) {
        unsigned char c = s[i];
        if (std::isspace(c)) {
            std::size_t f = i;
            while (f < s.size() && std::isspace(static_cast<unsigned char>(s[f]))) ++f;
            juntar(Tipo::Espaco, f);
        } else if (s.compare(i, 2, "--") == 0) {
            std::size_t f = s.find('\n', i);
            juntar(Tipo::Espaco, f == std::string::npos ? s.size() : f);
        } else if (s.compare(i, 2, "/*") == 0) {
            std::size_t f = s.find("*/", i + 2);
            juntar(Tipo::Espaco, f == std::string::npos ? s.size() : f + 2);
        } else if ((c == 'N' || c == 'n') && i + 1 < s.size() && s[i + 1] == '\'') {
            ++i;  // N'...' is a Unicode literal in T-SQL; every SQLite text already is one
            juntar(Tipo::Texto, fimCitado(s, i, '\''));
        } else if (c == '\'') {
            juntar(Tipo::Texto, fimCitado(s, i, '\''));
        } else if (c == '"') {
            juntar(Tipo::Identificador, fimCitado(s, i, '"'));
        } else if (c == '[') {
            juntar(Tipo::Identificador, fimCitado(s, i, ']'));
        } else if (std::isdigit(c)) {
            juntar(Tipo::Numero, fimNumero(s, i));
        } else if (caracterDePalavra(c)) {
            std::size_t f = i;
            while (f < s.size() && caracterDePalavra(static_cast<unsigned char>(s[f]))) ++f;
            juntar(Tipo::Palavra, f);
        } else {
            static const char* duplos[] = {"<>", "<=", ">=", "!=", "!<", "!>", "||"};
            std::size_t comprimento = 1;
            for (const char* d : duplos)
                if (s.compare(i, 2, d) == 0) comprimento = 2;
            juntar(Tipo::Simbolo, i + comprimento);
        }
    }
    return lista;
}

bool ePalavra(const No& n, const char* palavra)
{
    return n.tipo == Tipo::Palavra && texto::IguaisSemCaixa(n.texto, palavra);
}

bool eSimbolo(const No& n, const char* simbolo) { return n.tipo == Tipo::Simbolo && n.texto == simbolo; }

// Nests the flat tokens by their parentheses, leaving out every "dbo." schema prefix.
Sequencia arvore(const std::vector<No>& lista, std::size_t& i, bool dentro)
{
    Sequencia seq;
    while (i < lista.size()) {
        const No& n = lista[i++];
        if (eSimbolo(n, "(")) {
            No grupo{Tipo::Grupo, {}, arvore(lista, i, true), false};
            seq.push_back(std::move(grupo));
        } else if (eSimbolo(n, ")")) {
            if (!dentro) falhar("Parênteses desequilibrados na instrução", "')' a mais");
            return seq;
        } else if (ePalavra(n, "dbo") && i < lista.size() && eSimbolo(lista[i], ".")) {
            ++i;
        } else {
            seq.push_back(n);
        }
    }
    if (dentro) falhar("Parênteses desequilibrados na instrução", "falta ')'");
    return seq;
}

std::string escrever(const Sequencia& seq);

std::string escrever(const No& n) { return n.tipo == Tipo::Grupo ? "(" + escrever(n.filhos) + ")" : n.texto; }

std::string escrever(const Sequencia& seq)
{
    std::string s;
    for (const No& n : seq) s += escrever(n);
    return s;
}

// Index of the next node at or after i that is not blank; seq.size() when there is none.
std::size_t seguinte(const Sequencia& seq, std::size_t i)
{
    while (i < seq.size() && seq[i].tipo == Tipo::Espaco) ++i;
    return i;
}

// Index of the last node before i that is not blank; seq.size() when there is none.
std::size_t anterior(const Sequencia& seq, std::size_t i)
{
    while (i > 0)
        if (seq[--i].tipo != Tipo::Espaco) return i;
    return seq.size();
}

Sequencia aparada(Sequencia seq)
{
    while (!seq.empty() && seq.back().tipo == Tipo::Espaco) seq.pop_back();
    std::size_t inicio = seguinte(seq, 0);
    return Sequencia(seq.begin() + static_cast<long>(inicio), seq.end());
}

std::vector<Sequencia> argumentos(const Sequencia& conteudo)
{
    std::vector<Sequencia> args(1);
    for (const No& n : conteudo) {
        if (eSimbolo(n, ","))
            args.emplace_back();
        else
            args.back().push_back(n);
    }
    for (auto& a : args) a = aparada(std::move(a));
    return args;
}

No bruto(std::string texto, bool devolveTexto = false) { return No{Tipo::Bruto, std::move(texto), {}, devolveTexto}; }

// ---------------------------------------------------------------------------------------------
// Types named in CAST and CONVERT

struct TipoSql {
    std::string nome;   // lower case: "nvarchar", "datetime", ...
    int tamanho = 0;    // the (n) of a text type; 0 when not given
    std::string texto;  // as written
};

TipoSql lerTipo(const Sequencia& seq)
{
    TipoSql tipo;
    tipo.texto = escrever(seq);
    std::size_t i = seguinte(seq, 0);
    if (i == seq.size() || seq[i].tipo != Tipo::Palavra) falhar("Tipo em falta em CAST/CONVERT", tipo.texto);
    tipo.nome = texto::MinusculasAscii(seq[i].texto);
    std::size_t j = seguinte(seq, i + 1);
    if (j < seq.size() && seq[j].tipo == Tipo::Grupo) {
        Sequencia dentro = aparada(seq[j].filhos);
        if (dentro.size() == 1 && dentro[0].tipo == Tipo::Numero) tipo.tamanho = std::stoi(dentro[0].texto);
    }
    return tipo;
}

bool tipoTexto(const TipoSql& t)
{
    static const std::set<std::string> nomes{"char", "varchar", "nchar", "nvarchar", "text", "ntext"};
    return nomes.count(t.nome) > 0;
}

bool tipoData(const TipoSql& t)
{
    static const std::set<std::string> nomes{"datetime", "smalldatetime", "datetime2", "date"};
    return nomes.count(t.nome) > 0;
}

// SQL Server cuts a text cast to its declared length (30 when none is given); SQLite never cuts.
std::string cortado(const std::string& expressao, const TipoSql& tipo, std::size_t comprimentoNatural)
{
    std::size_t n = tipo.tamanho > 0 ? static_cast<std::size_t>(tipo.tamanho) : 30;
    if (comprimentoNatural > 0 && comprimentoNatural <= n) return expressao;
    return "substr(" + expressao + ",1," + std::to_string(n) + ")";
}

std::string semAspas(const std::string& literal)
{
    std::string s = literal.substr(1, literal.size() >= 2 ? literal.size() - 2 : 0);
    for (std::size_t p = 0; (p = s.find("''", p)) != std::string::npos; ++p) s.erase(p, 1);
    return s;
}

std::string citar(const std::string& s, char aspa)
{
    std::string r(1, aspa);
    for (char c : s) {
        r += c;
        if (c == aspa) r += aspa;
    }
    return r + aspa;
}

// The datetime columns hold 'YYYY-MM-DD HH:MM:SS' text; a date literal becomes that same text so
// that = and >= compare like with like.
std::string literalDataHora(const No& literal)
{
    std::string s = semAspas(literal.texto);
    if (s.size() >= 10 && (s[4] == '.' || s[4] == '/') && s[7] == s[4]) s[4] = s[7] = '-';
    bool anoPrimeiro = s.size() >= 10 && std::isdigit(static_cast<unsigned char>(s[0])) && s[4] == '-';
    auto data = anoPrimeiro ? DataHora::Ler(s) : std::nullopt;
    if (!data) falhar("Data sem tradução para SQLite em CONVERT", literal.texto);
    return "'" + data->Formatar("yyyy-mm-dd hh:mm:ss") + "'";
}

// strftime patterns for the CONVERT styles of dates into text.
const char* padraoEstilo(int estilo)
{
    switch (estilo) {
    case 23: return "%Y-%m-%d";
    case 102: return "%Y.%m.%d";
    case 103: return "%d/%m/%Y";
    case 104: return "%d.%m.%Y";
    case 105: return "%d-%m-%Y";
    case 112: return "%Y%m%d";
    case 120: return "%Y-%m-%d %H:%M:%S";
    default: return nullptr;
    }
}

std::size_t comprimentoPadrao(const std::string& padrao)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < padrao.size(); ++i) {
        if (padrao[i] == '%' && i + 1 < padrao.size()) {
            n += padrao[++i] == 'Y' ? 4 : 2;
        } else {
            ++n;
        }
    }
    return n;
}

No reescreverConvert(const Sequencia& conteudo)
{
    auto args = argumentos(conteudo);
    if (args.size() < 2 || args.size() > 3) falhar("CONVERT com argumentos inesperados", escrever(conteudo));
    TipoSql tipo = lerTipo(args[0]);
    const Sequencia& expr = args[1];
    std::string e = escrever(expr);
    int estilo = -1;
    if (args.size() == 3) {
        if (args[2].size() != 1 || args[2][0].tipo != Tipo::Numero)
            falhar("Estilo de CONVERT sem tradução para SQLite", escrever(args[2]));
        estilo = std::stoi(args[2][0].texto);
    }
    if (tipoData(tipo)) {
        if (expr.size() == 1 && expr[0].tipo == Tipo::Texto) return bruto(literalDataHora(expr[0]));
        return bruto("datetime(" + e + ")");
    }
    if (tipoTexto(tipo)) {
        if (estilo < 0) return bruto(cortado("CAST(" + e + " AS TEXT)", tipo, 0), true);
        const char* padrao = padraoEstilo(estilo);
        if (!padrao) falhar("Estilo de CONVERT sem tradução para SQLite", std::to_string(estilo));
        return bruto(cortado("strftime('" + std::string(padrao) + "', " + e + ")", tipo, comprimentoPadrao(padrao)),
                     true);
    }
    if (estilo >= 0) falhar("Estilo de CONVERT sem tradução para SQLite", escrever(conteudo));
    return bruto("CAST(" + e + " AS " + tipo.texto + ")");
}

No reescreverCast(const Sequencia& conteudo)
{
    std::size_t as = conteudo.size();
    for (std::size_t i = 0; i < conteudo.size(); ++i)
        if (ePalavra(conteudo[i], "as")) as = i;
    if (as == conteudo.size()) falhar("CAST sem AS", escrever(conteudo));
    Sequencia expr = aparada(Sequencia(conteudo.begin(), conteudo.begin() + static_cast<long>(as)));
    Sequencia tipoSeq = aparada(Sequencia(conteudo.begin() + static_cast<long>(as) + 1, conteudo.end()));
    TipoSql tipo = lerTipo(tipoSeq);
    std::string e = escrever(expr);
    if (tipoTexto(tipo)) return bruto(cortado("CAST(" + e + " AS TEXT)", tipo, 0), true);
    return bruto("CAST(" + e + " AS " + tipo.texto + ")");
}

No reescreverParteData(const std::string& funcao, const Sequencia& conteudo)
{
    const char* padrao = funcao == "year" ? "%Y" : funcao == "month" ? "%m" : "%d";
    return bruto("CAST(strftime('" + std::string(padrao) + "', " + escrever(aparada(conteudo)) + ") AS INTEGER)");
}

void reescreverFuncoes(Sequencia& seq)
{
    for (std::size_t i = 0; i < seq.size(); ++i) {
        if (seq[i].tipo != Tipo::Palavra) continue;
        std::size_t g = seguinte(seq, i + 1);
        if (g == seq.size() || seq[g].tipo != Tipo::Grupo) continue;
        std::size_t a = anterior(seq, i);
        if (a < seq.size() && eSimbolo(seq[a], ".")) continue;  // a column, not a function
        std::string nome = texto::MinusculasAscii(seq[i].texto);
        No novo;
        if (nome == "convert")
            novo = reescreverConvert(seq[g].filhos);
        else if (nome == "cast")
            novo = reescreverCast(seq[g].filhos);
        else if (nome == "year" || nome == "month" || nome == "day")
            novo = reescreverParteData(nome, seq[g].filhos);
        else
            continue;
        seq[i] = std::move(novo);
        seq.erase(seq.begin() + static_cast<long>(i) + 1, seq.begin() + static_cast<long>(g) + 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Clauses

// SELECT [DISTINCT] TOP n / TOP(n) ...  ->  SELECT [DISTINCT] ... LIMIT n, at this level's end.
void reescreverTop(Sequencia& seq)
{
    std::size_t s = seguinte(seq, 0);
    if (s == seq.size() || !ePalavra(seq[s], "select")) return;
    std::size_t t = seguinte(seq, s + 1);
    if (t < seq.size() && (ePalavra(seq[t], "distinct") || ePalavra(seq[t], "all"))) t = seguinte(seq, t + 1);
    if (t == seq.size() || !ePalavra(seq[t], "top")) return;
    std::size_t n = seguinte(seq, t + 1);
    std::string quantos;
    if (n < seq.size() && seq[n].tipo == Tipo::Numero) {
        quantos = seq[n].texto;
    } else if (n < seq.size() && seq[n].tipo == Tipo::Grupo) {
        Sequencia dentro = aparada(seq[n].filhos);
        if (dentro.size() == 1 && dentro[0].tipo == Tipo::Numero) quantos = dentro[0].texto;
    }
    std::size_t depois = seguinte(seq, n + 1);
    if (quantos.empty() || (depois < seq.size() && (ePalavra(seq[depois], "percent") || ePalavra(seq[depois], "with"))))
        falhar("TOP sem tradução para SQLite", escrever(seq));
    seq.erase(seq.begin() + static_cast<long>(t), seq.begin() + static_cast<long>(depois));

    std::size_t fim = seq.size();
    while (fim > 0 && (seq[fim - 1].tipo == Tipo::Espaco || eSimbolo(seq[fim - 1], ";"))) --fim;
    seq.insert(seq.begin() + static_cast<long>(fim), bruto(" LIMIT " + quantos));
}

// Each term of the ORDER BY whose BY is at seq[by] sorts texts by the program's collation, as
// SQL Server sorts them by its own; SQLite alone would sort by bytes ("Jorge" before "João").
void colarTermos(Sequencia& seq, std::size_t by)
{
    std::size_t inicio = by + 1;
    for (std::size_t j = inicio; j <= seq.size(); ++j) {
        const bool fimDaClausula = j == seq.size() || eSimbolo(seq[j], ";") || seq[j].tipo == Tipo::Bruto;
        if (!fimDaClausula && !eSimbolo(seq[j], ",")) continue;
        std::size_t ultimo = anterior(seq, j);
        if (ultimo != seq.size() && ultimo >= inicio && (ePalavra(seq[ultimo], "asc") || ePalavra(seq[ultimo], "desc")))
            ultimo = anterior(seq, ultimo);
        if (ultimo != seq.size() && ultimo >= inicio) {
            seq.insert(seq.begin() + static_cast<long>(ultimo) + 1,
                       bruto(std::string(" COLLATE ") + ReescritaTsql::NomeColacao));
            ++j;
        }
        if (fimDaClausula) return;
        inicio = j + 1;
    }
}

// In ORDER BY a lone 'text' is a column alias to SQL Server but a constant to SQLite.
void reescreverOrderBy(Sequencia& seq)
{
    for (std::size_t i = 0; i < seq.size(); ++i) {
        if (!ePalavra(seq[i], "order")) continue;
        std::size_t by = seguinte(seq, i + 1);
        if (by == seq.size() || !ePalavra(seq[by], "by")) continue;
        for (std::size_t j = by + 1; j < seq.size(); ++j) {
            if (seq[j].tipo != Tipo::Texto) continue;
            const No& antes = seq[anterior(seq, j)];
            std::size_t d = seguinte(seq, j + 1);
            bool sozinhoAntes = ePalavra(antes, "by") || eSimbolo(antes, ",");
            bool sozinhoDepois = d == seq.size() || eSimbolo(seq[d], ",") || eSimbolo(seq[d], ";") ||
                                 ePalavra(seq[d], "asc") || ePalavra(seq[d], "desc");
            if (sozinhoAntes && sozinhoDepois)
                seq[j] = No{Tipo::Identificador, citar(semAspas(seq[j].texto), '"'), {}, false};
        }
        colarTermos(seq, by);
    }
}

// Integer columns would make a/b an integer division in SQLite; SQL Server divides money exactly.
void reescreverDivisao(Sequencia& seq)
{
    for (No& n : seq)
        if (eSimbolo(n, "/")) n.texto = "*1.0/";
}

bool palavraReservada(const No& n)
{
    static const std::set<std::string> reservadas{
        "select", "from",  "where", "and",   "or",     "not",     "as",       "on",      "join", "inner", "left",
        "right",  "outer", "full",  "cross", "group",  "order",   "by",       "having",  "case", "when",  "then",
        "else",   "end",   "in",    "is",    "like",   "between", "distinct", "asc",     "desc", "union", "all",
        "exists", "top",   "limit", "into",  "values", "set",     "escape",   "collate", "with", "over",  "partition"};
    return n.tipo == Tipo::Palavra && reservadas.count(texto::MinusculasAscii(n.texto)) > 0;
}

bool operadorMultiplicativo(const No& n) { return eSimbolo(n, "*") || eSimbolo(n, "*1.0/") || eSimbolo(n, "%"); }

bool aritmetico(const No& n) { return eSimbolo(n, "+") || eSimbolo(n, "-") || operadorMultiplicativo(n); }

bool operando(const No& n)
{
    switch (n.tipo) {
    case Tipo::Palavra: return !palavraReservada(n);
    case Tipo::Texto:
    case Tipo::Identificador:
    case Tipo::Numero:
    case Tipo::Grupo:
    case Tipo::Bruto: return true;
    case Tipo::Simbolo: return n.texto == ".";
    default: return false;
    }
}

struct Parcela {
    std::size_t inicio, fim;  // nodes [inicio, fim) of the sequence, without surrounding blanks
};

// One run of operands joined by arithmetic operators, cut at its binary + and -.
// Converts it to a || chain when one of its + operands is text; tells whether it did.
bool converterCadeia(Sequencia& seq, std::size_t inicio, std::size_t fim, std::vector<No>& saida)
{
    std::vector<Parcela> parcelas;
    std::vector<std::size_t> mais;
    bool temTexto = false;
    std::size_t parcelaInicio = inicio;
    bool ultimoFoiOperando = false;
    for (std::size_t i = inicio; i < fim; ++i) {
        if (seq[i].tipo == Tipo::Espaco) continue;
        bool binario = (eSimbolo(seq[i], "+") || eSimbolo(seq[i], "-")) && ultimoFoiOperando;
        if (binario) {
            parcelas.push_back({parcelaInicio, i});
            if (seq[i].texto == "+") mais.push_back(i);
            parcelaInicio = i + 1;
        }
        ultimoFoiOperando = operando(seq[i]);
    }
    parcelas.push_back({parcelaInicio, fim});
    for (auto& p : parcelas) {
        p.inicio = seguinte(seq, p.inicio);
        while (p.fim > p.inicio && seq[p.fim - 1].tipo == Tipo::Espaco) --p.fim;
        if (p.fim == p.inicio + 1 && seq[p.inicio].devolveTexto) temTexto = true;
    }
    bool converter = temTexto && !mais.empty();
    std::vector<bool> abre(fim - inicio, false), fecha(fim - inicio, false);
    if (converter) {
        for (std::size_t m : mais) seq[m].texto = "||";
        // || binds tighter than * and / in SQLite: keep a product whole as one operand.
        for (const auto& p : parcelas) {
            bool produto = false;
            for (std::size_t i = p.inicio; i < p.fim; ++i) produto = produto || operadorMultiplicativo(seq[i]);
            if (produto) {
                abre[p.inicio - inicio] = true;
                fecha[p.fim - 1 - inicio] = true;
            }
        }
    }
    for (std::size_t i = inicio; i < fim; ++i) {
        if (abre[i - inicio]) saida.push_back(bruto("("));
        saida.push_back(std::move(seq[i]));
        if (fecha[i - inicio]) saida.push_back(bruto(")"));
    }
    return converter;
}

// SQLite's + is numeric only ('12'+'/'+'3' is 15): a chain that joins texts becomes ||.
// Tells whether the whole sequence is one text chain.
bool reescreverConcatenacao(Sequencia& seq)
{
    Sequencia saida;
    saida.reserve(seq.size());
    bool fronteira = false, algumaConvertida = false;
    std::size_t i = 0;
    while (i < seq.size()) {
        if (!operando(seq[i]) && !aritmetico(seq[i])) {
            if (seq[i].tipo != Tipo::Espaco) fronteira = true;
            saida.push_back(std::move(seq[i++]));
            continue;
        }
        std::size_t fim = i;
        std::size_t ultimo = i;
        while (fim < seq.size() && (operando(seq[fim]) || aritmetico(seq[fim]) || seq[fim].tipo == Tipo::Espaco)) {
            if (seq[fim].tipo != Tipo::Espaco) ultimo = fim;
            ++fim;
        }
        algumaConvertida = converterCadeia(seq, i, ultimo + 1, saida) || algumaConvertida;
        i = ultimo + 1;
    }
    seq = std::move(saida);
    return algumaConvertida && !fronteira;
}

bool reescrever(Sequencia& seq)
{
    for (No& n : seq)
        if (n.tipo == Tipo::Grupo) n.devolveTexto = reescrever(n.filhos);
    reescreverFuncoes(seq);
    reescreverTop(seq);
    reescreverOrderBy(seq);
    reescreverDivisao(seq);
    return reescreverConcatenacao(seq);
}

}  // namespace

std::string ReescritaTsql::Reescrever(const std::string& tsql)
{
    std::vector<No> lista = tokens(tsql);
    std::size_t i = 0;
    Sequencia seq = arvore(lista, i, false);
    reescrever(seq);
    return escrever(seq);
}

}  // namespace quorvelanti
