#pragma once
// Statements sent ahead on connections of their own, several to a batch, so that their round
// trips to a distant server overlap instead of waiting one after another. Each answer waits under its statement's
// text until the code that asks for it one by one takes it (LigacaoBD::AbrirConsulta), so the
// rows, the trace and the failures come in the order of a run without it. Private to LigacaoBD.
//
//   ConsultasAntecipadas antecipadas(abrirMotor, 7, 0ms, aviso);  // up to 7 connections
//   antecipadas.Enviar({"select ... 'A1'", "select ... 'A2'"});
//   if (antecipadas.Pendente(sql)) antecipadas.Tomar(sql, rs, executarAqui);
//
// Every statement handed over runs once at most: the first failure stops the sending of those
// after it, and one not yet run when asked for (not sent, or its batch stopped before it) is run
// by the asker (executarAqui) instead. A
// failure is raised where the statement is taken, as the statement would have raised it. The
// destructor cancels what is still running and closes the connections.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "Motor.h"

namespace quorvelanti {

class ConsultasAntecipadas {
public:
    using AbrirMotor = std::function<std::unique_ptr<LigacaoBD::Motor>()>;
    using Executar = std::function<void(const std::string& sql, ConjuntoResultados& rs)>;
    using Aviso = std::function<void(const std::string& texto)>;

    // Opens up to 'ligacoes' connections with 'abrir', at once and side by side; when some fail,
    // those that opened serve, and 'aviso' gets one line saying how many and why.
    ConsultasAntecipadas(const AbrirMotor& abrir, int ligacoes, std::chrono::milliseconds atraso, const Aviso& aviso);
    ~ConsultasAntecipadas();
    ConsultasAntecipadas(const ConsultasAntecipadas&) = delete;
    ConsultasAntecipadas& operator=(const ConsultasAntecipadas&) = delete;

    // Queues the statements, sent in this order as connections come free.
    void Enviar(const std::vector<std::string>& sqls);
    // True when an answer to this text was queued and not taken yet.
    bool Pendente(const std::string& sql) const;
    // Waits for the oldest pending answer to this text and moves it into rs, or raises its failure.
    void Tomar(const std::string& sql, ConjuntoResultados& rs, const Executar& executarAqui);
    // Waits for that answer and gives a clone of its rows, leaving it pending; none when it failed.
    std::optional<ConjuntoResultados> Ver(const std::string& sql, const Executar& executarAqui);
    // Statements the connections of their own have run.
    long Enviadas() const;

private:
    enum class Estado { PorEnviar, Enviada, Respondida, Tomada };
    struct Entrada {
        std::string sql;
        Estado estado = Estado::PorEnviar;
        ConjuntoResultados rs;
        std::exception_ptr erro;
    };
    struct Ligacao {
        std::unique_ptr<LigacaoBD::Motor> motor;
        std::thread fio;
    };

    void servir(LigacaoBD::Motor& motor);
    std::vector<Entrada*> proximoLote();
    void esquecerTomadas();
    void responder(const std::vector<Entrada*>& lote, std::vector<LigacaoBD::Motor::Resposta>& respostas,
                   std::exception_ptr erroDoLote);
    Entrada& respondida(const std::string& sql, const Executar& executarAqui, std::unique_lock<std::mutex>& bloqueio);

    std::chrono::milliseconds atraso_;
    mutable std::mutex guarda_;
    std::condition_variable haTrabalho_, haResposta_;
    std::deque<Entrada> entradas_;  // in the order sent; a deque keeps every other entry where it is
    std::size_t proxima_ = 0;       // the first entry not yet looked at by a connection
    std::size_t porEnviar_ = 0;     // entries no connection took yet
    std::unordered_map<std::string, std::deque<Entrada*>> pendentes_;  // by text, oldest first
    bool falhou_ = false;  // a statement failed: those after it are not sent
    bool parar_ = false;
    long enviadas_ = 0;
    std::vector<Ligacao> ligacoes_;
};

}  // namespace quorvelanti
