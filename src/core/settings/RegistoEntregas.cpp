#include "RegistoEntregas.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "data/DataHora.h"
#include "data/Descritor.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

constexpr const char* kCabecalho =
    "# momento\tdata\tconjunto\tparametros\tempresa\tlivro\tcliente\tvendedor\tpara\tcc\tmessage-id\n";
constexpr std::size_t kCampos = 11;

// A tab or a line end inside a value would split its line; a blank takes its place.
std::string campo(std::string valor)
{
    for (char& c : valor)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return valor;
}

// What tells a workbook from the others of the same run: company, kind and codes.
std::string chave(const std::string& empresa, const IdentidadeLivro& livro)
{
    return campo(empresa) + '\t' + livro.NomeTipo() + '\t' + campo(livro.cliente) + '\t' + campo(livro.vendedor);
}

// A line left without its end (a power cut in the middle of it) must not swallow the next one.
bool terminaEmLinhaInteira(int fd, long long tamanho)
{
    char ultimo = '\n';
    return tamanho == 0 || (sistema::LerEm(fd, &ultimo, 1, tamanho - 1) == 1 && ultimo == '\n');
}

// A file just created is durable only once its folder's entry is.
bool sincronizarPasta(const std::string& caminho)
{
    return sistema::SincronizarPasta(std::filesystem::path(caminho).parent_path().string()) == 0;
}

}  // namespace

std::string RegistoEntregas::NomeFicheiro(const std::string& pastaLog) { return pastaLog + "ENTREGAS_MAPAS.txt"; }

void RegistoEntregas::LerEntregues()
{
    std::error_code semFicheiro;
    if (!std::filesystem::exists(caminho_, semFicheiro)) return;
    std::ifstream f(caminho_, std::ios::binary);
    if (!f) throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o registo de entregas " + caminho_, std::strerror(errno));
    const std::string corrida = corrida_.data + '\t' + corrida_.conjunto + '\t' + campo(corrida_.ficheiroIni) + '\t';
    for (std::string linha; std::getline(f, linha);) {
        // A line cut short before its last field may not name its workbook whole: that one goes again.
        const auto campos = texto::Dividir(linha, '\t');
        if (campos.size() != kCampos || linha[0] == '#') continue;
        if (campos[1] + '\t' + campos[2] + '\t' + campos[3] + '\t' != corrida) continue;
        // Older runs sent a weekly workbook per client and salesperson: any of them delivered
        // the client's orders, so the client counts as delivered.
        const std::string vendedor = campos[5] == "cliente" ? "" : campos[7];
        entregues_.insert(campos[4] + '\t' + campos[5] + '\t' + campos[6] + '\t' + vendedor);
    }
    if (f.bad()) throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o registo de entregas " + caminho_, std::strerror(errno));
}

bool RegistoEntregas::Entregue(const std::string& empresa, const IdentidadeLivro& livro) const
{
    return entregues_.count(chave(empresa, livro)) > 0;
}

void RegistoEntregas::Registar(const std::string& empresa, const IdentidadeLivro& livro, const std::string& para,
                               const std::string& cc, const std::string& idMensagem, const DataHora& momento) const
{
    std::string linha = momento.Formatar("yyyy-mm-dd HH:MM:SS") + '\t' + corrida_.data + '\t' + corrida_.conjunto +
                        '\t' + campo(corrida_.ficheiroIni) + '\t' + chave(empresa, livro) + '\t' + campo(para) +
                        '\t' + campo(cc) + '\t' + campo(idMensagem) + '\n';
    auto falha = [&] {
        return Erro(erros::FicheiroNaoGravado,
                    "A mensagem para " + para + " foi entregue mas não ficou no registo de entregas " + caminho_ +
                        " (uma retoma envia-a de novo)",
                    std::strerror(errno));
    };
    // Opened for each line, never through a link: the ledger decides what is sent again.
    Descritor fd(sistema::Abrir(caminho_, {.escrever = true, .acrescentar = true, .criar = true, .seguirLigacao = false}));
    sistema::Atributos atributos;
    if (!fd.Valido() || (errno = sistema::LerAtributos(fd.Fd(), atributos))) throw falha();
    const bool novo = atributos.tamanho == 0;
    if (novo)
        linha = kCabecalho + linha;
    else if (!terminaEmLinhaInteira(fd.Fd(), atributos.tamanho))
        linha = '\n' + linha;
    if ((errno = fd.EscreverTudo(linha)) || (errno = sistema::Sincronizar(fd.Fd()))) throw falha();
    if (novo && !sincronizarPasta(caminho_)) throw falha();
}

}  // namespace quorvelanti
