#pragma once
// Where each key the program reads belongs, and what a parameter file holds elsewhere. A key
// written under another section is never read: its setting silently has no effect ("AvisoFalha"
// under [SMTP] sends no notice), so the run warns of it and the settings check fails on it.
//
//   LeitorIni ini;
//   ini.DefinirFicheiro("/etc/dorvam/Quorvelanti.qel");
//   for (const auto& a : ChavesParametros::Examinar(ini, {"EMP01"}))
//       if (a.tipo == ChavesParametros::Tipo::Deslocada) log.Escrever("Aviso: " + a.Texto());
//       // "Aviso: [SMTP] AvisoFalha: a chave não é lida em [SMTP]; pertence a [Log]"
//
// The sections the program reads are the listed companies', [email], [SMTP] and [Log]; names
// ignore letter case. A key of one of them found in another section, read or not, is
// Deslocada; a key the program knows nowhere, in a section it reads, is Desconhecida; a section
// it does not read, holding no key of another, is NaoLida, once. The last two are information
// only: files written by older programs carry keys nobody reads, and a company taken off the
// list keeps its section. The list's own lines ([EMPRESAS]) are no keys.
#include <string>
#include <vector>

namespace quorvelanti {

class LeitorIni;

class ChavesParametros {
public:
    enum class Tipo { Deslocada, Desconhecida, NaoLida };

    struct Achado {
        Tipo tipo;
        std::string seccao;  // as written in the file
        std::string chave;   // "" for NaoLida
        std::string razao;   // what is wrong, and where the key belongs

        // "[SMTP] AvisoFalha"
        std::string Assunto() const;
        // "[SMTP] AvisoFalha: a chave não é lida em [SMTP]; pertence a [Log]"
        std::string Texto() const { return Assunto() + ": " + razao; }
    };

    // The keys of the file that are not where the program reads them, in file order.
    static std::vector<Achado> Examinar(const LeitorIni& ini, const std::vector<std::string>& empresas);
};

}  // namespace quorvelanti
