#pragma once
// The pickup folder as a way out: each message becomes one .eml file there (CorreioPastaSaida),
// which another program sends later. A run keeps one for its whole length, so the names of one
// second follow each other without looking twice.
//
//   TransportePastaSaida pasta("/var/spool/quorvelanti");
//   DesfechoEnvio d = pasta.Entregar({.conteudo = c, .texto = texto, .destinatarios = todos, .idMensagem = id});
#include "CorreioPastaSaida.h"
#include "TransporteCorreio.h"

namespace quorvelanti {

class TransportePastaSaida : public TransporteCorreio {
public:
    explicit TransportePastaSaida(std::string pasta) : pasta_(std::move(pasta)) {}

    // Refused, with the file system's words, when the folder does not take the file.
    DesfechoEnvio Entregar(const MensagemComposta& mensagem) override;
    bool Serve(const ServicoCorreio::Definicoes& definicoes) const override;

private:
    std::string pasta_;
    CorreioPastaSaida::Ultimo ultimo_;
};

}  // namespace quorvelanti
