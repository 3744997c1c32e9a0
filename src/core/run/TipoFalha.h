#pragma once
// The kinds of failure the run tells apart, and what each ends. Every error number falls in
// exactly one kind (TipoDe), the one place that reads numbers; the company loop, the workbook
// writer, the weekly batches, the exit status and the notice decide over the kind.
//
//   if (TerminaACorrida(TipoDe(erro))) throw;      // no other company could get past it
//   FalhasCorrida::Estado(erro);                   // 2 for a workbook, 128 + n for signal n...
#include "data/Erro.h"

namespace quorvelanti {

enum class TipoFalha {
    Interrupcao,      // a signal stopped the run
    Registo,          // the run log or the delivery ledger cannot be written
    ExecucaoEmCurso,  // another run of the same parameter file holds its lock
    Livro,            // a workbook could not be written; the log holds why, in full
    Dados,            // a value no workbook may show (a total beyond the currency's range)
    EntregaIncerta,   // a message went whole and no reply came: it may have been delivered
    Empresa,          // anything else: a failure of the company it happened in
};

TipoFalha TipoDe(long numero);
inline TipoFalha TipoDe(const Erro& erro) { return TipoDe(erro.Numero()); }

// A signal, or a log or ledger that cannot be written: no other company could get past it,
// even with ContinuarAposFalha.
bool TerminaACorrida(TipoFalha tipo);

}  // namespace quorvelanti
