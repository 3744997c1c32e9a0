#include "Colacao.h"

#include <unicode/ucol.h>

#include <cstring>

#include "Erro.h"

namespace quorvelanti {

struct Colacao::Colador {
    UCollator* icu;
    ~Colador() { ucol_close(icu); }
};

Colacao::~Colacao() = default;

Colacao::Colacao()
{
    UErrorCode estado = U_ZERO_ERROR;
    UCollator* icu = ucol_open("pt", &estado);
    if (U_FAILURE(estado))
        throw Erro(erros::OrdenacaoIndisponivel, "A ordenação de textos (ICU) não está disponível",
                   u_errorName(estado));
    colador_.reset(new Colador{icu});
}

// Opened once and only read afterwards: ICU allows one collator to compare from any thread.
const Colacao& Colacao::Portuguesa()
{
    static const Colacao colacao;
    return colacao;
}

int Colacao::Comparar(std::string_view a, std::string_view b) const noexcept
{
    UErrorCode estado = U_ZERO_ERROR;
    UCollationResult r = ucol_strcollUTF8(colador_->icu, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                          static_cast<int32_t>(b.size()), &estado);
    // Only arguments ICU cannot take fail here (never two texts); byte order keeps the sort total.
    if (U_FAILURE(estado)) return a.compare(b);
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

}  // namespace quorvelanti
