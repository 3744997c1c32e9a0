#include "OpcoesGerador.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "data/Erro.h"

namespace quorvelanti::gerador {

namespace {

[[noreturn]] void invalido(const std::string& mensagem) { throw Erro(erros::ParametroInvalido, mensagem); }

// Whole decimal number without sign, blanks or trailing characters.
std::uint64_t numero(const std::string& opcao, const std::string& texto)
{
    std::uint64_t valor = 0;
    auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    if (texto.empty() || erro != std::errc() || fim != texto.data() + texto.size())
        invalido("Valor inválido para " + opcao + ": " + texto);
    return valor;
}

// Sizes must leave room for the fixed content: the carriage and service articles, at least one
// salesperson and client, and codes that fit their columns.
long dimensao(const std::string& opcao, const std::string& texto, long minimo, long maximo)
{
    const std::uint64_t valor = numero(opcao, texto);
    if (valor < static_cast<std::uint64_t>(minimo) || valor > static_cast<std::uint64_t>(maximo))
        invalido(opcao + " deve estar entre " + std::to_string(minimo) + " e " + std::to_string(maximo) + ": " + texto);
    return static_cast<long>(valor);
}

}  // namespace

OpcoesGerador OpcoesGerador::Ler(const std::vector<std::string>& argumentos)
{
    OpcoesGerador o;
    bool temData = false;
    std::map<std::string, std::string> valores;
    for (std::size_t i = 0; i < argumentos.size(); ++i) {
        const std::string& opcao = argumentos[i];
        if (opcao == "--especial") {
            o.especial = true;
            continue;
        }
        static const char* comValor[] = {"--saida", "--linhas", "--semente", "--data",
                                         "--vendedores", "--clientes", "--artigos"};
        if (std::find(std::begin(comValor), std::end(comValor), opcao) == std::end(comValor))
            invalido("Opção desconhecida: " + opcao);
        if (i + 1 >= argumentos.size()) invalido("Falta o valor de " + opcao);
        if (!valores.emplace(opcao, argumentos[++i]).second) invalido("Opção repetida: " + opcao);
    }
    for (const auto& [opcao, valor] : valores) {
        if (opcao == "--saida") {
            o.saida = valor;
        } else if (opcao == "--linhas") {
            o.dimensoes.linhas = dimensao(opcao, valor, 1, 100'000'000);
        } else if (opcao == "--semente") {
            o.semente = numero(opcao, valor);
        } else if (opcao == "--data") {
            auto data = DataHora::Ler(valor);
            if (!data || data->TemHora() || valor.size() != 10 || valor[4] != '-')
                invalido("Data inválida (use AAAA-MM-DD): " + valor);
            o.dataCorrida = *data;
            temData = true;
        } else if (opcao == "--vendedores") {
            o.dimensoes.vendedores = dimensao(opcao, valor, 1, 999);
        } else if (opcao == "--clientes") {
            o.dimensoes.clientes = dimensao(opcao, valor, 1, 999'999);
        } else if (opcao == "--artigos") {
            o.dimensoes.artigos = dimensao(opcao, valor, 10, 999'999);
        }
    }
    if (o.saida.empty()) invalido("Falta --saida FICHEIRO");
    if (!temData) invalido("Falta --data AAAA-MM-DD");
    if (o.dataCorrida.Ano() < 2021 || o.dataCorrida.Ano() > 9998)
        invalido("A data deve estar entre 2021 e 9998: " + o.dataCorrida.Formatar("yyyy-mm-dd"));
    return o;
}

std::string OpcoesGerador::Uso()
{
    return "Uso: quorvelanti-gerador --saida FICHEIRO --data AAAA-MM-DD [--linhas N] [--semente S]\n"
           "                          [--especial] [--vendedores V] [--clientes C] [--artigos A]\n"
           "Escreve uma base de dados ERP de exemplo (SQLite) com N linhas de documentos (2000),\n"
           "V vendedores (6), C clientes (80) e A artigos (150), datadas à volta da data indicada.\n"
           "A mesma semente dá sempre a mesma empresa. --especial dá o contribuinte 599999990.\n"
           "       quorvelanti-gerador --help | --version\n"
           "Estado de saída: 0 escrita, 1 falha ao escrever, 2 linha de comando errada.\n";
}

}  // namespace quorvelanti::gerador
