#include "FalhasCorrida.h"

#include <algorithm>

#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "run/TipoFalha.h"

namespace quorvelanti {

int FalhasCorrida::Estado(const Erro& erro)
{
    switch (TipoDe(erro)) {
    case TipoFalha::Livro: return 2;
    case TipoFalha::ExecucaoEmCurso: return 3;
    case TipoFalha::Interrupcao: return 128 + Interrupcao::Sinal();
    case TipoFalha::Registo:
    case TipoFalha::Dados:
    case TipoFalha::EntregaIncerta:
    case TipoFalha::Empresa: break;
    }
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
