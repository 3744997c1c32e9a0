#pragma once
// A company database with client and supplier orders, for the order-report tests, and a run
// context connected to it, and a reader of workbook cells. Shared by the client-supplier and the weekly tests (header only).
//
//   EmpresaEncomendas emp(pasta / "emp.db");
//   emp.Cliente("C1", "Cliente Um", "c1@cli.pt");
//   emp.Artigo("A1", "Artigo Um");
//   emp.Stock("A1", "001", 10);
//   emp.EncomendaCliente(1, "2026-12-01", "C1", "V1", {{"A1", 4}});
//   emp.EncomendaFornecedor(7, "2026-11-20", {{"A1", 5}}, "Semana 51");
//   ContextoTeste t(emp, DataHora(2026, 12, 7, 23, 4, 59));
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Apoio.h"
#include "EmpresaTeste.h"
#include "FrenteTeste.h"
#include "components/database/LigacaoBD.h"
#include "reports/ConsultasArtigo.h"
#include "run/ContextoExecucao.h"

namespace teste {

using quorvelanti::TextoSql;

inline std::string Q(const std::string& texto) { return "'" + TextoSql(texto) + "'"; }

struct LinhaDoc {
    LinhaDoc(std::string artigo, double quant, double valor = 10, std::string vendedor = {})
        : artigo(std::move(artigo)), quant(quant), valor(valor), vendedor(std::move(vendedor))
    {
    }
    std::string artigo;
    double quant;
    double valor;
    std::string vendedor;  // the line's salesperson (the weekly client list groups by it)
    double prunit = 10;
    double txdesc = 0;
};

class EmpresaEncomendas {
public:
    explicit EmpresaEncomendas(const std::string& caminho) : bd_(caminho) {}

    void Executar(const std::string& sql) { bd_.Executar(sql); }
    const std::string& Caminho() const { return bd_.Caminho(); }
    void Fechar() { bd_.Fechar(); }

    void Cliente(const std::string& codigo, const std::string& nome, const std::optional<std::string>& email)
    {
        Executar("INSERT INTO Clientes VALUES (" + Q(codigo) + "," + Q(nome) + "," + (email ? Q(*email) : "NULL") + ")");
    }
    void Vendedor(const std::string& codigo, const std::string& nome)
    {
        Executar("INSERT INTO VENDEDOR VALUES (" + Q(codigo) + "," + Q(nome) + ")");
    }
    void Artigo(const std::string& codigo, const std::string& nome, const std::string& grupo = "G1",
                int inactivo = 0, int artoudes = 0)
    {
        Executar("INSERT INTO ARTIGOS VALUES (" + Q(codigo) + "," + Q(nome) + "," + Q(grupo) + "," +
                 std::to_string(inactivo) + "," + std::to_string(artoudes) + ")");
    }
    void Stock(const std::string& artigo, const std::string& armazem, double existencia, double reservado = 0)
    {
        Executar("INSERT INTO ARTARM VALUES (" + Q(artigo) + "," + Q(armazem) + "," + std::to_string(existencia) +
                 "," + std::to_string(reservado) + ")");
    }

