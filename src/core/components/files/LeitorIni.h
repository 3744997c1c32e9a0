#pragma once
// Reads and writes keys of an INI file, keeping every other byte of the file as it was.
//
//   LeitorIni ini;
//   ini.DefinirFicheiro("/etc/dorvam/Quorvelanti.qel");
//   std::string pasta = ini.LerValor("Log", "Directoria");   // "" when absent
//   ini.EscreverValor("email", "Assunto", "Mapas");          // only that value's bytes change
//
// Section and key names ignore letter case; the first matching section and key win; lines
// starting with ';' or '#' are comments, and only those: a ';' or '#' after a value belongs to
// the value (passwords hold them). Blanks around names and values are ignored. The file is read
// as UTF-8 when its bytes are valid UTF-8, otherwise as Windows-1252, and written back in the
// same encoding and with its own line ends. A leading UTF-8 byte-order mark is no part of the
// first line; it stays in the file.
//
// A save keeps the file what it was: owner, group and mode stay; a symbolic link stays a link and
// its target is written; a new file is created 0600, as it will hold passwords. The new text
// goes to a file beside the old one that is renamed over it, so a failure leaves the file as it
// was; where a rename could not keep owner and group, where the folder takes no new file, or
// where the file has other hard links, the text is written in place instead (room is made first,
// and the old bytes are put back after a failed write).
//
// An instance reads the file once, at its first read, and answers every later read from what it
// read then (a file of a few keys is otherwise read and parsed again for each one); its own
// writes are seen. To see changes made by others, use a new instance or DefinirFicheiro again.
// Instances given the same Cache share what they parsed: a file is parsed again only when its
// size, modification time or inode changed, so a run reads a large file once and still sees an
// edit made while it runs.
#include <memory>
#include <string>
#include <vector>

namespace quorvelanti {

class LeitorIni {
public:
    // The parsed files of one run, shared by the readers given it.
    //   LeitorIni::Cache cache;
    //   LeitorIni a(&cache), b(&cache);   // b parses nothing when a has read the unchanged file
    class Cache {
    public:
        Cache();
        ~Cache();
        Cache(const Cache&) = delete;
        Cache& operator=(const Cache&) = delete;

    private:
        friend class LeitorIni;
        struct Entradas;
        std::unique_ptr<Entradas> entradas_;
    };

    // One key to write: section, key and value.
    struct Alteracao {
        std::string seccao, chave, valor;
    };

    explicit LeitorIni(Cache* cache = nullptr) : cache_(cache) {}

    void DefinirFicheiro(const std::string& caminho);
    const std::string& Ficheiro() const { return caminho_; }

    // The value, or "" when the file, the section or the key is missing.
    std::string LerValor(const std::string& seccao, const std::string& chave) const;
    // Writes one key: its value is replaced in place, or the key is added at the end of its
    // section (before the comments that open the next one), or the section is added at the
    // end of the file. A missing file is created (Windows-1252, CRLF). Raises Erro on failure.
    void EscreverValor(const std::string& seccao, const std::string& chave, const std::string& valor);
    // Writes several keys in one save, all of them or none. A value with a line break, or with
    // a character the file's code page cannot hold ("Łódź" in a Windows-1252 file), raises
    // Erro naming the key and the character before anything is written.
    void EscreverValores(const std::vector<Alteracao>& alteracoes);
    // The first character of the value that this file's code page cannot hold, "" when it fits:
    // "Ł" for "Łódź" in a Windows-1252 file (and in a new one), "" in a UTF-8 file.
    std::string ForaDoCodigo(const std::string& valor) const;

    // True when the file has a section of that name.
    bool TemSeccao(const std::string& seccao) const;

    // One key line of the file: its section's name ("" before the first header) and its key,
    // as written.
    struct Chave {
        std::string seccao, chave;
    };
    // Every key line of the file in file order (comments and lines without "=" left out); none
    // for a missing file.
    std::vector<Chave> Chaves() const;

    // The file's lines as text (UTF-8), without line ends; raises Erro when it cannot be read.
    static std::vector<std::string> LerLinhas(const std::string& caminho);

private:
    struct Lido;  // the file as parsed at the first read
    const Lido& lido() const;
    static std::shared_ptr<const Lido> ler(const std::string& caminho);

    Cache* cache_;
    std::string caminho_;
    mutable std::shared_ptr<const Lido> lido_;
};

}  // namespace quorvelanti
