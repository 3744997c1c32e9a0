#pragma once
// The delivery ledger: one line for every message a run delivered (taken by the mail server or
// written into the pickup folder), on disk before the run goes on, so that a resumed run
// (QUORVELANTI_RETOMAR=1) sends only what is missing. One file in the log folder,
// ENTREGAS_MAPAS.txt, UTF-8, a first line naming the fields, then one line per message with its
// fields separated by tabs:
//   momento data conjunto parametros empresa livro cliente vendedor para cc message-id recusados entrega
//   2026-12-07 23:04:59  2026-12-07  diario  /etc/dorvam/Quorvelanti.qel  EMP01  vendedor  (empty)  V01
//       ana@emp.pt  (empty)  <20261207230459.4711.9f3a@emp.pt>  (empty)  entregue
// "recusados" lists the recipients the server refused (";" between them), who lack the message;
// "entrega" is "incerta" for a message whose end the server never answered, which may have been
// delivered: a resume does not send it again unless its line is removed. Lines written before
// these two fields existed end at message-id. When a company's whole set went out, a line whose
// livro is "completa" and whose other fields after it are empty: a resumed run skips that company
// without connecting to it.
// The parameter file is named by its canonical path (links, "." and ".." resolved), so every
// spelling of one file is one run; a line written with another spelling matches once resolved.
//
//   RegistoEntregas registo(RegistoEntregas::NomeFicheiro(ctx.PastaLog), {"2026-12-07", "diario", ctx.FicheiroIni});
//   registo.LerEntregues();                                         // a resumed run, before the first company
//   if (registo.EmpresaCompleta("EMP01")) ... skip the company
//   if (!registo.Entregue("EMP01", IdentidadeLivro::Vendedor("V01"))) ... write and send it, then:
//   registo.Registar("EMP01", IdentidadeLivro::Vendedor("V01"), "ana@emp.pt", "", "<id@emp.pt>", agora);
//   registo.Registar(..., agora, {.recusados = {"rui@emp.pt"}});  // delivered to all but rui
//   registo.RegistarEmpresaCompleta("EMP01", agora);
#include <map>
#include <set>
#include <string>
#include <vector>

#include "IdentidadeLivro.h"
#include "data/Descritor.h"

namespace quorvelanti {

class DataHora;

// How a message went, beyond being taken: whom the server refused, and whether its delivery is
// uncertain.
struct SituacaoEntrega {
    std::vector<std::string> recusados{};
    bool incerta = false;
};

class RegistoEntregas {
public:
    // The run a line belongs to: its date (yyyy-mm-dd), its report set ("diario" or "semanal")
    // and its parameter file.
    struct Corrida {
        std::string data;
        std::string conjunto;
        std::string ficheiroIni;
    };

    // Opens the file for appending, created with its first line when missing, so a ledger that
    // cannot take a line is found before anything is sent. Raises Erro(RegistoEntregasFalhou),
    // naming the path, for anything but a regular file it may write: a directory, a FIFO, a
    // device, a symbolic link (never followed, for reading or writing), a file it may not write.
    RegistoEntregas(std::string caminho, Corrida corrida);

    // What a run would find at the path, told without opening it: true for a regular file, false
    // for none yet (a run creates it); for anything else the Erro the constructor raises.
    static bool VerificarCaminho(const std::string& caminho);
    // <pastaLog>ENTREGAS_MAPAS.txt; pastaLog ends in its separator.
    static std::string NomeFicheiro(const std::string& pastaLog);

    // Reads the workbooks the file shows delivered for this run, and the companies complete.
    // Raises Erro(FicheiroIlegivel) when the file cannot be read.
    void LerEntregues();
    // True when LerEntregues found this company's workbook (delivered, or perhaps delivered). A
    // weekly client counts as delivered also from the lines older versions wrote, one per client
    // and salesperson.
    bool Entregue(const std::string& empresa, const IdentidadeLivro& livro) const;
    // How many of this company's workbooks LerEntregues found, and how many of those uncertain.
    int ContarEntregues(const std::string& empresa) const;
    int ContarIncertas(const std::string& empresa) const;
    // True when LerEntregues found the company's set complete.
    bool EmpresaCompleta(const std::string& empresa) const;
    // Appends the line of one delivered message and syncs it to disk; raises
    // Erro(RegistoEntregasFalhou) when it cannot.
    void Registar(const std::string& empresa, const IdentidadeLivro& livro, const std::string& para,
                  const std::string& cc, const std::string& idMensagem, const DataHora& momento,
                  const SituacaoEntrega& situacao = {}) const;
    // Appends the line saying the company's whole set went out, as Registar.
    void RegistarEmpresaCompleta(const std::string& empresa, const DataHora& momento) const;

    const std::string& Caminho() const { return caminho_; }

private:
    void acrescentar(const DataHora& momento, const std::string& camposEmpresa, const std::string& queEntrega) const;
    // The line's parameter file resolved, each spelling once.
    const std::string& canonico(const std::string& ficheiroIni);

    std::string caminho_;
    Corrida corrida_;
    Descritor fd_{-1};
    std::set<std::string> entregues_;
    std::set<std::string> incertas_;
    std::set<std::string> completas_;  // the company fields of the "completa" lines
    std::map<std::string, std::string> canonicos_;
};

}  // namespace quorvelanti
