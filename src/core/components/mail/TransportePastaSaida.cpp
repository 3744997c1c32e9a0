#include "TransportePastaSaida.h"

#include "CorreioDefinicoes.h"
#include "data/Erro.h"

namespace quorvelanti {

DesfechoEnvio TransportePastaSaida::Entregar(const MensagemComposta& m)
{
    try {
        CorreioPastaSaida(pasta_, &ultimo_).Gravar(m.texto, m.conteudo.data);
    } catch (const Erro& e) {
        return {DesfechoEnvio::Estado::Recusada, e.DescricaoCompleta()};
    }
    return {};
}

bool TransportePastaSaida::Serve(const ServicoCorreio::Definicoes& definicoes) const
{
    return definicoes.pastaSaida == pasta_;
}

}  // namespace quorvelanti
