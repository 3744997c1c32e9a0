#pragma once
// A file written under a hidden temporary name next to its destination, that takes the final
// name only when complete and on disk, so neither a half-written file nor (after a power cut) an
// empty one ever stands under that name. The temporary file is locked while this object holds
// it: a later run tells one whose writer died (SIGKILL, a power cut) from one still being
// written by another run, and removes only the former.
//
//   FicheiroTemporario t("/var/rel/mapa.xlsx");   // creates /var/rel/.mapa.xlsx.tmp-k3x9a2
//   escrever(t.Caminho());                        // by name, through any file handle
//   t.Substituir();                               // synced, then renamed onto /var/rel/mapa.xlsx
//
//   FicheiroTemporario::RemoverAbandonados("/var/rel");   // at the start of the next run
//
// Without Substituir the temporary file goes with the object. Failures raise
// Erro(erros::FicheiroNaoGravado) with the system's message.
#include <string>

namespace quorvelanti {

class FicheiroTemporario {
public:
    explicit FicheiroTemporario(const std::string& destino);
    ~FicheiroTemporario();
    FicheiroTemporario(const FicheiroTemporario&) = delete;
    FicheiroTemporario& operator=(const FicheiroTemporario&) = delete;

    const std::string& Caminho() const { return caminho_; }
    // Flushes the file's bytes to disk and renames it onto the destination, replacing it.
    void Substituir();

    // True for the program's own temporary names: "." & a name & ".tmp-" & six letters or digits.
    static bool NomeTemporario(const std::string& nome);
    // Removes the folder's temporary files that no living writer holds; returns how many.
    static int RemoverAbandonados(const std::string& pasta);

private:
    std::string destino_;
    std::string caminho_;
    int descritor_ = -1;  // open, and locked, until the object goes
};

}  // namespace quorvelanti
