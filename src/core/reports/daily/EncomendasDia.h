#pragma once
// The client orders of the run date: per salesperson for the day and the month (an in-memory
// table, sorted by "Nome Vendedor"), and one row per order line of the day.
//
//   mapas.RsEncDiaResumo = ExtrairEncomendasDiaResumo(ctx, TextoDataHora(ctx.relogio.Agora()));
//
// The date is any form DataHora::Ler knows; failures raise Erro.
#include <string>

#include "data/ConjuntoResultados.h"

namespace quorvelanti {

struct ContextoExecucao;

ConjuntoResultados ExtrairEncomendasDiaResumo(ContextoExecucao& ctx, std::string data);
ConjuntoResultados ExtrairEncomendasDiaDetalhe(ContextoExecucao& ctx, std::string data);

// The statements, as sent to the database; data is "yyyy-mm-dd".
std::string SqlEncDiaDetalhe(const ContextoExecucao& ctx, const std::string& data);
std::string SqlEncDiaResumoDia(const ContextoExecucao& ctx, const std::string& data);
std::string SqlEncDiaResumoMes(const ContextoExecucao& ctx, int ano, int mes);

}  // namespace quorvelanti
