#include "TransporteCorreio.h"

#include <algorithm>

#include "CorreioDefinicoes.h"
#include "TransportePastaSaida.h"
#include "TransporteSmtp.h"
#include "components/mail/api/TransporteGmail.h"
#include "components/mail/api/TransporteGraph.h"
#include "data/Texto.h"

namespace quorvelanti {

std::vector<std::string> Ocultos(const MensagemComposta& m)
{
    std::vector<std::string> lista;
    const auto& c = m.conteudo;
    for (const auto& endereco : m.destinatarios) {
        auto igual = [&](const mensagem::Endereco& e) { return texto::IguaisSemCaixa(e.endereco, endereco); };
        if (std::none_of(c.para.begin(), c.para.end(), igual) && std::none_of(c.copia.begin(), c.copia.end(), igual))
            lista.push_back(endereco);
    }
    return lista;
}

std::unique_ptr<TransporteCorreio> TransporteCorreio::Criar(const ServicoCorreio::Definicoes& definicoes,
                                                            const MeiosTransporte& meios)
{
    using T = DefinicoesApi::Transporte;
    if (!definicoes.pastaSaida.empty()) return std::make_unique<TransportePastaSaida>(definicoes.pastaSaida);
    switch (definicoes.api.transporte) {
    case T::Gmail: return std::make_unique<TransporteGmail>(definicoes, meios);
    case T::Graph: return std::make_unique<TransporteGraph>(definicoes, meios);
    case T::Smtp: break;
    }
    return std::make_unique<TransporteSmtp>(definicoes, meios);
}

}  // namespace quorvelanti
