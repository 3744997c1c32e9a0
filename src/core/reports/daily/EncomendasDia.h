#pragma once
// The client orders of the run date: per salesperson for the day and the month (an in-memory
// table, sorted by "Nome Vendedor"), and one row per order line of the day.
//
//   std::string data = TextoDataHora(ctx.relogio.Agora());
//   ExtrairEncomendasDiaResumo(ctx, ctx.RsEncDiaResumo, data);   // data -> "yyyy-mm-dd"
//
// Both return 0; failures raise Erro (data is rewritten first, in every case it reads as a date).
#include <string>

namespace quorvelanti {

struct ContextoExecucao;
class ConjuntoResultados;

int ExtrairEncomendasDiaResumo(ContextoExecucao& ctx, ConjuntoResultados& rs, std::string& data);
int ExtrairEncomendasDiaDetalhe(ContextoExecucao& ctx, ConjuntoResultados& rs, std::string& data);

// The statements, as sent to the database; data is "yyyy-mm-dd".
std::string SqlEncDiaDetalhe(const ContextoExecucao& ctx, const std::string& data);
std::string SqlEncDiaResumoDia(const ContextoExecucao& ctx, const std::string& data);
std::string SqlEncDiaResumoMes(const ContextoExecucao& ctx, int ano, int mes);

}  // namespace quorvelanti
