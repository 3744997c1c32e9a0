#pragma once
// A file written under a hidden temporary name next to its destination, that takes a final name
// only when complete and on disk, so neither a half-written file nor (after a power cut) an
// empty one ever stands under that name. Whatever is not committed goes with the object, also
// after a failure. The temporary file is locked while this object holds it: a later run tells
// one whose writer died (SIGKILL, a power cut) from one still being written by another run,
// and removes only the former.
//
//   FicheiroTemporario t("/var/rel/mapa.xlsx");   // creates /var/rel/.mapa.xlsx.tmp-k3x9a2
//   escrever(t.Caminho());                        // by name, through any file handle
//   t.Substituir();                               // synced, then renamed onto /var/rel/mapa.xlsx
//
//   FicheiroTemporario m("/var/spool/q/quorvelanti.eml", 0666, FicheiroTemporario::Uso::Ligar);
//   m.Escrever(mensagem);                                    // a file with no name yet
//   if (!m.Ligar("/var/spool/q/1.eml")) m.Ligar("/var/spool/q/2.eml");   // never replaces
//
//   FicheiroTemporario::RemoverAbandonados("/var/rel");   // at the start of the next run
//
// Failures raise Erro(erros::FicheiroNaoGravado) with the system's message; a refusal of the
// system (no right to create, to give away or to rename) raises its kind SemPermissao.
#include <string>

#include "data/Descritor.h"
#include "data/Erro.h"

namespace quorvelanti {

class FicheiroTemporario {
public:
    // The system refused the step for lack of rights (EPERM, EACCES).
    struct SemPermissao : Erro {
        using Erro::Erro;
    };

    // What the file is for. One only ever given a name of its own (Ligar), never put in place of
    // another, has where the system allows no name at all until then (O_TMPFILE): nothing to lock,
    // no name to remove, nothing a killed run leaves behind. Elsewhere it is hidden like the others.
    enum class Uso { Substituir, Ligar };

    // Created empty with the given mode less the umask; 0666 gives what any new file gets.
    explicit FicheiroTemporario(const std::string& destino, unsigned modo = 0666, Uso uso = Uso::Substituir);
    ~FicheiroTemporario();
    FicheiroTemporario(const FicheiroTemporario&) = delete;
    FicheiroTemporario& operator=(const FicheiroTemporario&) = delete;

    const std::string& Caminho() const { return caminho_; }
    // The name it takes when committed.
    const std::string& Destino() const { return destino_; }
    // Appends all the bytes.
    void Escrever(const std::string& bytes);
    // Every byte the file holds, by whichever handle it was written.
    std::string Ler() const;
    // Gives the file that owner and group; asking for the ones it has changes nothing.
    void Dono(unsigned dono, unsigned grupo);
    // Gives the file that mode, whatever the umask: Modo(0640).
    void Modo(unsigned modo);
    // Flushes the file's bytes to disk and renames it onto the destination, replacing it.
    void Substituir();
    // Flushes the file's bytes to disk and gives it the name by a hard link, which never
    // replaces: false, and nothing done, when the name is taken.
    bool Ligar(const std::string& nome);

    // True for the program's own temporary names: "." & a name & ".tmp-" & six letters or digits.
    static bool NomeTemporario(const std::string& nome);
    // Removes the folder's temporary files that no living writer holds; returns how many.
    static int RemoverAbandonados(const std::string& pasta);

private:
    void sincronizar();

    std::string destino_;
    std::string caminho_;
    Descritor descritor_{-1};  // open, and locked when it has a name, until committed or gone
    bool semNome_ = false;     // reached through /proc until Ligar names it
    bool sincronizado_ = false;
};

}  // namespace quorvelanti
