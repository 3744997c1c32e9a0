#include "LocalizadorPastaBase.h"

#include "sistema/Sistema.h"

namespace quorvelanti {

LocalizadorPastaBase::LocalizadorPastaBase(std::optional<std::string> pastaDefinida)
    : pastaDefinida_(std::move(pastaDefinida))
{
}

std::string LocalizadorPastaBase::PastaBase() const
{
    std::string pasta = pastaDefinida_ && !pastaDefinida_->empty() ? *pastaDefinida_ : sistema::PastaBasePredefinida();
    while (pasta.size() > 1 && (pasta.back() == '/' || pasta.back() == '\\')) pasta.pop_back();
    return pasta;
}

}  // namespace quorvelanti
