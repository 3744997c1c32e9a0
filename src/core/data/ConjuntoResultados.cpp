#include "ConjuntoResultados.h"

#include <algorithm>

#include "Colacao.h"
#include "Erro.h"
#include "Texto.h"

namespace quorvelanti {

struct ConjuntoResultados::Dados {
    std::vector<Campo> campos;
    std::vector<std::vector<Valor>> linhas;
};

bool TipoNumerico(TipoCampo tipo)
{
    return tipo == TipoCampo::Inteiro || tipo == TipoCampo::Duplo || tipo == TipoCampo::Moeda ||
           tipo == TipoCampo::Numerico;
}

int TamanhoDefinido(TipoCampo tipo)
{
    switch (tipo) {
    case TipoCampo::Inteiro: return 4;
    case TipoCampo::Duplo:
    case TipoCampo::Moeda:
    case TipoCampo::Data:
    case TipoCampo::DataHora: return 8;
    case TipoCampo::Numerico: return 19;
    default: return 0;
    }
}

Erro ErroNoCampo(const Erro& erro, const std::string& campo)
{
    return Erro(erro.Numero(), "Campo " + campo + ": " + erro.Descricao(), erro.Detalhe());
}

namespace {
Valor converter(const Campo& campo, const Valor& valor)
{
    if (ENulo(valor)) return valor;
    switch (campo.tipo) {
    case TipoCampo::Moeda:
    case TipoCampo::Numerico: return ValorComoMoeda(valor);
    case TipoCampo::Inteiro:
        if (auto i = std::get_if<std::int64_t>(&valor)) return *i;
        return static_cast<std::int64_t>(ValorComoMoeda(valor).Bruto() / Moeda::Escala);
    case TipoCampo::Duplo: return ValorComoDouble(valor);
    case TipoCampo::Data:
    case TipoCampo::DataHora: {
        if (std::holds_alternative<DataHora>(valor)) return valor;
        auto data = DataHora::Ler(ValorComoTexto(valor));
        return data ? Valor(*data) : Valor();
    }
    case TipoCampo::Texto:
    case TipoCampo::TextoFixo: return ValorComoTexto(valor);
    }
    return valor;
}

// Orders two values of one field: nulls first, numbers by value, texts by the collation people
// expect (byte order would put "Zé" before "ana" and "Jorge" before "João").
bool menor(const Valor& a, const Valor& b, const Colacao& colacao)
{
    if (ENulo(a) || ENulo(b)) return ENulo(a) && !ENulo(b);
    if (auto x = std::get_if<std::string>(&a))
        if (auto y = std::get_if<std::string>(&b)) return colacao.Comparar(*x, *y) < 0;
    if (auto x = std::get_if<DataHora>(&a))
        if (auto y = std::get_if<DataHora>(&b)) return *x < *y;
    if (auto x = std::get_if<Moeda>(&a))
        if (auto y = std::get_if<Moeda>(&b)) return *x < *y;
    if (std::holds_alternative<std::string>(a) || std::holds_alternative<std::string>(b))
        return colacao.Comparar(ValorComoTexto(a), ValorComoTexto(b)) < 0;
    return ValorComoDouble(a) < ValorComoDouble(b);
}

bool igualTexto(const Valor& v, const std::string& texto)
{
    if (auto s = std::get_if<std::string>(&v)) return *s == texto;
    return ValorComoTexto(v) == texto;
}
}  // namespace

ConjuntoResultados::ConjuntoResultados() : dados_(std::make_shared<Dados>()) {}

ConjuntoResultados::ConjuntoResultados(std::vector<Campo> campos) : ConjuntoResultados()
{
    for (auto& c : campos) AcrescentarCampo(std::move(c));
}

void ConjuntoResultados::AcrescentarCampo(Campo campo)
{
    if (!dados_->linhas.empty())
        throw Erro(erros::ValorInvalido, "Campo acrescentado a um conjunto com registos", campo.nome);
    if (campo.tamanho == 0) campo.tamanho = TamanhoDefinido(campo.tipo);
    dados_->campos.push_back(std::move(campo));
}

std::size_t ConjuntoResultados::NumeroCampos() const { return dados_->campos.size(); }

const Campo& ConjuntoResultados::CampoEm(std::size_t indice) const { return dados_->campos.at(indice); }

std::size_t ConjuntoResultados::IndiceCampo(const std::string& nome) const
{
    const auto& campos = dados_->campos;
    for (std::size_t i = 0; i < campos.size(); ++i)
        if (texto::IguaisSemCaixa(campos[i].nome, nome)) return i;
    throw Erro(erros::CampoInexistente, "Campo inexistente no conjunto de resultados", nome);
}

void ConjuntoResultados::AdicionarLinha()
{
    AcrescentarLinhaBruta(std::vector<Valor>(dados_->campos.size()));
    posicao_ = visiveis_.size() - 1;
}

void ConjuntoResultados::AcrescentarLinhaBruta(std::vector<Valor> valores)
{
    valores.resize(dados_->campos.size());
    dados_->linhas.push_back(std::move(valores));
    ordem_.push_back(dados_->linhas.size() - 1);
    visiveis_.push_back(dados_->linhas.size() - 1);  // a new row is visible, as in a filtered table
}

void ConjuntoResultados::ReservarLinhas(std::size_t n)
{
    dados_->linhas.reserve(n);
    ordem_.reserve(n);
    visiveis_.reserve(n);
}

void ConjuntoResultados::Definir(const std::string& campo, const Valor& valor) { Definir(IndiceCampo(campo), valor); }

void ConjuntoResultados::Definir(std::size_t indice, const Valor& valor)
{
    const Campo& campo = dados_->campos.at(indice);
    Valor& destino = linhaActualMutavel().at(indice);
    try {
        destino = converter(campo, valor);
    } catch (const Erro& erro) {
        throw ErroNoCampo(erro, campo.nome);
    }
}

long ConjuntoResultados::ContarRegistos() const { return static_cast<long>(visiveis_.size()); }

bool ConjuntoResultados::FimDados() const { return posicao_ >= visiveis_.size(); }

void ConjuntoResultados::MoverPrimeiro() { posicao_ = 0; }

void ConjuntoResultados::MoverSeguinte()
{
    if (posicao_ < visiveis_.size()) ++posicao_;
}

const std::vector<Valor>& ConjuntoResultados::LinhaActual() const
{
    if (FimDados()) throw Erro(erros::SemRegistoActual, "Não há registo actual");
    return dados_->linhas[visiveis_[posicao_]];
}

std::vector<Valor>& ConjuntoResultados::linhaActualMutavel()
{
    if (FimDados()) throw Erro(erros::SemRegistoActual, "Não há registo actual");
    return dados_->linhas[visiveis_[posicao_]];
}

const Valor& ConjuntoResultados::ValorDe(const std::string& campo) const { return LinhaActual()[IndiceCampo(campo)]; }

const Valor& ConjuntoResultados::ValorDe(std::size_t indice) const { return LinhaActual().at(indice); }

std::string ConjuntoResultados::Texto(const std::string& campo) const { return ValorComoTexto(ValorDe(campo)); }

Moeda ConjuntoResultados::ComoMoeda(const std::string& campo) const
{
    const Valor& valor = ValorDe(campo);
    try {
        return ValorComoMoeda(valor);
    } catch (const Erro& erro) {
        throw ErroNoCampo(erro, campo);
    }
}

const std::vector<Valor>& ConjuntoResultados::Linha(std::size_t i) const { return dados_->linhas[visiveis_.at(i)]; }

void ConjuntoResultados::Filtrar(const std::string& campo, const std::string& valor)
{
    campoFiltro_ = IndiceCampo(campo);
    valorFiltro_ = valor;
    filtrado_ = true;
    recalcularVisiveis();
}

void ConjuntoResultados::LimparFiltro()
{
    filtrado_ = false;
    recalcularVisiveis();
}

void ConjuntoResultados::Ordenar(const std::string& campo)
{
    const std::size_t k = IndiceCampo(campo);
    const auto& linhas = dados_->linhas;
    const Colacao& colacao = Colacao::Portuguesa();
    std::stable_sort(ordem_.begin(), ordem_.end(),
                     [&](std::size_t a, std::size_t b) { return menor(linhas[a][k], linhas[b][k], colacao); });
    recalcularVisiveis();
}

void ConjuntoResultados::recalcularVisiveis()
{
    if (!filtrado_) {
        visiveis_ = ordem_;
    } else {
        visiveis_.clear();
        for (std::size_t i : ordem_)
            if (igualTexto(dados_->linhas[i][campoFiltro_], valorFiltro_)) visiveis_.push_back(i);
    }
    posicao_ = 0;
}

ConjuntoResultados ConjuntoResultados::Clonar() const
{
    ConjuntoResultados clone = ClonarComFiltro();
    clone.LimparFiltro();
    return clone;
}

ConjuntoResultados ConjuntoResultados::ClonarComFiltro() const
{
    ConjuntoResultados clone(*this);
    clone.posicao_ = 0;
    return clone;
}

}  // namespace quorvelanti
