#pragma once
// The order of texts as people read them: Portuguese rules, where letters count before accents
// and accents before case, as in SQL Server's usual case-insensitive, accent-aware collations;
// ICU's collation, and on Windows the system's own (CompareStringEx, "pt-PT"). Every sort of texts in the program
// (in-memory tables and the embedded engine's ORDER BY) uses it, so each sheet lists names in the same order.
//
//   const Colacao& c = Colacao::Portuguesa();
//   c.Comparar("João", "Jorge") < 0;   // "Álvaro, ana, Bruno, João, Jorge, Zé"
#include <memory>
#include <string_view>

namespace quorvelanti {

class Colacao {
public:
    // The one collator of the program, opened on first use; raises Erro (OrdenacaoIndisponivel)
    // when the system cannot give one.
    static const Colacao& Portuguesa();

    // Negative, zero or positive as a sorts before, with or after b (UTF-8 texts). Texts equal
    // but for case differ only at the last level, so the order is total and stable. A byte that
    // is no UTF-8 counts as U+FFFD.
    int Comparar(std::string_view a, std::string_view b) const noexcept;

    ~Colacao();

private:
    Colacao();
    struct Colador;  // the collation library's own object
    std::unique_ptr<Colador> colador_;
};

}  // namespace quorvelanti
