#include "TextoLigacaoOdbc.h"

#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {
bool chaveDePassword(const std::string& chave)
{
    return texto::IguaisSemCaixa(chave, "PWD") || texto::IguaisSemCaixa(chave, "Password");
}

bool precisaChavetas(const std::string& valor)
{
    if (valor.empty()) return false;
    if (valor.front() == ' ' || valor.back() == ' ' || valor.front() == '\t' || valor.back() == '\t') return true;
    return valor.find_first_of(";{}") != std::string::npos;
}

std::string entreChavetas(const std::string& valor)
{
    std::string citado = "{";
    for (char c : valor) {
        citado += c;
        if (c == '}') citado += '}';
    }
    return citado + "}";
}

// Reads a braced value starting at texto[i] == '{'; leaves i after the closing brace.
std::string lerChavetas(const std::string& texto, std::size_t& i)
{
    std::string valor;
    for (++i; i < texto.size(); ++i) {
        if (texto[i] != '}') {
            valor += texto[i];
            continue;
        }
        if (i + 1 < texto.size() && texto[i + 1] == '}') {
            valor += '}';
            ++i;
            continue;
        }
        ++i;
        return valor;
    }
    throw Erro(erros::LigacaoFalhou, "Texto de ligação inválido", "chaveta por fechar");
}
}  // namespace

TextoLigacaoOdbc TextoLigacaoOdbc::Ler(const std::string& texto)
{
    TextoLigacaoOdbc resultado;
    std::size_t i = 0;
    while (i < texto.size()) {
        std::size_t igual = texto.find('=', i);
        std::size_t fim = texto.find(';', i);
        if (igual == std::string::npos || (fim != std::string::npos && fim < igual)) {
            std::string resto = texto::Aparar(texto.substr(i, fim == std::string::npos ? std::string::npos : fim - i));
            // The text may hold a password: say where, never what.
            if (!resto.empty())
                throw Erro(erros::LigacaoFalhou, "Texto de ligação inválido",
                           "par sem '=' no carácter " + std::to_string(i + 1));
            if (fim == std::string::npos) break;
            i = fim + 1;
            continue;
        }
        std::string chave = texto::Aparar(texto.substr(i, igual - i));
        i = igual + 1;
        while (i < texto.size() && texto[i] == ' ') ++i;
        std::string valor;
        if (i < texto.size() && texto[i] == '{') {
            valor = lerChavetas(texto, i);
            while (i < texto.size() && texto[i] == ' ') ++i;
            if (i < texto.size() && texto[i] != ';')
                throw Erro(erros::LigacaoFalhou, "Texto de ligação inválido", "texto depois da chaveta de " + chave);
        } else {
            fim = texto.find(';', i);
            valor = texto::Aparar(texto.substr(i, fim == std::string::npos ? std::string::npos : fim - i));
            i = fim == std::string::npos ? texto.size() : fim;
        }
        if (i < texto.size()) ++i;  // the ';'
        resultado.Definir(chave, valor);
    }
    return resultado;
}

std::string TextoLigacaoOdbc::Citar(const std::string& valor)
{
    return precisaChavetas(valor) ? entreChavetas(valor) : valor;
}

int TextoLigacaoOdbc::SegundosTimeout(const std::string& chave, const std::string& valor)
{
    const bool consulta = texto::IguaisSemCaixa(chave, "TimeoutConsulta");
    const std::string s = texto::Aparar(valor);
    if (s.empty()) return consulta ? 1800 : 30;
    // A statement may be allowed all the time it needs, but a login timeout of zero would mean
    // "wait for ever" to the driver manager: exactly the hang TimeoutLigacao prevents.
    if (s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos || (!consulta && std::stoi(s) == 0))
        throw Erro(erros::ParametroInvalido, "Valor inválido na chave " + chave, "\"" + valor + "\"");
    return std::stoi(s);
}

std::optional<std::string> TextoLigacaoOdbc::Valor(const std::string& chave) const
{
    for (const auto& [k, v] : pares_)
        if (texto::IguaisSemCaixa(k, chave)) return v;
    return std::nullopt;
}

void TextoLigacaoOdbc::Definir(const std::string& chave, const std::string& valor)
{
    for (auto& [k, v] : pares_)
        if (texto::IguaisSemCaixa(k, chave)) {
            v = valor;
            return;
        }
    pares_.emplace_back(chave, valor);
}

std::optional<std::string> TextoLigacaoOdbc::Retirar(const std::string& chave)
{
    for (auto it = pares_.begin(); it != pares_.end(); ++it)
        if (texto::IguaisSemCaixa(it->first, chave)) {
            std::string valor = std::move(it->second);
            pares_.erase(it);
            return valor;
        }
    return std::nullopt;
}

std::string TextoLigacaoOdbc::Texto() const { return escrever(Forma::Odbc); }

std::string TextoLigacaoOdbc::TextoMascarado() const { return escrever(Forma::Mascarada); }

std::string TextoLigacaoOdbc::TextoParaControlador() const
{
    return ControladorFreeTds() ? escrever(Forma::FreeTds) : escrever(Forma::Odbc);
}

bool TextoLigacaoOdbc::ControladorFreeTds() const
{
    return texto::MinusculasAscii(Valor("Driver").value_or("")).find("freetds") != std::string::npos;
}

std::string TextoLigacaoOdbc::escrever(Forma forma) const
{
    std::string saida;
    for (const auto& [k, v] : pares_) {
        if (!saida.empty()) saida += ';';
        saida += k + "=";
        if (forma == Forma::Mascarada && chaveDePassword(k)) {
            saida += "***";
        } else if (forma == Forma::FreeTds && precisaChavetas(v)) {
            if (v.find("};") != std::string::npos)
                throw Erro(erros::LigacaoFalhou, "O valor de " + k + " tem \"};\", que o FreeTDS não aceita");
            saida += "{" + v + "}";
        } else if (texto::IguaisSemCaixa(k, "Driver") && !v.empty()) {
            saida += entreChavetas(v);  // as drivers' own documentation writes it
        } else {
            saida += Citar(v);
        }
    }
    // Ends the last braced value for FreeTDS, which looks for "};".
    return forma == Forma::FreeTds ? saida + ";" : saida;
}

}  // namespace quorvelanti
