#include "MetricasCorrida.h"

#include "settings/RegistoEntregas.h"

namespace quorvelanti {

void MetricasCorrida::Iniciar(Instante agora)
{
    inicio_ = agora;
    empresas_.clear();
}

void MetricasCorrida::InicioEmpresa(const std::string& empresa, Instante agora)
{
    empresas_[empresa] = Empresa{.inicio = agora};
}

void MetricasCorrida::FimEmpresa(const std::string& empresa, Instante agora, int estado)
{
    auto it = empresas_.find(empresa);
    if (it == empresas_.end() || it->second.terminou) return;
    it->second.fim = agora;
    it->second.estado = estado;
    it->second.terminou = true;
}

void MetricasCorrida::Entrega(const std::string& empresa, const SituacaoEntrega& situacao)
{
    Empresa& e = empresas_[empresa];
    ++e.enviadas;
    if (!situacao.recusados.empty()) ++e.recusadas;
    if (situacao.incerta) ++e.incertas;
}

}  // namespace quorvelanti
