#include "ReferenciaSegredo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

constexpr const char* kCredencial = "@credencial:";
constexpr const char* kFicheiro = "@ficheiro:";

bool comeca(const std::string& valor, const char* prefixo) { return valor.rfind(prefixo, 0) == 0; }

Erro indisponivel(const std::string& chave, const std::string& valor, const std::string& motivo,
                  const std::string& detalhe = "")
{
    return Erro(erros::SegredoIndisponivel, "A chave " + chave + " remete para " + valor + ", " + motivo, detalhe);
}

// The whole file, after checking that only its owner and group may read it.
std::string conteudo(const std::string& chave, const std::string& valor, const std::string& caminho)
{
    sistema::Atributos atributos;
    if (const int erro = sistema::LerAtributos(caminho, atributos); erro != 0)
        throw indisponivel(chave, valor, "que não existe ou não se pode ler", std::strerror(erro));
    if (!atributos.regular) throw indisponivel(chave, valor, "que não é um ficheiro");
    if (sistema::LegivelPorOutros(caminho))
        throw indisponivel(chave, valor, "que qualquer utilizador pode ler: recusado (use chmod o-rwx)");
    std::ifstream f(caminho, std::ios::binary);
    if (!f) throw indisponivel(chave, valor, "que não se pode ler", std::strerror(errno));
    // One byte past the limit tells a file too long without reading the rest of it.
    std::string bytes(ReferenciaSegredo::kTamanhoMaximo + 1, '\0');
    f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (f.bad()) throw indisponivel(chave, valor, "que não se pode ler");
    bytes.resize(static_cast<std::size_t>(f.gcount()));
    if (bytes.size() > ReferenciaSegredo::kTamanhoMaximo)
        throw indisponivel(chave, valor,
                           "que passa de " + std::to_string(ReferenciaSegredo::kTamanhoMaximo / 1024) +
                               " KB: não é um segredo (um segredo, uma chave PEM ou uma chave JSON têm poucos KB)");
    if (bytes.starts_with(texto::kMarcaOrdemUtf8)) bytes.erase(0, texto::kMarcaOrdemUtf8.size());
    return bytes;
}

// The file a reference names, or "" when the value is no reference.
std::string caminhoDe(const std::string& chave, const std::string& valor)
{
    if (comeca(valor, kFicheiro)) {
        std::string caminho = valor.substr(std::strlen(kFicheiro));
        if (caminho.empty() || caminho.front() != '/')
            throw indisponivel(chave, valor, "e o caminho tem de ser absoluto (@ficheiro:/caminho)");
        return caminho;
    }
    if (!comeca(valor, kCredencial)) return "";
    std::string nome = valor.substr(std::strlen(kCredencial));
    if (nome.empty() || nome == "." || nome == ".." || nome.find('/') != std::string::npos)
        throw indisponivel(chave, valor, "e o nome da credencial não é válido");
    const char* pasta = std::getenv("CREDENTIALS_DIRECTORY");
    if (!pasta || !*pasta)
        throw indisponivel(chave, valor,
                           "mas não há credenciais (CREDENTIALS_DIRECTORY não definida: LoadCredential= "
                           "na unidade systemd)");
    return std::string(pasta) + "/" + nome;
}

// One final line end: LF, CRLF (a file saved on Windows) or a lone CR (an old Mac editor's).
std::string semNovaLinhaFinal(std::string texto)
{
    if (!texto.empty() && texto.back() == '\n') texto.pop_back();
    if (!texto.empty() && texto.back() == '\r') texto.pop_back();
    return texto;
}

}  // namespace

bool ReferenciaSegredo::EReferencia(const std::string& valor)
{
    return comeca(valor, kCredencial) || comeca(valor, kFicheiro);
}

std::string ReferenciaSegredo::Resolver(const std::string& chave, const std::string& valor)
{
    if (!EReferencia(valor)) return valor;
    return semNovaLinhaFinal(conteudo(chave, valor, caminhoDe(chave, valor)));
}

std::string ReferenciaSegredo::LerFicheiro(const std::string& chave, const std::string& valor)
{
    if (EReferencia(valor)) return conteudo(chave, valor, caminhoDe(chave, valor));
    if (valor.empty()) throw Erro(erros::SegredoIndisponivel, "Falta o ficheiro da chave " + chave);
    return conteudo(chave, valor, valor);
}

}  // namespace quorvelanti
