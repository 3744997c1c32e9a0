#pragma once
// The result sets a company's workbooks are made of, under the names the reports give them. A
// company's daily set fills one MapasDia; each salesperson's workbook takes its rows from it
// into a CopiasVendedor; each client of the weekly set has its EncomendasCliente.
//
//   MapasDia mapas;
//   mapas.RsEncDiaResumo = ExtrairEncomendasDiaResumo(ctx, data);
//   CopiasVendedor copias = CopiarVendedor(mapas, "V01");
#include <string>

#include "data/ConjuntoResultados.h"

namespace quorvelanti {

struct MapasDia {
    ConjuntoResultados RsEncPendentesResumo;
    ConjuntoResultados RsEncPendentesDetalhe;
    ConjuntoResultados RsEncPendentesLinhas;  // one row per pending line: the salespeople's copies read it
    ConjuntoResultados RsEncDiaResumo;
    ConjuntoResultados RsEncDiaDetalhe;
    ConjuntoResultados RsVendasDiaResumo;
    ConjuntoResultados RsVendasDiaDetalhe;
    ConjuntoResultados RsVendasMesCliente;
    ConjuntoResultados RsEncFornecedorBDC;  // empty for the special company
};

struct CopiasVendedor {
    ConjuntoResultados RsVendedorPendente;
    ConjuntoResultados RsVendedorVenda;
    ConjuntoResultados RsVendedorEncPendentes;
    ConjuntoResultados RsVendedorAcumulado;
    ConjuntoResultados RsVendedorCliente;

    // True when any sheet of the salesperson's workbook has rows: one without any gets no workbook.
    bool TemLinhas() const;
};

// One client of the weekly set: what its workbook shows above and in its table.
struct EncomendasCliente {
    std::string terceiro;
    std::string nome;
    std::string nomesVendedores;  // the names that are not empty, joined by ", "
    ConjuntoResultados RsEncSemanal;
};

}  // namespace quorvelanti
