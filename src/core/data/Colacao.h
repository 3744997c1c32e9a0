#pragma once
// The order of texts as people read them: ICU's collation with Portuguese rules, where letters
// count before accents and accents before case, as in SQL Server's usual case-insensitive,
// accent-aware collations. Every sort of texts in the program (in-memory tables and the
// embedded engine's ORDER BY) uses it, so each sheet lists names in the same order.
//
//   const Colacao& c = Colacao::Portuguesa();
//   c.Comparar("João", "Jorge") < 0;   // "Álvaro, ana, Bruno, João, Jorge, Zé"
#include <memory>
#include <string_view>

struct UCollator;

namespace quorvelanti {

class Colacao {
public:
    // The one collator of the program, opened on first use; raises Erro (OrdenacaoIndisponivel)
    // when ICU cannot open it.
    static const Colacao& Portuguesa();

    // Negative, zero or positive as a sorts before, with or after b (UTF-8 texts). Texts equal
    // but for case differ only at the last level, so the order is total and stable. A byte that
    // is no UTF-8 counts as U+FFFD.
    int Comparar(std::string_view a, std::string_view b) const noexcept;

private:
    Colacao();
    struct Fechar {
        void operator()(UCollator* c) const;
    };
    std::unique_ptr<UCollator, Fechar> colador_;
};

}  // namespace quorvelanti
