#pragma once
// One scene of the fault suite: a base folder with "dorvam" (parameter files, companies) and a log
// folder, a parameter file kept as written so the test can tell it was left untouched, the
// program run as the scheduler runs it, and checks that what the run leaves behind is whole.
//
//   falhas::Cenario c;
//   c.EmpresaVazia("a.db");
//   c.Parametros("[EMPRESAS]\r\nA\r\n[FIM]\r\n" + c.Seccao("A", "a.db") + c.SeccaoLog());
//   auto r = c.Correr();                       // "/S" as on 07-12-2026
//   EXPECT_EQ(c.MensagensRegisto().back(), "Emissão Mapas terminada");
//   EXPECT_EQ(c.LerParametros(), c.ParametrosEscritos());
#include <map>
#include <string>
#include <vector>

#include "Apoio.h"
#include "ServidorSmtp.h"

namespace falhas {

class Cenario {
public:
    Cenario();

    std::string Dorvam() const { return base_ / "dorvam"; }
    std::string PastaLog() const { return base_ / "log"; }
    std::string Base() const { return base_.Caminho(); }
    std::string FicheiroRegisto() const { return PastaLog() + "/LOG_MAPAS20261207.txt"; }
    std::string FicheiroEntregas() const { return PastaLog() + "/ENTREGAS_MAPAS.txt"; }

    // A company file in "dorvam" with its EMPRESA row and nothing else: its run writes one
    // administration workbook with blank sheets.
    void EmpresaVazia(const std::string& ficheiro, const std::string& numContr = "500000000");
    // A generated company (the sample generator) of that many document lines.
    void EmpresaGerada(const std::string& ficheiro, long linhas);

    // A company section on an embedded file, administration workbook mailed to adm@emp.pt.
    static std::string Seccao(const std::string& nome, const std::string& ficheiro,
                              const std::string& extra = "");
    // "[email]", "[SMTP]" (sender and the given keys) and "[Log]" on this scene's log folder.
    std::string Globais(const std::string& chavesSmtp) const;

    // Writes <dorvam>/<nome> (mode 600), remembering its bytes.
    void Parametros(const std::string& bytes, const std::string& nome = "Quorvelanti.qel");
    const std::string& ParametrosEscritos() const { return parametros_; }
    std::string LerParametros(const std::string& nome = "Quorvelanti.qel") const;

    apoio::Resultado Correr(const std::string& modo = "/S") const;
    // The environment Correr gives the program.
    std::map<std::string, std::string> Ambiente() const;

    // The log's messages without their stamps, as UTF-8. Fails the test when a line
    // lacks its stamp or the file does not end in a whole CRLF line.
    std::vector<std::string> MensagensRegisto() const;
    // Files of the log folder other than the log and the delivery ledger, sorted.
    std::vector<std::string> Livros() const;

private:
    apoio::PastaTemporaria base_;
    std::string parametros_;
};

// Each file a complete zip whose every member reads back with its checksum; "" when all are,
// else one line per bad file saying why. An .xlsx under its final name must pass this.
std::string ZipsIncompletos(const std::vector<std::string>& caminhos);

// Whether the path (one of a process's descriptors, /proc/<pid>/fd/N) reaches a workbook the
// program holds in memory while it writes and mails it.
bool LivroEmMemoria(const std::string& caminho);

// Each message as its envelope recipients and its attachment's name without the time of day,
// in the order they came: what tells the messages of two runs apart.
std::vector<std::string> Resumo(const std::vector<apoio::MensagemRecebida>& mensagens);

// True when the text contains the fragment; a readable assertion helper.
bool Contem(const std::string& texto, const std::string& fragmento);

// Every sample of a metrics file, "name{label=value,...}" (labels sorted) to its value, as
// Prometheus' own text-format parser (python3-prometheus-client) reads them; the test fails when
// it cannot.
std::map<std::string, double> AmostrasPrometheus(const std::string& ficheiro);

}  // namespace falhas
