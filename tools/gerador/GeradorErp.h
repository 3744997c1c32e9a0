#pragma once
// Writes a sample ERP company database: the tables of tools/erp/esquema.sql filled with a
// plausible trading company whose documents lie around a run date, all drawn from one seed.
//
//   OpcoesGerador o = OpcoesGerador::Ler({"--saida", "alfa.db", "--data", "2026-12-07"});
//   ResumoGeracao r = GeradorErp(o).Gerar();   // alfa.db replaced as a whole, or left untouched;
//                                              // its folder made when missing
//
// What it holds: salespeople (and lines of one agent "EXT" who is not in VENDEDOR), clients with
// and without mail addresses (and a few documents of clients missing from Clientes), articles in
// groups with the descriptor groups "SRV" (services) and "PORTES" (carriage), a few inactive;
// client orders (pending ones since 2019, some of series '0', some cancelled with NVIAS -1,
// partly delivered, dated up to a month after the run date), sales, returns (SINALCT 2) and
// transport guides (NATCONTA 0) over the thirteen months before the run date with a share on
// that day, supplier orders with U_DOCGCLIN notes such as "Previsto 15-01-2027", and stock in
// the warehouses '001', '002', '016' and '005'.
#include <optional>
#include <string>
#include <vector>

#include "Aleatorio.h"
#include "CatalogoNomes.h"
#include "OpcoesGerador.h"

namespace quorvelanti::gerador {

class BaseDadosSqlite;
class InstrucaoSqlite;

struct ResumoGeracao {
    long documentos = 0;
    long linhas = 0;
    long encomendasCliente = 0;
    long vendas = 0;  // invoices and returns
    long encomendasFornecedor = 0;
};

class GeradorErp {
public:
    explicit GeradorErp(OpcoesGerador opcoes);
    ResumoGeracao Gerar();

    // The salesperson code of the n-th salesperson (1-based): "V01", "V02", ... ("V001" from 100).
    static std::string CodigoVendedor(long n, long total);
    // Code of the agent whose lines carry a salesperson missing from VENDEDOR.
    static constexpr const char* VendedorSemFicha = "EXT";

    enum class Tipo { EncomendaCliente, Venda, Devolucao, Guia, EncomendaFornecedor };

private:
    struct Cliente {
        std::string codigo;
        long vendedor;
    };
    struct Artigo {
        std::string codigo;
        long preco;  // cents
        long custo;
        bool descritor;
    };
    struct Documento {
        Tipo tipo;
        long dia;  // days since 1970-01-01
        long linhas;
    };
    struct Instrucoes;

    std::string codigoCliente(long n) const;
    void preencher(const std::string& caminho, ResumoGeracao& resumo);
    void inserirEmpresa(BaseDadosSqlite& bd);
    void inserirVendedores(BaseDadosSqlite& bd);
    void inserirClientes(BaseDadosSqlite& bd);
    void inserirArtigos(BaseDadosSqlite& bd);
    void inserirStock(BaseDadosSqlite& bd);
    std::vector<Documento> planearDocumentos();
    long diaDocumento(Tipo tipo);
    void inserirDocumento(Instrucoes& ins, const Documento& doc, long numero, ResumoGeracao& resumo);
    const Artigo& artigoLinha(Tipo tipo, long linha, long linhas);
    std::optional<std::string> notaFornecedor(long dia);

    OpcoesGerador opcoes_;
    Aleatorio aleatorio_;
    CatalogoNomes catalogo_;
    std::vector<std::string> vendedores_;
    std::vector<Cliente> clientes_;
    std::vector<Artigo> mercadorias_, servicos_, portes_;
    long hoje_ = 0, inicio_ = 0, inicioMes_ = 0, fimMes_ = 0;
};

}  // namespace quorvelanti::gerador
