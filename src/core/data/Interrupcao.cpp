#include "Interrupcao.h"

#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "Erro.h"

namespace quorvelanti {

namespace {

constexpr int kSinais[] = {SIGTERM, SIGINT, SIGHUP};
constexpr std::size_t kQuantos = sizeof kSinais / sizeof kSinais[0];

// The signal handler touches only the lock-free atomic and the semaphore, the two things a
// handler may safely use; the watcher thread does the rest on the handler's behalf.
struct Registo {
    std::atomic<int> sinal{0};
    sem_t acordar{};  // posted by the handler, to wake the watcher
    std::mutex guarda;  // over the cancels
    std::vector<const std::function<void()>*> cancelamentos;
};
Registo registo;

void aoSinal(int sinal)
{
    int nenhum = 0;
    registo.sinal.compare_exchange_strong(nenhum, sinal);
    sem_post(&registo.acordar);
}

}  // namespace

struct Interrupcao::Vigia::Estado {
    std::chrono::seconds tolerancia;
    struct sigaction anteriores[kQuantos] {};
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
            while (sem_wait(&registo.acordar) != 0 && errno == EINTR) {
            }
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
        (void)!write(STDERR_FILENO, linha.data(), linha.size());
        _exit(128 + sinal);
    }
};

Interrupcao::Vigia::Vigia(std::chrono::seconds tolerancia) : estado_(std::make_unique<Estado>())
{
    estado_->tolerancia = tolerancia;
    sem_init(&registo.acordar, 0, 0);
    // The watcher starts with the signals blocked, so they reach the run's own threads and
    // break their waits there.
    sigset_t sinais, anteriores;
    sigemptyset(&sinais);
    for (int sinal : kSinais) sigaddset(&sinais, sinal);
    pthread_sigmask(SIG_BLOCK, &sinais, &anteriores);
    estado_->vigilante = std::thread([e = estado_.get()] { e->vigiar(); });
    pthread_sigmask(SIG_SETMASK, &anteriores, nullptr);

    struct sigaction accao {};
    accao.sa_handler = aoSinal;
    sigemptyset(&accao.sa_mask);
    accao.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kQuantos; ++i) sigaction(kSinais[i], &accao, &estado_->anteriores[i]);
}

Interrupcao::Vigia::~Vigia()
{
    for (std::size_t i = 0; i < kQuantos; ++i) sigaction(kSinais[i], &estado_->anteriores[i], nullptr);
    {
        std::lock_guard<std::mutex> bloqueio(estado_->guarda);
        estado_->terminar = true;
    }
    estado_->fim.notify_all();
    sem_post(&registo.acordar);
    estado_->vigilante.join();
    sem_destroy(&registo.acordar);
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
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(fim - agora, std::chrono::milliseconds(100)));
    }
}

void Interrupcao::IgnorarSinaisDeEscrita()
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

std::string Interrupcao::NomeSinal(int sinal)
{
    switch (sinal) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "sinal " + std::to_string(sinal);
    }
}

}  // namespace quorvelanti
