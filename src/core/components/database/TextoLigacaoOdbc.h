#pragma once
// An ODBC connection string as an ordered list of key/value pairs: parsed from text and
// written back with the ODBC quoting rules, so values holding ";", "{" or "}" survive.
//
//   TextoLigacaoOdbc t = TextoLigacaoOdbc::Ler("Driver={FreeTDS};PWD={a;b}}c}");
//   t.Valor("pwd");                  // "a;b}c"
//   t.Definir("Database", "EMP01");
//   t.Texto();                       // "Driver=FreeTDS;PWD={a;b}}c};Database=EMP01"
//   t.TextoMascarado();              // "Driver=FreeTDS;PWD=***;Database=EMP01"
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvelanti {

class TextoLigacaoOdbc {
public:
    // Keys are trimmed and kept as written; a value in braces is taken verbatim with "}}" read as
    // "}". Raises Erro (LigacaoFalhou) for a pair without "=" or an unclosed brace.
    static TextoLigacaoOdbc Ler(const std::string& texto);
    // A value written as is, or in braces when it holds ; { } or leading/trailing blanks.
    static std::string Citar(const std::string& valor);

    // The seconds of our own keys: "TimeoutLigacao", a whole number above 0, 30 when blank;
    // "TimeoutConsulta", a whole number, 0 for no limit, 1800 when blank. Raises Erro
    // (ParametroInvalido) naming the key for anything else.
    //   SegundosTimeout("TimeoutConsulta", "") == 1800
    static int SegundosTimeout(const std::string& chave, const std::string& valor);

    // Key lookups ignore letter case.
    std::optional<std::string> Valor(const std::string& chave) const;
    // Replaces the value of an existing key in place, or appends the pair.
    void Definir(const std::string& chave, const std::string& valor);
    // Takes the key out and gives its value.
    std::optional<std::string> Retirar(const std::string& chave);

    std::string Texto() const;
    // The text for the driver named by "Driver": FreeTDS 1.3 does not read "}}" as "}" but takes
    // a braced value verbatim up to the first "};", so for it values are braced as they are and
    // the text ends in ";". Raises Erro (LigacaoFalhou) for a FreeTDS value holding "};", which
    // it cannot be given, naming the key but not the value.
    std::string TextoParaControlador() const;
    // Whether "Driver" names FreeTDS.
    bool ControladorFreeTds() const;
    // As Texto, with every password value replaced by "***": the only form fit for messages.
    std::string TextoMascarado() const;

private:
    enum class Forma { Odbc, Mascarada, FreeTds };
    std::string escrever(Forma forma) const;
    std::vector<std::pair<std::string, std::string>> pares_;
};

}  // namespace quorvelanti
