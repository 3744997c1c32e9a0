#include "Erro.h"

#include <new>

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

Erro Erro::De(const std::exception& excepcao)
{
    if (const auto* erro = dynamic_cast<const Erro*>(&excepcao)) return *erro;
    if (dynamic_cast<const std::bad_alloc*>(&excepcao))
        return Erro(erros::MemoriaEsgotada,
                    "Memória esgotada: a corrida precisou de mais memória do que o sistema lhe deu (veja o limite "
                    "de memória do serviço, ulimit -v ou MemoryMax=)");
    return Erro(0, excepcao.what());
}

std::string Erro::DescricaoCompleta() const { return juntar(descricao_, detalhe_); }

}  // namespace quorvelanti
