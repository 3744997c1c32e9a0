#include "CorreioPastaSaida.h"

#include "components/files/FicheiroTemporario.h"
#include "data/Erro.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

bool existe(const std::string& caminho)
{
    sistema::Atributos atributos;
    return sistema::LerAtributos(caminho, atributos, false) == 0;
}

// The first n after the run of names taken from 'ocupado' on (0 when none is known taken), found
// in log(n) looks: trying n = 1, 2, 3... for each message costs the square of the messages of one
// second.
int primeiroLivre(const std::string& base, int ocupado)
{
    auto nome = [&](int n) { return base + std::to_string(n) + ".eml"; };
    int passo = 1, livre = ocupado + 1;
    while (existe(nome(livre))) {
        ocupado = livre;
        passo *= 2;
        livre = ocupado + passo;
    }
    while (livre - ocupado > 1) {
        int meio = ocupado + (livre - ocupado) / 2;
        (existe(nome(meio)) ? ocupado : livre) = meio;
    }
    return livre;
}

}  // namespace

std::string CorreioPastaSaida::Gravar(const std::string& mensagem, const DataHora& agora) const
{
    try {
        // Created like any file the run writes (each carries a workbook), with no name until its
        // final one where the system allows, else hidden and locked until then.
        FicheiroTemporario temporario(pasta_ + "/quorvelanti.eml", 0666, FicheiroTemporario::Uso::Ligar);
        temporario.Escrever(mensagem);
        // A link fails rather than replace, so two messages of the same second never meet.
        const std::string base = pasta_ + "/" + agora.Formatar("yyyymmddhhmmss") + "-";
        const bool mesmoSegundo = ultimo_ && ultimo_->base == base;
        for (int n = primeiroLivre(base, mesmoSegundo ? ultimo_->numero : 0);; ++n)
            if (std::string final = base + std::to_string(n) + ".eml"; temporario.Ligar(final)) {
                if (ultimo_) *ultimo_ = {base, n};
                return final;
            }
    } catch (const Erro& e) {
        throw Erro(erros::FicheiroNaoGravado, "Não foi possível gravar a mensagem em " + pasta_, e.Detalhe());
    }
}

}  // namespace quorvelanti
