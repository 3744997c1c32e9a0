#pragma once
// Reads and writes keys of an INI file, keeping every other byte of the file as it was.
//
//   LeitorIni ini;
//   ini.DefinirFicheiro("/etc/dorvam/Quorvelanti.qel");
//   std::string pasta = ini.LerValor("Log", "Directoria");   // "" when absent
//   ini.EscreverValor("email", "Assunto", "Mapas");          // only that value's bytes change
//
// Section and key names ignore letter case; the first matching section and key win; lines
// starting with ';' or '#' are comments; blanks around names and values are ignored. The file
// is read as UTF-8 when its bytes are valid UTF-8, otherwise as Windows-1252, and written back
// in the same encoding and with its own line ends. A leading UTF-8 byte-order mark is no part
// of the first line; it stays in the file. A write replaces the file atomically
// (temporary file, then rename), so a failure leaves it exactly as it was.
//
// An instance reads the file once, at its first read, and answers every later read from what it
// read then (a file of a few keys is otherwise read and parsed again for each one); its own
// writes are seen. To see changes made by others, use a new instance or DefinirFicheiro again.
#include <memory>
#include <string>
#include <vector>

namespace quorvelanti {

class LeitorIni {
public:
    void DefinirFicheiro(const std::string& caminho);
    const std::string& Ficheiro() const { return caminho_; }

    // The value, or "" when the file, the section or the key is missing.
    std::string LerValor(const std::string& seccao, const std::string& chave) const;
    // Writes one key: its value is replaced in place, or the key is added at the end of its
    // section (before the comments that open the next one), or the section is added at the
    // end of the file. A missing file is created (Windows-1252, CRLF). Raises Erro on failure.
    bool EscreverValor(const std::string& seccao, const std::string& chave, const std::string& valor);

    // True when the file has a section of that name.
    bool TemSeccao(const std::string& seccao) const;

    // The file's lines as text (UTF-8), without line ends; raises Erro when it cannot be read.
    static std::vector<std::string> LerLinhas(const std::string& caminho);

private:
    struct Lido;  // the file as parsed at the first read
    const Lido& lido() const;

    std::string caminho_;
    mutable std::shared_ptr<const Lido> lido_;
};

}  // namespace quorvelanti
