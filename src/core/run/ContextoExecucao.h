#pragma once
// The run state shared by the company loop and every report: the parameter file, the current
// company's connections and settings, the run log, mail subject and sender, and one result set
// per report. Fields keep their documented names; nothing is reset between companies or runs
// except where a step says so.
//
// Besides the documented fields it carries the run's services: the clock, the progress sink,
// the event pump, the SQL trace file (QUORVELANTI_TRACE_SQL) and the run's SMTP connection,
// which ends (QUIT) at the end of each run and when the context goes.
#include <memory>
#include <string>

#include "components/LigacaoBD.h"
#include "components/SessaoSmtp.h"
#include "data/ConjuntoResultados.h"
#include "run/Interfaces.h"
#include "settings/cl_log.h"

namespace quorvelanti {

class Relogio;

struct ContextoExecucao {
    ContextoExecucao(const Relogio& relogio, SaidaProgresso& progresso, BombaEventos& eventos)
        : relogio(relogio), progresso(progresso), eventos(eventos), SessaoCorreio(relogio)
    {
    }

    std::string FicheiroIni;
    std::unique_ptr<LigacaoBD> Ligacao;
    std::unique_ptr<LigacaoBD> LigacaoExt;
    bool TemLigacaoExt = false;
    std::unique_ptr<cl_log> Log;
    bool EmpresaEspecial = false;
    std::string Assunto;
    std::string Origem;
    ConjuntoResultados RsEncPendentesResumo;
    ConjuntoResultados RsEncPendentesDetalhe;
    ConjuntoResultados RsEncDiaResumo;
    ConjuntoResultados RsEncDiaDetalhe;
    ConjuntoResultados RsVendasDiaResumo;
    ConjuntoResultados RsVendasDiaDetalhe;
    ConjuntoResultados RsVendedorPendente;
    ConjuntoResultados RsVendedorVenda;
    ConjuntoResultados RsVendedorEncPendentes;
    ConjuntoResultados RsEncPendentesLinhas;
    ConjuntoResultados RsVendedorAcumulado;
    ConjuntoResultados RsVendasMesCliente;
    ConjuntoResultados RsVendedorCliente;
    ConjuntoResultados RsEncFornecedorBDC;
    ConjuntoResultados RsEncSemanal;
    std::string DestinoAdm;
    std::string DestinoVnd;
    std::string DestinoEnc;
    std::string GrupoPortes;
    std::string PastaLog;  // always ends in the path separator
    std::string EmpresaActual;
    bool Automatico = false;
    std::string LinhaComando;
    std::string ClienteActual;
    std::string NomeClienteActual;
    std::string NomeVendedorActual;

    // True in the weekly modes ("3", "/3S").
    bool ModoSemanal() const { return LinhaComando == "3" || LinhaComando == "/3S"; }
    // Adds a line to the progress list and writes the same text to the log.
    void Progresso(const std::string& texto);

    const Relogio& relogio;
    SaidaProgresso& progresso;
    BombaEventos& eventos;
    SessaoSmtp SessaoCorreio;
    std::string FicheiroRegistoSql;  // empty: no trace
};

}  // namespace quorvelanti
