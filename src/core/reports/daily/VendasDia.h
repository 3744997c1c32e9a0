#pragma once
// The sales of the run date with cost, value and margin: per salesperson for the day and the
// month (an in-memory table of sixteen fields, sorted by "Nome Vendedor"), and one row per sales
// line of the day. Documents with SINALCT 2 (returns) count negative.
//
//   mapas.RsVendasDiaResumo = ExtrairVendasDiaResumo(ctx, TextoDataHora(ctx.relogio.Agora()));
//
// The date is any form DataHora::Ler knows; failures raise Erro.
#include <string>

#include "data/ConjuntoResultados.h"

namespace quorvelanti {

struct ContextoExecucao;

ConjuntoResultados ExtrairVendasDiaResumo(ContextoExecucao& ctx, std::string data);
ConjuntoResultados ExtrairVendasDiaDetalhe(ContextoExecucao& ctx, std::string data);

// The statements, as sent to the database; data is "yyyy-mm-dd".
std::string SqlVendasDiaDetalhe(const ContextoExecucao& ctx, const std::string& data);
std::string SqlVendasDiaResumoDia(const ContextoExecucao& ctx, const std::string& data);
std::string SqlVendasDiaResumoMes(const ContextoExecucao& ctx, int ano, int mes);

}  // namespace quorvelanti
