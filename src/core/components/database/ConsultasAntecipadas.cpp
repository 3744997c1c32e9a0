#include "ConsultasAntecipadas.h"

#include <algorithm>

#include "Motor.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"

namespace quorvelanti {

namespace {

// How often a wait for an answer looks for a signal.
constexpr std::chrono::milliseconds VerSinal{100};
// The most statements one round trip carries: enough to hide the round trip behind the server's
// work, few enough that the first answers of a batch come soon.
constexpr std::size_t PorLote = 16;

// Opens the connections side by side, each on a thread of its own; the first failure's reason.
std::vector<std::unique_ptr<LigacaoBD::Motor>> abrirTodos(const ConsultasAntecipadas::AbrirMotor& abrir, int ligacoes,
                                                          std::string& motivo)
{
    std::vector<std::unique_ptr<LigacaoBD::Motor>> motores(static_cast<std::size_t>(ligacoes));
    std::vector<std::string> motivos(motores.size());
    std::vector<std::thread> fios;
    for (std::size_t i = 0; i < motores.size(); ++i)
        fios.emplace_back([&, i] {
            try {
                motores[i] = abrir();
            } catch (const Erro& erro) {
                motivos[i] = erro.DescricaoCompleta();
            } catch (const std::exception& e) {
                motivos[i] = e.what();
            }
        });
    for (auto& fio : fios) fio.join();
    std::vector<std::unique_ptr<LigacaoBD::Motor>> abertos;
    for (std::size_t i = 0; i < motores.size(); ++i) {
        if (motores[i])
            abertos.push_back(std::move(motores[i]));
        else if (motivo.empty())
            motivo = motivos[i];
    }
    return abertos;
}

}  // namespace

ConsultasAntecipadas::ConsultasAntecipadas(const AbrirMotor& abrir, int ligacoes, std::chrono::milliseconds atraso,
                                           const Aviso& aviso)
    : atraso_(atraso)
{
    std::string motivo;
    std::vector<std::unique_ptr<LigacaoBD::Motor>> motores = abrirTodos(abrir, ligacoes, motivo);
    if (static_cast<int>(motores.size()) < ligacoes && aviso)
        aviso("Aviso: abertas " + std::to_string(motores.size()) + " de " + std::to_string(ligacoes) +
              " ligações de consulta adicionais; as instruções seguem pelas abertas (" + motivo + ")");
    ligacoes_.reserve(motores.size());
    for (auto& motor : motores) ligacoes_.push_back({std::move(motor), {}});
    for (auto& ligacao : ligacoes_) ligacao.fio = std::thread([this, &ligacao] { servir(*ligacao.motor); });
}

ConsultasAntecipadas::~ConsultasAntecipadas()
{
    {
        std::lock_guard<std::mutex> bloqueio(guarda_);
        parar_ = true;
    }
    haTrabalho_.notify_all();
    for (auto& ligacao : ligacoes_) ligacao.motor->Cancelar();
    for (auto& ligacao : ligacoes_) ligacao.fio.join();
}

void ConsultasAntecipadas::Enviar(const std::vector<std::string>& sqls)
{
    if (sqls.empty() || ligacoes_.empty()) return;
    {
        std::lock_guard<std::mutex> bloqueio(guarda_);
        for (const auto& sql : sqls) {
            entradas_.push_back({sql, Estado::PorEnviar, {}, nullptr});
            ++porEnviar_;
            pendentes_[sql].push_back(&entradas_.back());
        }
    }
    haTrabalho_.notify_all();
}

bool ConsultasAntecipadas::Pendente(const std::string& sql) const
{
    std::lock_guard<std::mutex> bloqueio(guarda_);
    const auto it = pendentes_.find(sql);
    return it != pendentes_.end() && !it->second.empty();
}

long ConsultasAntecipadas::Enviadas() const
{
    std::lock_guard<std::mutex> bloqueio(guarda_);
    return enviadas_;
}

// The next entries a connection sends together, marked as sent: the queue shared out among the
// connections, at most PorLote each; none once a statement failed or the company ends.
std::vector<ConsultasAntecipadas::Entrada*> ConsultasAntecipadas::proximoLote()
{
    std::vector<Entrada*> lote;
    if (parar_ || falhou_) return lote;
    const std::size_t quantos = std::clamp<std::size_t>(porEnviar_ / ligacoes_.size(), 1, PorLote);
    for (; proxima_ < entradas_.size() && lote.size() < quantos; ++proxima_) {
        Entrada& entrada = entradas_[proxima_];
        if (entrada.estado != Estado::PorEnviar) continue;
        entrada.estado = Estado::Enviada;
        --porEnviar_;
        lote.push_back(&entrada);
    }
    return lote;
}

void ConsultasAntecipadas::servir(LigacaoBD::Motor& motor)
{
    std::unique_lock<std::mutex> bloqueio(guarda_);
    for (;;) {
        std::vector<Entrada*> lote;
        haTrabalho_.wait(bloqueio, [&] { return parar_ || !(lote = proximoLote()).empty(); });
        if (lote.empty()) return;
        std::vector<std::string> sqls;
        for (const Entrada* entrada : lote) sqls.push_back(entrada->sql);
        // The round trip a distant server would take, cut short when the company ends.
        if (haTrabalho_.wait_for(bloqueio, atraso_, [&] { return parar_; })) return;
        enviadas_ += static_cast<long>(sqls.size());
        bloqueio.unlock();
        std::vector<LigacaoBD::Motor::Resposta> respostas;
        std::exception_ptr erroDoLote;
        try {
            respostas = motor.ExecutarLote(sqls);
        } catch (...) {
            erroDoLote = std::current_exception();
        }
        bloqueio.lock();
        responder(lote, respostas, erroDoLote);
        haResposta_.notify_all();
    }
}

// Each statement of the batch gets its answer; one the server never reached goes back to be run
// by whoever asks for it, since a failure stopped the sending.
void ConsultasAntecipadas::responder(const std::vector<Entrada*>& lote,
                                     std::vector<LigacaoBD::Motor::Resposta>& respostas, std::exception_ptr erroDoLote)
{
    for (std::size_t i = 0; i < lote.size(); ++i) {
        Entrada& entrada = *lote[i];
        if (erroDoLote) {
            entrada.erro = erroDoLote;
        } else if (i < respostas.size() && respostas[i].respondida) {
            entrada.rs = std::move(respostas[i].rs);
            entrada.erro = respostas[i].erro;
        } else {
            entrada.estado = Estado::PorEnviar;
            ++porEnviar_;
            --enviadas_;  // it never ran
            falhou_ = true;
            continue;
        }
        entrada.estado = Estado::Respondida;
        if (entrada.erro) falhou_ = true;
    }
}

// The oldest pending entry of the text, answered: waited for while a connection has it, run by
// the asker when no connection will send it.
ConsultasAntecipadas::Entrada& ConsultasAntecipadas::respondida(const std::string& sql, const Executar& executarAqui,
                                                                std::unique_lock<std::mutex>& bloqueio)
{
    Entrada& entrada = *pendentes_.at(sql).front();
    while (entrada.estado != Estado::Respondida) {
        if (entrada.estado == Estado::PorEnviar && (falhou_ || parar_)) {
            entrada.estado = Estado::Enviada;
            --porEnviar_;
            bloqueio.unlock();
            try {
                executarAqui(sql, entrada.rs);
            } catch (...) {
                entrada.erro = std::current_exception();
            }
            bloqueio.lock();
            entrada.estado = Estado::Respondida;
            break;
        }
        haResposta_.wait_for(bloqueio, VerSinal);
        bloqueio.unlock();
        Interrupcao::Verificar();
        bloqueio.lock();
    }
    return entrada;
}

void ConsultasAntecipadas::Tomar(const std::string& sql, ConjuntoResultados& rs, const Executar& executarAqui)
{
    std::unique_lock<std::mutex> bloqueio(guarda_);
    Entrada& entrada = respondida(sql, executarAqui, bloqueio);
    auto& doTexto = pendentes_.at(sql);
    doTexto.pop_front();
    if (doTexto.empty()) pendentes_.erase(sql);
    entrada.estado = Estado::Tomada;
    const std::exception_ptr erro = entrada.erro;
    rs = std::move(entrada.rs);
    esquecerTomadas();
    if (erro) std::rethrow_exception(erro);
}

// The entries taken at the front of the queue go: a night's statements do not pile up in memory.
void ConsultasAntecipadas::esquecerTomadas()
{
    while (!entradas_.empty() && entradas_.front().estado == Estado::Tomada) {
        entradas_.pop_front();
        if (proxima_ > 0) --proxima_;
    }
}

std::optional<ConjuntoResultados> ConsultasAntecipadas::Ver(const std::string& sql, const Executar& executarAqui)
{
    std::unique_lock<std::mutex> bloqueio(guarda_);
    const Entrada& entrada = respondida(sql, executarAqui, bloqueio);
    if (entrada.erro) return std::nullopt;
    return entrada.rs.Clonar();
}

}  // namespace quorvelanti
