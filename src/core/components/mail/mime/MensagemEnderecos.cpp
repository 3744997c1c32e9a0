#include "MensagemEnderecos.h"

#include <cctype>
#include <cstring>

#include "MensagemCodificacao.h"
#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti::mensagem {

namespace {

// Entries end at ";" or ","; not inside a quoted name, so "\"Sá, Ana\" <ana@emp.pt>" is one.
std::vector<std::string> entradas(const std::string& lista)
{
    std::vector<std::string> resultado(1);
    bool citado = false;
    for (char c : lista) {
        if (c == '"') citado = !citado;
        if (!citado && (c == ';' || c == ',')) {
            resultado.emplace_back();
            continue;
        }
        resultado.back() += c;
    }
    return resultado;
}

bool caracterEndereco(unsigned char c)
{
    return std::isalnum(c) || (c != 0 && std::strchr("!#$%&'*+-/=?^_`{|}~.@", c));
}

bool enderecoValido(const std::string& e)
{
    auto arroba = e.find('@');
    if (arroba == 0 || arroba == std::string::npos || arroba + 1 == e.size()) return false;
    if (e.find('@', arroba + 1) != std::string::npos) return false;
    for (unsigned char c : e)
        if (!caracterEndereco(c)) return false;
    return true;
}

Endereco lerEntrada(const std::string& entrada)
{
    Endereco e;
    auto abre = entrada.find('<');
    if (abre == std::string::npos) {
        e.endereco = entrada;
    } else {
        auto fecha = entrada.find('>', abre);
        if (fecha == std::string::npos || !texto::Aparar(entrada.substr(fecha + 1)).empty())
            throw Erro(erros::ValorInvalido, "Endereço de correio inválido: \"" + entrada + "\"");
        e.endereco = texto::Aparar(entrada.substr(abre + 1, fecha - abre - 1));
        e.nome = texto::Aparar(entrada.substr(0, abre));
        if (e.nome.size() >= 2 && e.nome.front() == '"' && e.nome.back() == '"')
            e.nome = e.nome.substr(1, e.nome.size() - 2);
        if (e.nome.find_first_of("\r\n") != std::string::npos)
            throw Erro(erros::ValorInvalido, "Endereço de correio inválido: \"" + entrada + "\"");
    }
    if (!enderecoValido(e.endereco))
        throw Erro(erros::ValorInvalido, "Endereço de correio inválido: \"" + entrada + "\"");
    return e;
}

}  // namespace

std::vector<Endereco> LerEnderecos(const std::string& lista)
{
    std::vector<Endereco> enderecos;
    for (const auto& entrada : entradas(lista)) {
        std::string aparada = texto::Aparar(entrada);
        if (!aparada.empty()) enderecos.push_back(lerEntrada(aparada));
    }
    return enderecos;
}

std::string Dominio(const std::string& endereco)
{
    auto arroba = endereco.rfind('@');
    return arroba == std::string::npos ? "" : endereco.substr(arroba + 1);
}

std::string CabecalhoEnderecos(const std::string& nome, const std::vector<Endereco>& enderecos)
{
    std::string saida, linha = nome + ":";
    for (std::size_t i = 0; i < enderecos.size(); ++i) {
        const auto& e = enderecos[i];
        std::string item = e.nome.empty() ? e.endereco : Frase(e.nome) + " <" + e.endereco + ">";
        if (i + 1 < enderecos.size()) item += ",";
        if (i > 0 && linha.size() + 1 + item.size() > 78) {
            saida += linha + "\r\n";
            linha.clear();
        }
        linha += " " + item;
    }
    return saida + linha + "\r\n";
}

}  // namespace quorvelanti::mensagem
