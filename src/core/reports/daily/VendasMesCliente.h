#pragma once
// The signed sales of the run date's month per salesperson and client (goods and descriptors
// alike), as opened from the database; ordered by salesperson code, then client code.
//
//   std::string data = TextoDataHora(ctx.relogio.Agora());
//   ExtrairVendasMesCliente(ctx, ctx.RsVendasMesCliente, data);   // data -> "yyyy-mm-dd"
//
// Returns 0; failures raise Erro.
#include <string>

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

int ExtrairVendasMesCliente(ContextoExecucao& ctx, ConjuntoResultados& rs, std::string& data);

// The statement, as sent to the database.
std::string SqlVendasMesCliente(const ContextoExecucao& ctx, int ano, int mes);

}  // namespace quorvelanti