    // A client order (AREAG 2, TPTERC 2) "ECL", series "A" unless given, lines numbered from 1.
    void EncomendaCliente(int numero, const std::string& data, const std::string& cliente, const std::string& vendedor,
                          const std::vector<LinhaDoc>& linhas, const std::string& serie = "A",
                          const std::string& tipo = "ECL")
    {
        documento(tipo, serie, numero, data, 2, cliente, vendedor, linhas, std::nullopt);
    }
    // A supplier order (AREAG 2, TPTERC 1) "EFO"; with a note, each line gets its extension row.
    void EncomendaFornecedor(int numero, const std::string& data, const std::vector<LinhaDoc>& linhas,
                             const std::optional<std::string>& nota)
    {
        documento("EFO", "A", numero, data, 1, "F1", "", linhas, nota);
    }

private:
    void documento(const std::string& tipo, const std::string& serie, int numero, const std::string& data, int tpterc,
                   const std::string& terceiro, const std::string& vendedor, const std::vector<LinhaDoc>& linhas,
                   const std::optional<std::string>& nota)
    {
        const std::string ano = data.substr(0, 4);
        const std::string chave = Q(tipo) + "," + Q(serie) + "," + std::to_string(numero) + "," + ano;
        Executar("INSERT INTO DOCGCCAB VALUES (" + chave + "," + Q(data + " 10:00:00") + ",2," +
                 std::to_string(tpterc) + ",0,1," + Q(terceiro) + "," + Q(vendedor) + ",1,0)");
        int numLinha = 0;
        for (const auto& l : linhas) {
            const std::string n = std::to_string(++numLinha);
            Executar("INSERT INTO DOCGCLIN VALUES (" + chave + "," + n + "," + Q(l.artigo) + "," + Q(l.vendedor) + "," +
                     Q(data + " 10:00:00") + "," + std::to_string(l.quant) + "," + std::to_string(l.quant) + "," +
                     std::to_string(l.prunit) + "," + std::to_string(l.txdesc) + "," + std::to_string(l.valor) + "," +
                     std::to_string(l.valor) + ",0,0)");
            if (nota)
                Executar("INSERT INTO U_DOCGCLIN VALUES (" + Q(tipo) + "," + Q(serie) + "," + std::to_string(numero) +
                         "," + ano + "," + n + "," + Q(*nota) + ")");
        }
    }

    apoio::EmpresaTeste bd_;
};

// The first sheet's title, then "A1=value" a line for each cell asked, as openpyxl reads the
// workbook (an empty cell gives "A1=").
inline std::string CelulasLivro(const std::string& livro, const std::string& enderecos)
{
    const std::string script =
        "import sys, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
        "print(ws.title)\n"
        "for c in sys.argv[2].split(','): print(c + '=' + str(ws[c].value if ws[c].value is not None else ''))\n";
    const auto r = apoio::Executar({apoio::Python(), "-c", script, livro, enderecos});
    return r.estado == 0 ? r.saida : "openpyxl falhou: " + r.erros;
}

// A run context on the company, with a fixed clock, a SQL trace and the log folder.
class ContextoTeste {
public:
    ContextoTeste(const EmpresaEncomendas& emp, quorvelanti::DataHora agora, const std::string& pastaLog = "/tmp/")
        : frente(agora), ctx(frente.relogio, frente, frente)
    {
        ctx.Empresa = &empresa;
        empresa.Ligacao = std::make_unique<quorvelanti::LigacaoBD>();
        empresa.Ligacao->DefinirRegistoSql(registo / "sql.txt");
        empresa.Ligacao->AbrirLigacao("Motor=SQLite;Database={" + emp.Caminho() + "}");
        ctx.PastaLog = pastaLog;
    }

    // The statements run so far, one a line.
    std::vector<std::string> Instrucoes() const
    {
        std::vector<std::string> linhas;
        if (!apoio::Existe(registo / "sql.txt")) return linhas;
        const std::string texto = apoio::LerBytes(registo / "sql.txt");
        std::size_t inicio = 0;
        for (std::size_t fim; (fim = texto.find('\n', inicio)) != std::string::npos; inicio = fim + 1)
            linhas.push_back(texto.substr(inicio, fim - inicio));
        return linhas;
    }
    // How many statements so far contain the text.
    long Contar(const std::string& fragmento) const
    {
        long n = 0;
        for (const auto& l : Instrucoes()) n += l.find(fragmento) != std::string::npos;
        return n;
    }

    apoio::PastaTemporaria registo;
    apoio::FrenteTeste frente;
    quorvelanti::EmpresaCorrida empresa{quorvelanti::DefinicoesEmpresa{}};  // the company in hand
    quorvelanti::ContextoExecucao ctx;
};

}  // namespace teste
