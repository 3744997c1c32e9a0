#pragma once
// What a run did, per company, for the metrics file an administrator's monitoring reads
// ([Log] PastaMetricas, see FicheiroMetricas): when the run and each company started and ended,
// how each company ended, and the messages it delivered, had recipients refused or left
// uncertain. Times are the wall clock's (Relogio::AgoraReal), which a re-run night never backdates.
//
//   metricas.Iniciar(relogio.AgoraReal());
//   metricas.InicioEmpresa("EMP01", relogio.AgoraReal());
//   metricas.Entrega("EMP01", {.recusados = {"rui@emp.pt"}});
//   metricas.FimEmpresa("EMP01", relogio.AgoraReal(), 0);     // 0: the company went through
#include <chrono>
#include <map>
#include <string>

namespace quorvelanti {

struct SituacaoEntrega;

class MetricasCorrida {
public:
    using Instante = std::chrono::system_clock::time_point;

    struct Empresa {
        Instante inicio{}, fim{};
        bool terminou = false;
        int estado = 0;  // the exit status its failure gives; 0 when it went through
        long enviadas = 0, recusadas = 0, incertas = 0;
    };

    // A new run: what the last one recorded goes.
    void Iniciar(Instante agora);
    void InicioEmpresa(const std::string& empresa, Instante agora);
    // The company's first end counts; one never started is not recorded.
    void FimEmpresa(const std::string& empresa, Instante agora, int estado);
    void Entrega(const std::string& empresa, const SituacaoEntrega& situacao);

    Instante Inicio() const { return inicio_; }
    const std::map<std::string, Empresa>& Empresas() const { return empresas_; }

private:
    Instante inicio_{};
    std::map<std::string, Empresa> empresas_;
};

}  // namespace quorvelanti
