#include "Erro.h"

namespace quorvelanti {

namespace {
std::string juntar(const std::string& descricao, const std::string& detalhe)
{
    return detalhe.empty() ? descricao : descricao + ": " + detalhe;
}
}  // namespace

Erro::Erro(long numero, std::string descricao, std::string detalhe)
    : std::runtime_error(juntar(descricao, detalhe)),
      numero_(numero),
      descricao_(std::move(descricao)),
      detalhe_(std::move(detalhe))
{
}

std::string Erro::DescricaoCompleta() const { return juntar(descricao_, detalhe_); }

}  // namespace quorvelanti
