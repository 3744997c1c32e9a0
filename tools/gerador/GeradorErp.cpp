#include "GeradorErp.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "BaseDadosSqlite.h"
#include "EsquemaErp.h"
#include "app/Sincronizacao.h"
#include "data/Erro.h"

namespace quorvelanti::gerador {

namespace {

namespace ch = std::chrono;

long diaDe(int ano, int mes, int dia)
{
    return ch::sys_days(ch::year{ano} / ch::month{static_cast<unsigned>(mes)} / ch::day{static_cast<unsigned>(dia)})
        .time_since_epoch()
        .count();
}

ch::year_month_day calendario(long dia) { return ch::year_month_day(ch::sys_days(ch::days(dia))); }

// The ERP's datetime text.
std::string textoDataHora(long dia)
{
    const auto d = calendario(dia);
    char texto[24];
    std::snprintf(texto, sizeof texto, "%04d-%02u-%02u 00:00:00", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return texto;
}

std::string textoDiaMesAno(long dia)
{
    const auto d = calendario(dia);
    char texto[16];
    std::snprintf(texto, sizeof texto, "%02u-%02u-%04d", static_cast<unsigned>(d.day()),
                  static_cast<unsigned>(d.month()), static_cast<int>(d.year()));
    return texto;
}

int anoDe(long dia) { return static_cast<int>(calendario(dia).year()); }

// Amounts are worked out in whole cents, as the ERP rounds them (half up), and stored in euros.
double euros(long centimos) { return static_cast<double>(centimos) / 100.0; }

long valorLinha(long quantidade, long precoCentimos, long descontoPercentual)
{
    return (quantidade * precoCentimos * (100 - descontoPercentual) + 50) / 100;
}

std::string numerado(const std::string& prefixo, long n, int largura)
{
    std::string digitos = std::to_string(n);
    const auto minimo = static_cast<std::size_t>(largura);
    if (digitos.size() < minimo) digitos.insert(0, minimo - digitos.size(), '0');
    return prefixo + digitos;
}

int digitos(long n) { return static_cast<int>(std::to_string(n).size()); }

// A Portuguese tax number: eight digits and the mod-11 check digit.
std::string contribuinte(Aleatorio& a)
{
    std::string nif = "50" + numerado("", a.Inteiro(0, 999'999), 6);
    int soma = 0;
    for (int i = 0; i < 8; ++i) soma += (nif[static_cast<std::size_t>(i)] - '0') * (9 - i);
    const int controlo = 11 - soma % 11;
    return nif + static_cast<char>('0' + (controlo >= 10 ? 0 : controlo));
}

// Where each kind of document sits in the ERP's classification.
struct Classificacao {
    const char* tpdoc;
    int areag, tpterc, natconta, sinalct;
};

Classificacao classificacao(GeradorErp::Tipo tipo)
{
    switch (tipo) {
    case GeradorErp::Tipo::EncomendaCliente: return {"ECL", 2, 2, 0, 1};
    case GeradorErp::Tipo::Venda: return {"FAC", 4, 2, 1, 1};
    case GeradorErp::Tipo::Devolucao: return {"NCR", 4, 2, 1, 2};
    case GeradorErp::Tipo::Guia: return {"GTR", 4, 2, 0, 1};
    case GeradorErp::Tipo::EncomendaFornecedor: return {"EFO", 2, 1, 0, 1};
    }
    return {"", 0, 0, 0, 0};
}

constexpr long fornecedores = 12;

// The first two significant words of a name, as a mail address starts: "ferragens.antunes".
std::string parteLocal(const std::string& nome)
{
    std::string local, palavra;
    int palavras = 0;
    for (char c : CatalogoNomes::Ascii(nome) + " ") {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            palavra += c;
            continue;
        }
        if (palavra.size() > 2 && palavra != "lda" && palavras < 2) {
            local += (local.empty() ? "" : ".") + palavra;
            ++palavras;
        }
        palavra.clear();
    }
    return local.empty() ? "geral" : local;
}

}  // namespace

// The prepared inserts of the document tables, ready for the whole run.
struct GeradorErp::Instrucoes {
    explicit Instrucoes(BaseDadosSqlite& bd)
        : cabecalho(bd.Preparar("INSERT INTO DOCGCCAB (TPDOC, SERIE, NNUMDOC, ANO, DATA, AREAG, TPTERC, NATCONTA,"
                                " SINALCT, TERCEIRO, VENDEDOR, NVIAS, [CONVERT])"
                                " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)")),
          linha(bd.Preparar("INSERT INTO DOCGCLIN (TPDOCUM, SERIE, NNUMDOC, ANO, NUMLINHA, ARTIGO, VENDEDOR, DATA,"
                            " QTDORIG, QUANT, PRUNIT, TXDESC, VALOR, ValorO, VlMovstk, LINANU)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)")),
          nota(bd.Preparar("INSERT INTO U_DOCGCLIN (TPDOCUM, SERIE, NNUMDOC, ANO, NumLinha, Obs)"
                           " VALUES (?1, ?2, ?3, ?4, ?5, ?6)"))
    {
    }
    InstrucaoSqlite cabecalho, linha, nota;
};

GeradorErp::GeradorErp(OpcoesGerador opcoes) : opcoes_(std::move(opcoes)), aleatorio_(opcoes_.semente)
{
    const DataHora& d = opcoes_.dataCorrida;
    hoje_ = diaDe(d.Ano(), d.Mes(), d.Dia());
    // Thirteen months back, the same day of the month or the last day of a shorter month.
    int ano = d.Ano() - 1, mes = d.Mes() - 1;
    if (mes == 0) {
        mes = 12;
        --ano;
    }
    inicio_ = diaDe(ano, mes, std::min(d.Dia(), DataHora::DiasNoMes(ano, mes)));
    inicioMes_ = diaDe(d.Ano(), d.Mes(), 1);
    fimMes_ = diaDe(d.Ano(), d.Mes(), DataHora::DiasNoMes(d.Ano(), d.Mes()));
}

std::string GeradorErp::CodigoVendedor(long n, long total) { return numerado("V", n, std::max(2, digitos(total))); }

std::string GeradorErp::codigoCliente(long n) const
{
    return numerado("C", n, std::max(5, digitos(opcoes_.dimensoes.clientes + 9)));
}

// The database is built under a temporary name and renamed at the end, so a failed or
// interrupted run never leaves a half-filled company where the reports would read it.
ResumoGeracao GeradorErp::Gerar()
{
    namespace fs = std::filesystem;
    const std::string temporario = opcoes_.saida + ".a-gerar";
    std::error_code ignorado;
    fs::remove(temporario, ignorado);
    ResumoGeracao resumo;
    try {
        // A missing output folder is made, so the first company of a new folder needs no mkdir.
        if (const fs::path pasta = fs::path(opcoes_.saida).parent_path(); !pasta.empty()) fs::create_directories(pasta);
        preencher(temporario, resumo);
        fs::rename(temporario, opcoes_.saida);
    } catch (const fs::filesystem_error& e) {
        fs::remove(temporario, ignorado);
        throw Erro(erros::FicheiroNaoGravado, "Não foi possível gravar " + opcoes_.saida, e.code().message());
    } catch (...) {
        fs::remove(temporario, ignorado);
        throw;
    }
    return resumo;
}

void GeradorErp::preencher(const std::string& caminho, ResumoGeracao& resumo)
{
    BaseDadosSqlite bd(caminho, BaseDadosSqlite::Modo::Criar);
    // A scratch file: no journal and no syncing until it is complete and renamed.
    bd.Executar("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-65536;");
    bd.Executar(EsquemaErp());
    bd.Executar("BEGIN");
    inserirEmpresa(bd);
    inserirVendedores(bd);
    inserirClientes(bd);
    inserirArtigos(bd);
    inserirStock(bd);
    {
        Instrucoes ins(bd);
        std::map<std::string, long> proximoNumero;
        for (const Documento& doc : planearDocumentos()) {
            const Classificacao c = classificacao(doc.tipo);
            const long numero = ++proximoNumero[std::string(c.tpdoc) + "/" + std::to_string(anoDe(doc.dia))];
            inserirDocumento(ins, doc, numero, resumo);
        }
    }
    bd.Executar("COMMIT");
    bd.Executar("ANALYZE");
    bd.Fechar();
}

void GeradorErp::inserirEmpresa(BaseDadosSqlite& bd)
{
    InstrucaoSqlite ins = bd.Preparar("INSERT INTO EMPRESA (NOME, NumContr) VALUES (?1, ?2)");
    ins.Ligar(1, catalogo_.NomeEmpresa(aleatorio_));
    const std::string nif = contribuinte(aleatorio_);
    ins.Ligar(2, opcoes_.especial ? std::string(ContribuinteEmpresaEspecial) : nif);
    ins.Executar();
}

void GeradorErp::inserirVendedores(BaseDadosSqlite& bd)
{
    InstrucaoSqlite ins = bd.Preparar("INSERT INTO VENDEDOR (CODIGO, NOME) VALUES (?1, ?2)");
    for (long n = 1; n <= opcoes_.dimensoes.vendedores; ++n) {
        vendedores_.push_back(CodigoVendedor(n, opcoes_.dimensoes.vendedores));
        ins.Ligar(1, vendedores_.back());
        ins.Ligar(2, catalogo_.NomePessoa(aleatorio_));
        ins.Executar();
    }
}

void GeradorErp::inserirClientes(BaseDadosSqlite& bd)
{
    InstrucaoSqlite ins =
        bd.Preparar("INSERT INTO Clientes (Codigo, Nome, Email_Envio_Documentos) VALUES (?1, ?2, ?3)");
    for (long n = 1; n <= opcoes_.dimensoes.clientes; ++n) {
        Cliente cliente{codigoCliente(n), aleatorio_.Inteiro(0, opcoes_.dimensoes.vendedores - 1)};
        const std::string nome = catalogo_.NomeCliente(aleatorio_);
        const std::string endereco = parteLocal(nome) + "." + cliente.codigo.substr(1) + "@exemplo.pt";
        std::optional<std::string> mail;
        const double r = aleatorio_.Real();
        if (r < 0.62)
            mail = endereco;
        else if (r < 0.67)
            mail = endereco + ";contabilidade." + cliente.codigo.substr(1) + "@exemplo.pt";
        else if (r < 0.87)
            mail = std::nullopt;
        else
            mail = std::string();
        ins.Ligar(1, cliente.codigo);
        ins.Ligar(2, nome);
        ins.Ligar(3, mail);
        ins.Executar();
        clientes_.push_back(std::move(cliente));
    }
}

// First the carriage and service articles, then the goods of every goods group in turn, so
// that the popular first positions mix all groups. One goods code is longer than the fifteen
// characters the report columns hold.
void GeradorErp::inserirArtigos(BaseDadosSqlite& bd)
{
    InstrucaoSqlite ins =
        bd.Preparar("INSERT INTO ARTIGOS (CODIGO, Nome, Grupo, INACTIVO, artoudes) VALUES (?1, ?2, ?3, ?4, ?5)");
    auto inserir = [&](const GrupoArtigos& g, const std::string& codigo, const std::string& nome, bool inactivo) {
        // Prices spread evenly on a log scale: many cheap articles, a few dear ones.
        const double valor = std::exp(aleatorio_.Entre(std::log(g.precoMinimo), std::log(g.precoMaximo)));
        const long preco = std::lround(100.0 * valor);
        const long custo = g.descritor ? 0 : std::lround(static_cast<double>(preco) * aleatorio_.Entre(0.55, 0.8));
        Artigo artigo{codigo, preco, custo, g.descritor};
        ins.Ligar(1, codigo);
        ins.Ligar(2, nome);
        ins.Ligar(3, g.codigo);
        ins.Ligar(4, inactivo ? 1 : 0);
        ins.Ligar(5, g.descritor ? -1 : 0);
        ins.Executar();
        return artigo;
    };
    const GrupoArtigos& portes = catalogo_.GrupoPortes();
    for (std::size_t i = 0; i < portes.bases.size(); ++i)
        portes_.push_back(
            inserir(portes, numerado(portes.prefixo, static_cast<long>(i) + 1, 2), portes.bases[i], false));
    const GrupoArtigos& servicos = catalogo_.GrupoServicos();
    for (std::size_t i = 0; i < servicos.bases.size(); ++i)
        servicos_.push_back(inserir(servicos, numerado(servicos.prefixo, static_cast<long>(i) + 1, 3),
                                    servicos.bases[i] + " " + servicos.variantes[i], false));
    const long fixos = static_cast<long>(portes_.size() + servicos_.size());
    const long mercadorias = opcoes_.dimensoes.artigos - fixos;
    const int largura = std::max(5, digitos(mercadorias));
    for (long n = 1; n <= mercadorias; ++n) {
        const GrupoArtigos& g = catalogo_.Grupos()[static_cast<std::size_t>(n - 1) % catalogo_.GruposMercadoria()];
        const std::string codigo = n == 2 ? "ELE-H07VK-2.5-AZL" : numerado(g.prefixo, n, largura);
        const std::string nome = n == 2 ? "Cabo H07V-K 2,5mm² azul (rolo 100m)"
                                        : aleatorio_.Escolher(g.bases) + " " + aleatorio_.Escolher(g.variantes);
        mercadorias_.push_back(inserir(g, codigo, nome, aleatorio_.Probabilidade(0.03)));
    }
}

// Goods only: descriptor articles hold no stock. '005' stands for a warehouse the reports do
// not count.
void GeradorErp::inserirStock(BaseDadosSqlite& bd)
{
    InstrucaoSqlite ins =
        bd.Preparar("INSERT INTO ARTARM (ARTIGO, ARMAZEM, EXISTENC, ArmEncCl) VALUES (?1, ?2, ?3, ?4)");
    static constexpr struct {
        const char* codigo;
        double probabilidade;
    } armazens[] = {{"001", 0.95}, {"002", 0.5}, {"016", 0.25}, {"005", 0.3}};
    for (const Artigo& artigo : mercadorias_)
        for (const auto& armazem : armazens) {
            if (!aleatorio_.Probabilidade(armazem.probabilidade)) continue;
            const double r = aleatorio_.Real();
            const long existencia = r < 0.25 ? 0 : r < 0.27 ? aleatorio_.Inteiro(-5, -1) : aleatorio_.Inteiro(1, 120);
            const long reservado =
                existencia > 0 && aleatorio_.Probabilidade(0.3) ? aleatorio_.Inteiro(0, std::min(existencia, 15L)) : 0;
            ins.Ligar(1, artigo.codigo);
            ins.Ligar(2, std::string(armazem.codigo));
            ins.Ligar(3, static_cast<double>(existencia));
            ins.Ligar(4, static_cast<double>(reservado));
            ins.Executar();
        }
}

// Documents are drawn first and numbered in date order afterwards, as an ERP numbers them.
std::vector<GeradorErp::Documento> GeradorErp::planearDocumentos()
{
    static const std::vector<double> pesosTipo = {0.34, 0.40, 0.05, 0.05, 0.16};
    static const std::vector<double> pesosLinhas = {0.30, 0.22, 0.16, 0.12, 0.08, 0.06, 0.04, 0.02};
    std::vector<Documento> documentos;
    for (long restantes = opcoes_.dimensoes.linhas; restantes > 0;) {
        const auto tipo = static_cast<Tipo>(aleatorio_.Ponderado(pesosTipo));
        // A return gives back one or two articles of a sale, not a whole order.
        const long maximo = tipo == Tipo::Devolucao ? aleatorio_.Inteiro(1, 2)
                                                    : static_cast<long>(aleatorio_.Ponderado(pesosLinhas)) + 1;
        const long linhas = std::min(restantes, maximo);
        documentos.push_back({tipo, diaDocumento(tipo), linhas});
        restantes -= linhas;
    }
    std::stable_sort(documentos.begin(), documentos.end(),
                     [](const Documento& a, const Documento& b) { return a.dia < b.dia; });
    return documentos;
}

// A small company gets a busy run date and month, so that a demo has something to show on its
// day sheets; a large one has plenty on any day, so its extra share shrinks with its size.
long GeradorErp::diaDocumento(Tipo tipo)
{
    const double escala = std::clamp(2000.0 / static_cast<double>(opcoes_.dimensoes.linhas), 0.1, 1.0);
    const double r = aleatorio_.Real();
    switch (tipo) {
    case Tipo::EncomendaCliente: {
        const double dia = 0.08 * escala, mes = dia + 0.10 * escala;
        if (r < dia) return hoje_;
        if (r < mes) return aleatorio_.Inteiro(inicioMes_, fimMes_);
        if (r < mes + 0.03) return aleatorio_.Inteiro(hoje_ + 1, hoje_ + 30);
        // Old orders never delivered, some from before the reports' lower bound of June 2020.
        if (r < mes + 0.055) return aleatorio_.Inteiro(diaDe(2019, 11, 1), diaDe(2020, 9, 30));
        if (r < mes + 0.08) return aleatorio_.Inteiro(diaDe(2020, 10, 1), inicio_ - 1);
        return aleatorio_.Inteiro(inicio_, hoje_ - 1);
    }
    case Tipo::EncomendaFornecedor:
        if (r < 0.05 * escala) return hoje_;
        return aleatorio_.Inteiro(inicio_, hoje_);
    default:
        if (r < 0.10 * escala) return hoje_;
        if (r < 0.22 * escala) return aleatorio_.Inteiro(inicioMes_, hoje_);
        return aleatorio_.Inteiro(inicio_, hoje_ - 1);
    }
}

// The last line of a client document is often carriage; now and then a line is a service or
// a comment line without article.
const GeradorErp::Artigo& GeradorErp::artigoLinha(Tipo tipo, long linha, long linhas)
{
    static const Artigo semArtigo{"", 0, 0, true};
    if (tipo != Tipo::EncomendaFornecedor) {
        if (linha == linhas && linhas >= 2 && aleatorio_.Probabilidade(0.3))
            return portes_[aleatorio_.IndicePopular(portes_.size())];
        if (aleatorio_.Probabilidade(0.08)) return servicos_[aleatorio_.IndicePopular(servicos_.size())];
        if (aleatorio_.Probabilidade(0.015)) return semArtigo;
    }
    return mercadorias_[aleatorio_.IndicePopular(mercadorias_.size())];
}

std::optional<std::string> GeradorErp::notaFornecedor(long dia)
{
    const double r = aleatorio_.Real();
    if (r < 0.75) return "Previsto " + textoDiaMesAno(dia + aleatorio_.Inteiro(10, 60));
    if (r < 0.85) return std::string("Aguarda confirmação do fornecedor");
    if (r < 0.90) return "Entrega parcial prevista a " + textoDiaMesAno(dia + aleatorio_.Inteiro(20, 90));
    if (r < 0.94) return std::nullopt;
    if (r < 0.99) return std::string();
    return "Previsto " + textoDiaMesAno(dia + aleatorio_.Inteiro(30, 90)) +
           "; o fornecedor confirmou por telefone que a fábrica retoma a produção depois da paragem anual e que"
           " envia primeiro metade da quantidade encomendada, ficando o resto para a semana seguinte";
}

void GeradorErp::inserirDocumento(Instrucoes& ins, const Documento& doc, long numero, ResumoGeracao& resumo)
{
    Aleatorio& a = aleatorio_;
    const Classificacao c = classificacao(doc.tipo);
    const bool deCliente = doc.tipo != Tipo::EncomendaFornecedor;
    const long idade = hoje_ - doc.dia;
    std::string serie = "A";
    if (doc.tipo == Tipo::Venda && a.Probabilidade(0.2)) serie = "B";
    if (doc.tipo == Tipo::EncomendaCliente && a.Probabilidade(0.05)) serie = "0";
    const int nvias = a.Probabilidade(0.03) ? -1 : a.Probabilidade(0.2) ? 2 : 1;
    int convertido = 0;
    if (doc.tipo == Tipo::EncomendaCliente && doc.dia >= inicio_ && idade > 0)
        convertido = a.Probabilidade(0.01) ? -1 : a.Probabilidade(idade > 45 ? 0.8 : 0.2) ? 1 : 0;
    if (doc.tipo == Tipo::EncomendaFornecedor) convertido = a.Probabilidade(idade > 60 ? 0.85 : 0.3) ? 1 : 0;

    std::string terceiro, vendedor;
    if (deCliente) {
        const Cliente& cliente = clientes_[a.IndicePopular(clientes_.size())];
        vendedor = vendedores_[static_cast<std::size_t>(cliente.vendedor)];
        // Now and then a client that has since been removed from Clientes.
        terceiro = a.Probabilidade(0.01) ? codigoCliente(opcoes_.dimensoes.clientes + a.Inteiro(1, 9)) : cliente.codigo;
    } else {
        terceiro = numerado("F", a.Inteiro(1, fornecedores), 4);
    }
    const std::string data = textoDataHora(doc.dia);
    const int ano = anoDe(doc.dia);
    ins.cabecalho.Ligar(1, std::string(c.tpdoc));
    ins.cabecalho.Ligar(2, serie);
    ins.cabecalho.Ligar(3, numero);
    ins.cabecalho.Ligar(4, ano);
    ins.cabecalho.Ligar(5, data);
    ins.cabecalho.Ligar(6, c.areag);
    ins.cabecalho.Ligar(7, c.tpterc);
    ins.cabecalho.Ligar(8, c.natconta);
    ins.cabecalho.Ligar(9, c.sinalct);
    ins.cabecalho.Ligar(10, terceiro);
    ins.cabecalho.Ligar(11, vendedor);
    ins.cabecalho.Ligar(12, nvias);
    ins.cabecalho.Ligar(13, convertido);
    ins.cabecalho.Executar();

    static const std::vector<double> pesosDesconto = {0.6, 0.2, 0.15, 0.05};
    for (long n = 1; n <= doc.linhas; ++n) {
        const Artigo& artigo = artigoLinha(doc.tipo, n, doc.linhas);
        std::string vendedorLinha = vendedor;
        if (deCliente) {
            // A document shared between two salespeople, or lines of the outside agent.
            if (a.Probabilidade(0.05)) vendedorLinha = a.Escolher(vendedores_);
            if (a.Probabilidade(0.02)) vendedorLinha = VendedorSemFicha;
        }
        long quantidade = artigo.descritor || doc.tipo == Tipo::Devolucao ? a.Inteiro(1, 3)
                          : a.Probabilidade(0.15)                         ? a.Inteiro(25, 200)
                                                                          : a.Inteiro(1, 24);
        long preco = artigo.preco;
        const long desconto = artigo.descritor ? 0 : 5 * static_cast<long>(a.Ponderado(pesosDesconto));
        if (!artigo.descritor && a.Probabilidade(0.02)) preco = 0;  // an offer
        long pendente = quantidade, custo = 0;
        long diaLinha = doc.dia;
        switch (doc.tipo) {
        case Tipo::EncomendaCliente:
            diaLinha = doc.dia + a.Inteiro(0, 21);
            if (convertido == 1)
                pendente = 0;
            else if (quantidade > 1 && a.Probabilidade(0.15))
                pendente = a.Inteiro(1, quantidade - 1);
            break;
        case Tipo::EncomendaFornecedor:
            diaLinha = doc.dia + a.Inteiro(5, 45);
            quantidade = a.Inteiro(5, 200);
            preco = artigo.custo;
            pendente = convertido == 1 ? 0 : quantidade;
            break;
        default:
            if (a.Probabilidade(0.01)) pendente = quantidade = 0;  // a stock correction line
            custo = quantidade * artigo.custo;
            break;
        }
        ins.linha.Ligar(1, std::string(c.tpdoc));
        ins.linha.Ligar(2, serie);
        ins.linha.Ligar(3, numero);
        ins.linha.Ligar(4, ano);
        ins.linha.Ligar(5, n);
        ins.linha.Ligar(6, artigo.codigo);
        ins.linha.Ligar(7, vendedorLinha);
        ins.linha.Ligar(8, textoDataHora(diaLinha));
        ins.linha.Ligar(9, quantidade);
        ins.linha.Ligar(10, pendente);
        ins.linha.Ligar(11, euros(preco));
        ins.linha.Ligar(12, desconto);
        ins.linha.Ligar(13, euros(valorLinha(pendente, preco, desconto)));
        ins.linha.Ligar(14, euros(valorLinha(quantidade, preco, desconto)));
        ins.linha.Ligar(15, euros(custo));
        ins.linha.Ligar(16, a.Probabilidade(0.02) ? 1 : 0);
        ins.linha.Executar();
        if (doc.tipo == Tipo::EncomendaFornecedor && a.Probabilidade(0.92)) {
            ins.nota.Ligar(1, std::string(c.tpdoc));
            ins.nota.Ligar(2, serie);
            ins.nota.Ligar(3, numero);
            ins.nota.Ligar(4, ano);
            ins.nota.Ligar(5, n);
            ins.nota.Ligar(6, notaFornecedor(doc.dia));
            ins.nota.Executar();
        }
    }
    ++resumo.documentos;
    resumo.linhas += doc.linhas;
    if (doc.tipo == Tipo::EncomendaCliente) ++resumo.encomendasCliente;
    if (doc.tipo == Tipo::Venda || doc.tipo == Tipo::Devolucao) ++resumo.vendas;
    if (doc.tipo == Tipo::EncomendaFornecedor) ++resumo.encomendasFornecedor;
}

}  // namespace quorvelanti::gerador
