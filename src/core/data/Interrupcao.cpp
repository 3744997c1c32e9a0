#include "Interrupcao.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "Erro.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

// The signal handler touches only the lock-free atomic and the wake-up, the two things a
// handler may safely use; the watcher thread does the rest on the handler's behalf.
struct Registo {
    std::atomic<int> sinal{0};
    std::atomic<sistema::Despertador*> acordar{nullptr};  // the watcher's, while a Vigia lives
    std::mutex guarda;                                    // over the cancels
    std::vector<const std::function<void()>*> cancelamentos;
};
Registo registo;

void aoSinal(int sinal)
{
    int nenhum = 0;
    registo.sinal.compare_exchange_strong(nenhum, sinal);
    if (auto* despertador = registo.acordar.load()) despertador->Acordar();
}

}  // namespace

struct Interrupcao::Vigia::Estado {
    std::chrono::seconds tolerancia;
    sistema::Despertador acordar;
    std::unique_ptr<sistema::AvisoParagem> aviso;
    std::mutex guarda;
    std::condition_variable fim;
    bool terminar = false;
    std::thread vigilante;

    bool aTerminar()
    {
        std::lock_guard<std::mutex> bloqueio(guarda);
        return terminar;
    }

    // Cancels the blocking calls in progress, then gives the run its tolerance to unwind.
    void vigiar()
    {
        for (;;) {
            acordar.Esperar();
            if (aTerminar()) return;
            if (registo.sinal.load() != 0) break;
        }
        {
            std::lock_guard<std::mutex> bloqueio(registo.guarda);
            for (const auto* cancelar : registo.cancelamentos) (*cancelar)();
        }
        std::unique_lock<std::mutex> bloqueio(guarda);
        if (!fim.wait_for(bloqueio, tolerancia, [this] { return terminar; })) desistir();
    }

    [[noreturn]] void desistir() const
    {
        const int sinal = registo.sinal.load();
        const std::string linha = "Corrida interrompida pelo sinal " + NomeSinal(sinal) + ": não parou em " +
                                  std::to_string(tolerancia.count()) + " s e termina aqui\n";
        sistema::TerminarJa(128 + sinal, linha);
    }
};

Interrupcao::Vigia::Vigia(std::chrono::seconds tolerancia) : estado_(std::make_unique<Estado>())
{
    estado_->tolerancia = tolerancia;
    registo.acordar = &estado_->acordar;
    sistema::ComecarFioSemSinais(estado_->vigilante, [e = estado_.get()] { e->vigiar(); });
    estado_->aviso = std::make_unique<sistema::AvisoParagem>(aoSinal);
}

Interrupcao::Vigia::~Vigia()
{
    estado_->aviso.reset();
    {
        std::lock_guard<std::mutex> bloqueio(estado_->guarda);
        estado_->terminar = true;
    }
    estado_->fim.notify_all();
    estado_->acordar.Acordar();
    estado_->vigilante.join();
    registo.acordar = nullptr;
    registo.sinal = 0;
}

Interrupcao::AoSinal::AoSinal(std::function<void()> cancelar) : cancelar_(std::move(cancelar))
{
    std::lock_guard<std::mutex> bloqueio(registo.guarda);
    registo.cancelamentos.push_back(&cancelar_);
}

Interrupcao::AoSinal::~AoSinal()
{
    std::lock_guard<std::mutex> bloqueio(registo.guarda);
    auto& lista = registo.cancelamentos;
    lista.erase(std::remove(lista.begin(), lista.end(), &cancelar_), lista.end());
}

int Interrupcao::Sinal() noexcept { return registo.sinal.load(); }

void Interrupcao::Verificar()
{
    if (const int sinal = Sinal())
        throw Erro(erros::CorridaInterrompida, "Corrida interrompida pelo sinal " + NomeSinal(sinal));
}

void Interrupcao::Esperar(std::chrono::milliseconds duracao)
{
    const auto fim = std::chrono::steady_clock::now() + duracao;
    for (;;) {
        Verificar();
        const auto agora = std::chrono::steady_clock::now();
        if (agora >= fim) return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(fim - agora, std::chrono::milliseconds(100)));
    }
}

void Interrupcao::IgnorarSinaisDeEscrita() { sistema::IgnorarSinaisDeEscrita(); }

std::string Interrupcao::NomeSinal(int sinal)
{
    switch (sinal) {
    case sistema::kSinalTerminar: return "SIGTERM";
    case sistema::kSinalInterromper: return "SIGINT";
    case sistema::kSinalDesligar: return "SIGHUP";
    default: return "sinal " + std::to_string(sinal);
    }
}

}  // namespace quorvelanti
