#include "MotorTipos.h"

#include <cerrno>
#include <cstdlib>

#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti::motor {

namespace {
bool contem(const std::string& s, const char* parte) { return s.find(parte) != std::string::npos; }

// The n of "NVARCHAR(n)"; 0 without one or for "(max)".
int tamanhoEntreParenteses(const std::string& tipo)
{
    std::size_t abre = tipo.find('(');
    if (abre == std::string::npos) return 0;
    return std::atoi(tipo.c_str() + abre + 1);
}

[[noreturn]] void valorInvalido(const Campo& campo, const std::string& texto)
{
    throw Erro(erros::ValorInvalido, "Valor inválido no campo " + campo.nome, "\"" + texto + "\"");
}

std::int64_t inteiro(const Campo& campo, const std::string& texto)
{
    errno = 0;
    char* fim = nullptr;
    long long i = std::strtoll(texto.c_str(), &fim, 10);
    if (texto.empty() || errno != 0 || *fim != '\0') {
        // Some drivers write whole numbers of a numeric column as "12.0".
        Moeda m;
        try {
            m = Moeda::DeTexto(texto);
        } catch (const Erro&) {
            valorInvalido(campo, texto);
        }
        if (m.Bruto() % Moeda::Escala != 0) valorInvalido(campo, texto);
        return m.Bruto() / Moeda::Escala;
    }
    return i;
}

double duplo(const Campo& campo, const std::string& texto)
{
    errno = 0;
    char* fim = nullptr;
    double d = std::strtod(texto.c_str(), &fim);
    if (texto.empty() || errno == ERANGE || *fim != '\0') valorInvalido(campo, texto);
    return d;
}
}  // namespace

std::optional<Campo> CampoDeclarado(const std::string& nome, const std::string& tipoDeclarado)
{
    std::string t = texto::MaiusculasAscii(texto::Aparar(tipoDeclarado));
    if (t.empty()) return std::nullopt;
    Campo campo{nome};
    // Order matters: DATETIME before DATE, MONEY and the INT family before the text types' "CHAR".
    if (contem(t, "DATETIME") || contem(t, "TIMESTAMP"))
        campo.tipo = TipoCampo::DataHora;
    else if (contem(t, "DATE"))
        campo.tipo = TipoCampo::Data;
    else if (contem(t, "MONEY"))
        campo.tipo = TipoCampo::Moeda;
    else if (contem(t, "DECIMAL") || contem(t, "NUMERIC"))
        campo.tipo = TipoCampo::Numerico;
    else if (contem(t, "INT") || t == "BIT")
        campo.tipo = TipoCampo::Inteiro;
    else if (contem(t, "FLOA") || contem(t, "REAL") || contem(t, "DOUB"))
        campo.tipo = TipoCampo::Duplo;
    else if (contem(t, "CHAR") || contem(t, "TEXT") || contem(t, "CLOB")) {
        campo.tipo = TipoCampo::Texto;
        campo.tamanho = tamanhoEntreParenteses(t);
        return campo;
    } else
        return std::nullopt;
    campo.tamanho = TamanhoDefinido(campo.tipo);
    return campo;
}

Valor ValorDeTexto(const Campo& campo, const std::string& texto)
{
    switch (campo.tipo) {
    case TipoCampo::Inteiro: return inteiro(campo, texto);
    case TipoCampo::Duplo: return duplo(campo, texto);
    case TipoCampo::Moeda:
    case TipoCampo::Numerico: try { return Moeda::DeTexto(texto);
        } catch (const Erro& erro) {
            if (erro.Numero() == erros::MoedaForaDosLimites) throw ErroNoCampo(erro, campo.nome);
            valorInvalido(campo, texto);
        }
    case TipoCampo::Data:
    case TipoCampo::DataHora: {
        auto data = DataHora::Ler(texto);
        if (!data) valorInvalido(campo, texto);
        return campo.tipo == TipoCampo::Data ? data->SoData() : *data;
    }
    case TipoCampo::Texto:
    case TipoCampo::TextoFixo: return texto;
    }
    return texto;
}

namespace {
void dimensionarTexto(Campo& campo, const std::vector<std::vector<Valor>>& linhas, std::size_t coluna)
{
    std::size_t maior = 1;
    for (const auto& linha : linhas)
        if (auto s = std::get_if<std::string>(&linha[coluna])) maior = std::max(maior, texto::Caracteres(*s));
    campo.tamanho = static_cast<int>(maior);
}

void tiparPorValores(Campo& campo, std::vector<std::vector<Valor>>& linhas, std::size_t coluna)
{
    bool temTexto = false, temDuplo = false, temValor = false;
    for (const auto& linha : linhas) {
        const Valor& v = linha[coluna];
        temValor = temValor || !ENulo(v);
        temTexto = temTexto || std::holds_alternative<std::string>(v);
        temDuplo = temDuplo || std::holds_alternative<double>(v);
    }
    if (temTexto || !temValor) {
        campo.tipo = TipoCampo::Texto;
        for (auto& linha : linhas)
            if (!ENulo(linha[coluna]) && !std::holds_alternative<std::string>(linha[coluna]))
                linha[coluna] = ValorComoTexto(linha[coluna]);
        dimensionarTexto(campo, linhas, coluna);
        return;
    }
    campo.tipo = temDuplo ? TipoCampo::Duplo : TipoCampo::Inteiro;
    campo.tamanho = TamanhoDefinido(campo.tipo);
    if (temDuplo)
        for (auto& linha : linhas)
            if (auto i = std::get_if<std::int64_t>(&linha[coluna])) linha[coluna] = static_cast<double>(*i);
}

}  // namespace

ConjuntoResultados Conjunto(std::vector<Campo> campos, const std::vector<bool>& tipado,
                            std::vector<std::vector<Valor>> linhas)
{
    for (std::size_t c = 0; c < campos.size(); ++c) {
        if (!tipado[c])
            tiparPorValores(campos[c], linhas, c);
        else if (campos[c].tipo == TipoCampo::Texto && campos[c].tamanho == 0)
            dimensionarTexto(campos[c], linhas, c);
    }
    ConjuntoResultados rs(std::move(campos));
    rs.ReservarLinhas(linhas.size());
    for (auto& linha : linhas) rs.AcrescentarLinhaBruta(std::move(linha));
    return rs;
}

std::string Resumo(const std::string& sql) { return sql.size() <= 300 ? sql : sql.substr(0, 300) + "..."; }

Erro ErroTempoConsulta(const std::string& sql, int segundos, const std::string& detalhe)
{
    return Erro(erros::TempoConsultaEsgotado,
                "A instrução demorou mais do que TimeoutConsulta (" + std::to_string(segundos) +
                    " s) e foi cancelada: " + Resumo(sql),
                detalhe);
}

}  // namespace quorvelanti::motor
