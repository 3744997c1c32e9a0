#pragma once
// The delivery ledger: one line for every message a run delivered (taken by the mail server or
// written into the pickup folder), on disk before the run goes on, so that a resumed run
// (QUORVELANTI_RETOMAR=1) sends only what is missing. One file in the log folder,
// ENTREGAS_MAPAS.txt, UTF-8, a first line naming the fields, then one line per message with its
// fields separated by tabs:
//   momento data conjunto parametros empresa livro cliente vendedor para cc message-id
//   2026-12-07 23:04:59  2026-12-07  diario  /etc/dorvam/Quorvelanti.qel  EMP01  vendedor  (empty)  V01
//       ana@emp.pt  (empty)  <20261207230459.4711.9f3a@emp.pt>
//
//   RegistoEntregas registo(RegistoEntregas::NomeFicheiro(ctx.PastaLog), {"2026-12-07", "diario", ctx.FicheiroIni});
//   registo.LerEntregues();                                         // a resumed run, before the first company
//   if (!registo.Entregue("EMP01", IdentidadeLivro::Vendedor("V01"))) ... write and send it, then:
//   registo.Registar("EMP01", IdentidadeLivro::Vendedor("V01"), "ana@emp.pt", "", "<id@emp.pt>", agora);
#include <set>
#include <string>

#include "IdentidadeLivro.h"

namespace quorvelanti {

class DataHora;

class RegistoEntregas {
public:
    // The run a line belongs to: its date (yyyy-mm-dd), its report set ("diario" or "semanal")
    // and its parameter file.
    struct Corrida {
        std::string data;
        std::string conjunto;
        std::string ficheiroIni;
    };

    RegistoEntregas(std::string caminho, Corrida corrida) : caminho_(std::move(caminho)), corrida_(std::move(corrida)) {}

    // <pastaLog>ENTREGAS_MAPAS.txt; pastaLog ends in its separator.
    static std::string NomeFicheiro(const std::string& pastaLog);

    // Reads the workbooks the file shows delivered for this run; a missing file shows none.
    // Raises Erro(FicheiroIlegivel) when the file is there but cannot be read.
    void LerEntregues();
    // True when LerEntregues found this company's workbook. A weekly client counts as delivered
    // also from the lines older versions wrote, one per client and salesperson.
    bool Entregue(const std::string& empresa, const IdentidadeLivro& livro) const;
    // Appends the line of one delivered message and syncs it to disk; raises
    // Erro(FicheiroNaoGravado) when it cannot.
    void Registar(const std::string& empresa, const IdentidadeLivro& livro, const std::string& para,
                  const std::string& cc, const std::string& idMensagem, const DataHora& momento) const;

    const std::string& Caminho() const { return caminho_; }

private:
    std::string caminho_;
    Corrida corrida_;
    std::set<std::string> entregues_;
};

}  // namespace quorvelanti
