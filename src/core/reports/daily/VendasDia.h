#pragma once
// The sales of the run date with cost, value and margin: per salesperson for the day and the
// month (an in-memory table of sixteen fields, sorted by "Nome Vendedor"), and one row per sales
// line of the day. Documents with SINALCT 2 (returns) count negative.
//
//   std::string data = TextoDataHora(ctx.relogio.Agora());
//   ExtrairVendasDiaResumo(ctx, ctx.RsVendasDiaResumo, data);   // data -> "yyyy-mm-dd"
//
// Both return 0; failures raise Erro.
#include <string>

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

int ExtrairVendasDiaResumo(ContextoExecucao& ctx, ConjuntoResultados& rs, std::string& data);
int ExtrairVendasDiaDetalhe(ContextoExecucao& ctx, ConjuntoResultados& rs, std::string& data);

// The statements, as sent to the database; data is "yyyy-mm-dd".
std::string SqlVendasDiaDetalhe(const ContextoExecucao& ctx, const std::string& data);
std::string SqlVendasDiaResumoDia(const ContextoExecucao& ctx, const std::string& data);
std::string SqlVendasDiaResumoMes(const ContextoExecucao& ctx, int ano, int mes);

}  // namespace quorvelanti
