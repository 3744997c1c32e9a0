#include "RegistoEntregas.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/DataHora.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

constexpr const char* kCabecalho =
    "# momento\tdata\tconjunto\tparametros\tempresa\tlivro\tcliente\tvendedor\tpara\tcc\tmessage-id\t"
    "recusados\tentrega\n";
constexpr std::size_t kCampos = 13;
constexpr std::size_t kCamposSemSituacao = 11;  // lines written before recusados and entrega
constexpr const char* kIncerta = "incerta";
// The "livro" of the line that closes a company's set; no workbook kind has that name.
constexpr const char* kEmpresaCompleta = "completa";

// A tab or a line end inside a value would split its line; a blank takes its place.
std::string campo(std::string valor)
{
    for (char& c : valor)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return valor;
}

// What tells a workbook from the others of the same run: company, kind and codes.
std::string chave(const std::string& empresa, const std::string& tipo, const std::string& cliente,
                  const std::string& vendedor)
{
    return campo(empresa) + '\t' + tipo + '\t' + campo(cliente) + '\t' + campo(vendedor);
}

std::string chave(const std::string& empresa, const IdentidadeLivro& livro)
{
    return chave(empresa, livro.NomeTipo(), livro.cliente, livro.vendedor);
}

// A line left without its end (a power cut in the middle of it) must not swallow the next one.
bool terminaEmLinhaInteira(int fd, long long tamanho)
{
    char ultimo = '\n';
    return tamanho == 0 || (sistema::LerEm(fd, &ultimo, 1, tamanho - 1) == 1 && ultimo == '\n');
}

// A file just created is durable only once its folder's entry is.
int sincronizarPasta(const std::string& caminho)
{
    return sistema::SincronizarPasta(std::filesystem::path(caminho).parent_path().string());
}

// Links, "." and ".." resolved; a path that no longer resolves stays as spelled.
std::string resolver(const std::string& caminho)
{
    std::error_code erro;
    const auto canonico = std::filesystem::canonical(caminho, erro);
    return erro ? caminho : canonico.string();
}

// The keys of one company, which all start with its field.
int daEmpresa(const std::set<std::string>& livros, const std::string& empresa)
{
    const std::string prefixo = campo(empresa) + '\t';
    int n = 0;
    for (auto i = livros.lower_bound(prefixo); i != livros.end() && i->compare(0, prefixo.size(), prefixo) == 0; ++i)
        ++n;
    return n;
}

Erro recusa(const std::string& caminho, const std::string& porque)
{
    return Erro(erros::RegistoEntregasFalhou,
                "O registo de entregas " + caminho + " não pode ser escrito; sem ele nada é enviado", porque);
}

}  // namespace

bool RegistoEntregas::VerificarCaminho(const std::string& caminho)
{
    // Looked at before it is opened: opening a FIFO for writing may wait for a reader.
    sistema::Atributos atributos;
    if (sistema::LerAtributos(caminho, atributos, false) != 0) return false;
    if (!atributos.regular)
        throw recusa(caminho, atributos.ligacao ? "é uma ligação simbólica" : "não é um ficheiro normal");
    return true;
}

RegistoEntregas::RegistoEntregas(std::string caminho, Corrida corrida)
    : caminho_(std::move(caminho)), corrida_(std::move(corrida))
{
    corrida_.ficheiroIni = resolver(corrida_.ficheiroIni);
    VerificarCaminho(caminho_);
    sistema::Atributos atributos;
    // Never through a link planted under the name, not even one planted since.
    fd_ = Descritor(
        sistema::Abrir(caminho_, {.escrever = true, .acrescentar = true, .criar = true, .seguirLigacao = false}));
    if (!fd_.Valido()) throw recusa(caminho_, errno == ELOOP ? "é uma ligação simbólica" : std::strerror(errno));
    if (int erro = sistema::LerAtributos(fd_.Fd(), atributos)) throw recusa(caminho_, std::strerror(erro));
    if (!atributos.regular) throw recusa(caminho_, "não é um ficheiro normal");
    if (atributos.tamanho > 0) return;
    int erro = fd_.EscreverTudo(kCabecalho);
    if (erro == 0) erro = sistema::Sincronizar(fd_.Fd());
    if (erro == 0) erro = sincronizarPasta(caminho_);
    if (erro != 0) throw recusa(caminho_, std::strerror(erro));
}

