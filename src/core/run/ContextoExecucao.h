#pragma once
// What the whole run shares, and nothing of one report: the parameter file and the run's settings
// (log folder, mail subject and sender, the messages' summary, continue-after-failure, the dead
// man's switch and the metrics folder), what the run did for its metrics and last lines for a
// failed ping, the company in hand (EmpresaCorrida, owned by the company loop: made when its turn
// starts, gone when it ends) and the run log. The reports keep their result sets themselves and
// hand over finished workbooks (LivroPronto).
//
// It carries the run's services: the clock, the progress sink,
// the event pump, the SQL trace file (QUORVELANTI_TRACE_SQL), the parsed parameter file and the
// run's mail session (its transport, token and pace), which ends at the end of each run; and
// what the delivery ledger, a resumed run and the failure notice need: the run's date, the
// ledger, the workbook in hand, the step being done and the failures the run went on from.
#include <deque>
#include <memory>
#include <string>

#include "components/files/LeitorIni.h"
#include "components/files/PacoteXlsx.h"
#include "components/mail/SessaoSmtp.h"
#include "run/Conjunto.h"
#include "run/EmpresaCorrida.h"
#include "run/FalhasCorrida.h"
#include "run/Interfaces.h"
#include "run/MetricasCorrida.h"
#include "settings/DefinicoesResumo.h"
#include "settings/IdentidadeLivro.h"
#include "settings/RegistoEntregas.h"
#include "settings/cl_log.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

class Erro;
class Relogio;

struct ContextoExecucao {
    ContextoExecucao(const Relogio& relogio, SaidaProgresso& progresso, BombaEventos& eventos);

    std::string FicheiroIni;
    // How start-up chose FicheiroIni's folder and where the sample files are, said when it is missing.
    std::string OrigemFicheiroIni;
    std::unique_ptr<cl_log> Log;
    EmpresaCorrida* Empresa = nullptr;  // the company in hand; none between companies
    std::string Assunto;
    std::string Origem;
    std::string PastaLog;  // always ends in the path separator
    std::string EmpresaActual;
    bool Automatico = false;
    std::string LinhaComando;
    Conjunto ConjuntoCorrida = Conjunto::Diario;

    // The company in hand; raises Erro(erros::LigacaoFechada) between companies.
    EmpresaCorrida& EmpresaEmCurso() const;
    // True when the run sends the weekly set.
    bool ModoSemanal() const { return ConjuntoCorrida == Conjunto::Semanal; }
    // Adds a line to the progress list and writes the same text to the log.
    void Progresso(const std::string& texto);
    // Keeps the line among the run's last ones (UltimasLinhas), as Progresso and RegistarFalha do.
    void GuardarLinha(const std::string& linha);
    // A warning that never ends the run: on the warning channel and, as far as it can be written,
    // in the log. Nothing for an empty text.
    void AvisarSePossivel(const std::string& aviso);
    // Makes the workbook the one in hand (for the ledger and the failure notice). False when a
    // resumed run finds it delivered already: it is counted in the company's LivrosSaltados and the caller
    // neither writes nor sends it.
    //   if (!ctx.IniciarLivro(IdentidadeLivro::Vendedor(codigo))) continue;
    bool IniciarLivro(IdentidadeLivro livro);
    // Makes the workbook the one in hand again, without asking the ledger: one IniciarLivro let
    // through earlier, when its turn to be written and mailed comes.
    void RetomarLivro(IdentidadeLivro livro);
    // Records the workbook in hand as delivered to these recipients; nothing without a ledger.
    void RegistarEntrega(const std::string& para, const std::string& cc, const std::string& idMensagem,
                         const SituacaoEntrega& situacao = {});
    // A failure the run goes on from: its "Erro N: ..." line goes to the log and the warning
    // channel at once, and it joins Falhas with the current company and step, so the run ends
    // in failure (exit status 'estado') and the notice names it.
    void RegistarFalha(const Erro& erro, int estado = 1);

    const Relogio& relogio;
    SaidaProgresso& progresso;
    BombaEventos& eventos;
    SessaoSmtp SessaoCorreio;
    PacoteXlsx ProvasLivros;         // the parts of the run's workbooks proven whole (see PacoteXlsx)
    std::string FicheiroRegistoSql;  // empty: no trace

    bool Retomar = false;                       // QUORVELANTI_RETOMAR=1
    sistema::ComandoEscrito ComandoRetoma;      // the command that resumes this set, without its date
    std::string DataCorrida;                    // yyyy-mm-dd, fixed when the run starts
    std::unique_ptr<RegistoEntregas> Entregas;  // the run's delivery ledger
    IdentidadeLivro LivroActual;                // the workbook being written and mailed
    std::string PassoActual;                    // what the run is doing, for the failure notice
    bool ContinuarAposFalha = false;            // [Log] ContinuarAposFalha=1: a failed company ends only itself
    std::string UrlVigia, CertificadoVigia;     // [Log] UrlVigia and CertificadoCA: the run's pings
    std::string PastaMetricas;                  // [Log] PastaMetricas, ending in "/"; "": no metrics file
    DefinicoesResumo Resumo;                    // [email] Resumo and ResumoLinhas: the messages' summary
    MetricasCorrida Metricas;                   // what the run did, per company, for that file
    std::deque<std::string> UltimasLinhas;      // the run's last progress and failure lines, for a failed ping
    FalhasCorrida Falhas;                       // this run's failures, read at its end

    // The parameter file as last parsed: every company and every mail reads it, and a large
    // file parsed anew each time would cost more than the run.
    LeitorIni::Cache cacheIni;
};

}  // namespace quorvelanti
