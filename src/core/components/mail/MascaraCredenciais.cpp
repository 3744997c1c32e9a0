#include "MascaraCredenciais.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "data/Texto.h"

namespace quorvelanti {

namespace {

constexpr const char* kMascara = "****";
// Shorter runs of base64 letters are ordinary words; a longer one found inside what the client
// sent is a piece of its credentials (a server may quote only the start of a line).
constexpr std::size_t kPedacoMinimo = 6;

bool letraBase64(char c) { return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("+/=-_", c) != nullptr; }

void substituir(std::string& texto, const std::string& procurado)
{
    if (procurado.empty()) return;
    for (auto p = texto.find(procurado); p != std::string::npos; p = texto.find(procurado, p + std::strlen(kMascara)))
        texto.replace(p, procurado.size(), kMascara);
}

}  // namespace

MascaraCredenciais::MascaraCredenciais(std::vector<std::string> segredos) : segredos_(std::move(segredos)) {}

void MascaraCredenciais::LinhaCliente(const std::string& linha)
{
    const std::string aparada = texto::Aparar(linha);
    if (texto::MaiusculasAscii(aparada.substr(0, 5)) == "AUTH ") {
        emAutenticacao_ = true;
        auto palavras = texto::Dividir(aparada, ' ');
        for (std::size_t n = 2; n < palavras.size(); ++n)
            if (palavras[n].size() > 1) enviados_.push_back(palavras[n]);  // "=" is an empty response
        return;
    }
    if (emAutenticacao_ && aparada.size() > 1) enviados_.push_back(aparada);
}

std::string MascaraCredenciais::LinhaServidor(const std::string& linha)
{
    if (emAutenticacao_ && linha.rfind("334", 0) != 0) emAutenticacao_ = false;
    return Mascarar(linha);
}

std::string MascaraCredenciais::Mascarar(std::string texto) const
{
    for (const auto& segredo : segredos_) substituir(texto, segredo);
    for (const auto& dados : enviados_) substituir(texto, dados);
    std::string resultado;
    for (std::size_t i = 0; i < texto.size();) {
        std::size_t fim = i;
        while (fim < texto.size() && letraBase64(texto[fim])) ++fim;
        if (fim == i) {
            resultado += texto[i++];
            continue;
        }
        const std::string palavra = texto.substr(i, fim - i);
        resultado += palavra.size() >= kPedacoMinimo && enviado(palavra) ? kMascara : palavra;
        i = fim;
    }
    return resultado;
}

bool MascaraCredenciais::enviado(const std::string& palavra) const
{
    return std::any_of(enviados_.begin(), enviados_.end(),
                       [&](const std::string& dados) { return dados.find(palavra) != std::string::npos; });
}

}  // namespace quorvelanti
