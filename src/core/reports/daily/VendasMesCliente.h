#pragma once
// The signed sales of the run date's month per salesperson and client (goods and descriptors
// alike), as opened from the database; ordered by salesperson code, then client code.
//
//   mapas.RsVendasMesCliente = ExtrairVendasMesCliente(ctx, TextoDataHora(ctx.relogio.Agora()));
//
// The date is any form DataHora::Ler knows; failures raise Erro.
#include <string>

#include "data/ConjuntoResultados.h"

namespace quorvelanti {

struct ContextoExecucao;

ConjuntoResultados ExtrairVendasMesCliente(ContextoExecucao& ctx, std::string data);

// The statement, as sent to the database.
std::string SqlVendasMesCliente(const ContextoExecucao& ctx, int ano, int mes);

}  // namespace quorvelanti
