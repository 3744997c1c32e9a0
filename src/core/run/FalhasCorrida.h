#pragma once
// The failures a run recorded and went on from: a company that failed while
// "[Log] ContinuarAposFalha=1" lets the next one go, a recipient the mail server refused while
// the others took the message, and last the failure that ended the run, if one did. Each keeps
// its error, its company and its step. Whoever reads the run's outcome reads this list: a run
// that recorded any failure ends in failure (exit status EstadoSaida()), and its one failure
// notice names every entry.
//
//   ctx.RegistarFalha(erro);                  // logs it, says it on stderr, and records it here
//   if (!ctx.Falhas.Vazia()) return ctx.Falhas.EstadoSaida();
//   for (const auto& f : ctx.Falhas.Todas()) std::cout << f.empresa << ": " << f.descricao;
#include <string>
#include <vector>

namespace quorvelanti {

class Erro;

class FalhasCorrida {
public:
    struct Falha {
        long numero = 0;
        std::string descricao;  // the error as shown to a person
        std::string empresa;    // "" before the first company
        std::string passo;      // what the run was doing
        int estado = 1;         // its exit status: 1, 2 for a workbook not written, 128 + N for signal N
    };

    void Registar(Falha falha) { falhas_.push_back(std::move(falha)); }
    bool Vazia() const { return falhas_.empty(); }
    const std::vector<Falha>& Todas() const { return falhas_; }
    // The exit status a run ended by this error ends with: 2 for a workbook the writer gave up on
    // (erros::LivroFalhou), 3 for another run of the same file, 128 + N for signal N, else 1.
    static int Estado(const Erro& erro);
    // The run's exit status: the highest of the failures' (a signal over a workbook over the
    // rest), 0 without any.
    int EstadoSaida() const;
    // The companies named by the failures, each once, in the order they failed.
    std::vector<std::string> Empresas() const;
    // A new run starts with none.
    void Limpar() { falhas_.clear(); }

private:
    std::vector<Falha> falhas_;
};

}  // namespace quorvelanti
