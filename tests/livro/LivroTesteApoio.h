#pragma once
// Support for the workbook tests: a run context without a window, result sets filled with
// varied values, and a record of each workbook written (kind, client rows, and per sheet its
// name, title, rows and totals) as JSON for the independent reader in verifica_livro.py.
//
//   LivroTeste t;
//   t.mapas.RsVendasDiaResumo = ConjuntoVariado(camposVendas, 10);
//   t.Exportar({"Enc.Pend.Resumo", ...}, {"Título", ...}, 1);
//   t.Verificar("tipo1");      // runs the reader on the workbook and its description
#include <string>
#include <vector>

#include "Apoio.h"
#include "FrenteTeste.h"
#include "data/ConjuntoResultados.h"
#include "output/DescricaoLivro.h"
#include "reports/ConjuntosLivros.h"
#include "run/ContextoExecucao.h"

namespace livro_teste {

// Values chosen by type and position: texts with accents, currency with four decimals,
// negative numbers, dates over several months, and a null now and then (never in column A).
quorvelanti::ConjuntoResultados ConjuntoVariado(std::vector<quorvelanti::Campo> campos, std::size_t linhas,
                                                int semente = 0);

// Fields named after the columns they fill ("C_Moeda", ...), of the given types in order.
std::vector<quorvelanti::Campo> Campos(const std::vector<quorvelanti::TipoCampo>& tipos);

class LivroTeste {
public:
    LivroTeste();

    // The kind's workbook (its sheets' rows and totals as the reports describe them) under the
    // given sheet names and titles, into pasta/livro.xlsx; a kind without its table of sheets gets
    // one empty sheet per name.
    quorvelanti::DescricaoLivro Descrever(const std::vector<std::string>& folhas,
                                          const std::vector<std::string>& titulos, int tipo) const;
    // Runs ExportaExcel on that workbook and records it for Verificar.
    void Exportar(const std::vector<std::string>& folhas, const std::vector<std::string>& titulos, int tipo);
    // Runs verifica_livro.py on the workbook; the test fails with its output when it fails.
    void Verificar(const std::string& caso = "geral") const;
    // Runs verifica_libreoffice.py: LibreOffice must show the totals that the rows add up to.
    void VerificarNoLibreOffice() const;
    // The JSON description of the last call.
    std::string Descricao() const;

    apoio::PastaTemporaria pasta;
    std::string ficheiro;
    apoio::FrenteTeste frente;
    quorvelanti::ContextoExecucao ctx;
    quorvelanti::MapasDia mapas;
    quorvelanti::CopiasVendedor copias;
    quorvelanti::EncomendasCliente cliente;

private:
    quorvelanti::DescricaoLivro livro_;
};

}  // namespace livro_teste