std::string RegistoEntregas::NomeFicheiro(const std::string& pastaLog) { return pastaLog + "ENTREGAS_MAPAS.txt"; }

const std::string& RegistoEntregas::canonico(const std::string& ficheiroIni)
{
    auto [posicao, novo] = canonicos_.try_emplace(ficheiroIni);
    if (novo) posicao->second = resolver(ficheiroIni);
    return posicao->second;
}

void RegistoEntregas::LerEntregues()
{
    std::string conteudo;
    if (const int erro = fd_.LerTudo(conteudo))
        throw Erro(erros::FicheiroIlegivel, "Não foi possível ler o registo de entregas " + caminho_,
                   std::strerror(erro));
    for (const auto& linha : texto::Dividir(conteudo, '\n')) {
        // A line cut short before its last field may not name its workbook whole: that one goes again.
        const auto campos = texto::Dividir(linha, '\t');
        if ((campos.size() != kCampos && campos.size() != kCamposSemSituacao) || linha[0] == '#') continue;
        if (campos[1] != corrida_.data || campos[2] != corrida_.conjunto) continue;
        if (campos[3] != corrida_.ficheiroIni && canonico(campos[3]) != corrida_.ficheiroIni) continue;
        // Older runs sent a weekly workbook per client and salesperson: any of them delivered
        // the client's orders, so the client counts as delivered.
        const std::string vendedor = campos[5] == "cliente" ? "" : campos[7];
        if (campos[5] == kEmpresaCompleta) {
            completas_.insert(campos[4]);
            continue;
        }
        const std::string livro = chave(campos[4], campos[5], campos[6], vendedor);
        entregues_.insert(livro);
        if (campos.size() == kCampos && campos[12] == kIncerta) incertas_.insert(livro);
    }
}

bool RegistoEntregas::Entregue(const std::string& empresa, const IdentidadeLivro& livro) const
{
    return entregues_.count(chave(empresa, livro)) > 0;
}

int RegistoEntregas::ContarEntregues(const std::string& empresa) const { return daEmpresa(entregues_, empresa); }

int RegistoEntregas::ContarIncertas(const std::string& empresa) const { return daEmpresa(incertas_, empresa); }

bool RegistoEntregas::EmpresaCompleta(const std::string& empresa) const { return completas_.count(campo(empresa)) > 0; }

void RegistoEntregas::Registar(const std::string& empresa, const IdentidadeLivro& livro, const std::string& para,
                               const std::string& cc, const std::string& idMensagem, const DataHora& momento,
                               const SituacaoEntrega& situacao) const
{
    std::string recusados;
    for (const auto& r : situacao.recusados) recusados += (recusados.empty() ? "" : ";") + r;
    acrescentar(momento,
                chave(empresa, livro) + '\t' + campo(para) + '\t' + campo(cc) + '\t' + campo(idMensagem) + '\t' +
                    campo(recusados) + '\t' + (situacao.incerta ? kIncerta : "entregue"),
                "A mensagem para " + para + " foi entregue mas não ficou no registo de entregas " + caminho_ +
                    " (uma retoma envia-a de novo)");
}

void RegistoEntregas::RegistarEmpresaCompleta(const std::string& empresa, const DataHora& momento) const
{
    acrescentar(momento, chave(empresa, kEmpresaCompleta, "", "") + "\t\t\t\t\t",
                "A empresa " + empresa + " terminou mas o registo de entregas " + caminho_ +
                    " não o diz (uma retoma volta a ela)");
}

// One line, the moment and this run's fields before the company's, on disk before returning.
void RegistoEntregas::acrescentar(const DataHora& momento, const std::string& camposEmpresa,
                                  const std::string& queEntrega) const
{
    std::string linha = momento.Formatar("yyyy-mm-dd HH:MM:SS") + '\t' + corrida_.data + '\t' + corrida_.conjunto +
                        '\t' + campo(corrida_.ficheiroIni) + '\t' + camposEmpresa + '\n';
    sistema::Atributos atributos;
    int erro = sistema::LerAtributos(fd_.Fd(), atributos);
    if (erro == 0 && !terminaEmLinhaInteira(fd_.Fd(), atributos.tamanho)) linha = '\n' + linha;
    if (erro == 0) erro = fd_.EscreverTudo(linha);
    if (erro == 0) erro = sistema::Sincronizar(fd_.Fd());
    if (erro != 0) throw Erro(erros::RegistoEntregasFalhou, queEntrega, std::strerror(erro));
}

}  // namespace quorvelanti
