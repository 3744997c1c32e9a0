#pragma once
// The run's metrics file ([Log] PastaMetricas): quorvelanti_<set>.prom in Prometheus' text
// format, which node_exporter's textfile collector reads, written at the end of every run
// (success, failure or signal) under a temporary name and renamed into place. Per set and
// company: the run's and each company's start and end times, duration and exit status, the
// messages delivered, with recipients refused or uncertain, the workbooks left in the log folder,
// and quorvelanti_company_last_success_timestamp_seconds, the one to alert on: set when the
// company went through, carried over from the previous file when it did not.
//
//   EscreverMetricas(ctx, 0);                 // at the end of a run, its exit status
//   TextoMetricas({.conjunto = "diario", ...}, SucessosAnteriores(textoAnterior));
#include <chrono>
#include <map>
#include <string>

#include "run/MetricasCorrida.h"

namespace quorvelanti {

struct ContextoExecucao;

struct FimCorrida {
    std::string conjunto;  // "diario" or "semanal"
    const MetricasCorrida& metricas;
    MetricasCorrida::Instante fim;
    int estado = 0;          // the run's exit status
    long livrosNaPasta = 0;  // workbooks (.xlsx) in the log folder at the end
};

// Each company's last success (seconds since 1970) as an earlier file of ours states it.
std::map<std::string, double> SucessosAnteriores(const std::string& texto);
std::string TextoMetricas(const FimCorrida& fim, const std::map<std::string, double>& sucessosAnteriores);

// Writes the file when the run's settings name a folder (ctx.PastaMetricas); a file that cannot
// be written is one line in the log and on the warning channel, never the run's failure.
void EscreverMetricas(ContextoExecucao& ctx, int estado);

}  // namespace quorvelanti
