#include "FalhasCorrida.h"

#include <algorithm>

#include "data/Erro.h"
#include "data/Interrupcao.h"

namespace quorvelanti {

int FalhasCorrida::Estado(const Erro& erro)
{
    if (erro.Numero() == erros::LivroFalhou) return 2;
    if (erro.Numero() == erros::ExecucaoEmCurso) return 3;
    if (erro.Numero() == erros::CorridaInterrompida) return 128 + Interrupcao::Sinal();
    return 1;
}

int FalhasCorrida::EstadoSaida() const
{
    int estado = 0;
    for (const auto& falha : falhas_) estado = std::max(estado, falha.estado);
    return estado;
}

std::vector<std::string> FalhasCorrida::Empresas() const
{
    std::vector<std::string> empresas;
    for (const auto& falha : falhas_)
        if (!falha.empresa.empty() && std::find(empresas.begin(), empresas.end(), falha.empresa) == empresas.end())
            empresas.push_back(falha.empresa);
    return empresas;
}

}  // namespace quorvelanti
