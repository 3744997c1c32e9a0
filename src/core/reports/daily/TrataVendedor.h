#pragma once
// Per-salesperson copies of the company-wide result sets.
//
//   TrataVendedorPendente(mapas, copia, "V01");          // V01's rows of mapas.RsEncDiaDetalhe
//   CopiasVendedor copias = CopiarVendedor(mapas, "V01");  // all five
#include <string>

#include "reports/ConjuntosLivros.h"

namespace quorvelanti {

void TrataVendedorPendente(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorVenda(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorEncPendentes(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorAcumulado(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor);
void TrataVendedorCliente(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor);
CopiasVendedor CopiarVendedor(const MapasDia& mapas, const std::string& sVendedor);

}  // namespace quorvelanti
