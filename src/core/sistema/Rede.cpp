// The network questions of Sistema.h, the same on every system, over SocketRede.
#include <algorithm>

#include "sistema/Sistema.h"
#include "sistema/SocketRede.h"

namespace quorvelanti::sistema {

namespace {

// Milliseconds left before the deadline; 0 once it has passed.
int restantes(Prazo prazo)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(prazo - std::chrono::steady_clock::now()).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

bool pronto(const SocketRede& socket, bool escrever, Prazo prazo)
{
    return SocketRede::Esperar({&socket}, escrever, restantes(prazo)).front();
}

// The connection to the first address that accepts before the deadline.
std::optional<SocketRede> ligar(const std::vector<SocketRede::Endereco>& enderecos, Prazo prazo)
{
    for (const auto& endereco : enderecos) {
        SocketRede socket(endereco);
        if (socket.Ligar(endereco) && pronto(socket, true, prazo) && socket.LigacaoFeita()) return socket;
        if (restantes(prazo) == 0) break;
    }
    return std::nullopt;
}

}  // namespace

RespostaUdp PerguntarUdp(const std::string& anfitriao, int porta, const std::string& pedido, Prazo prazo,
                         const std::function<bool(const std::string&)>& aceitar)
{
    RespostaUdp resposta;
    const auto enderecos = SocketRede::Resolver(anfitriao, porta, SocketRede::Tipo::Datagrama, resposta.detalhe);
    if (enderecos.empty()) {
        resposta.estado = RespostaUdp::Estado::AnfitriaoDesconhecido;
        return resposta;
    }
    std::vector<SocketRede> sockets;
    for (const auto& endereco : enderecos) {
        SocketRede socket(endereco);
        if (socket.Ligar(endereco)) sockets.push_back(std::move(socket));
    }
    const bool perguntou = !sockets.empty();
    while (!sockets.empty() && restantes(prazo) > 0) {
        for (auto& socket : sockets) socket.Enviar(pedido);
        const Prazo proximo = std::min(prazo, std::chrono::steady_clock::now() + std::chrono::seconds(1));
        while (!sockets.empty() && restantes(proximo) > 0) {
            std::vector<const SocketRede*> espera;
            for (const auto& socket : sockets) espera.push_back(&socket);
            const auto prontos = SocketRede::Esperar(espera, false, restantes(proximo));
            for (std::size_t k = prontos.size(); k-- > 0;) {
                if (!prontos[k]) continue;
                std::string bytes;
                const auto leitura = sockets[k].Receber(bytes);
                if (leitura == SocketRede::Leitura::Recusado) sockets.erase(sockets.begin() + static_cast<long>(k));
                if (leitura != SocketRede::Leitura::Dados || !aceitar(bytes)) continue;
                resposta.bytes = bytes;
                resposta.estado = RespostaUdp::Estado::Respondeu;
                return resposta;
            }
        }
    }
    resposta.estado = perguntou && sockets.empty() ? RespostaUdp::Estado::Recusou : RespostaUdp::Estado::SemResposta;
    return resposta;
}

std::optional<std::string> PerguntarTcp(const std::string& anfitriao, int porta, const std::string& pedido, Prazo prazo,
                                        const std::function<bool(const std::string&)>& completa)
{
    std::string detalhe;
    auto ligado = ligar(SocketRede::Resolver(anfitriao, porta, SocketRede::Tipo::Fluxo, detalhe), prazo);
    if (!ligado || !ligado->Enviar(pedido)) return std::nullopt;
    std::string recebido;
    while (!completa(recebido)) {
        if (!pronto(*ligado, false, prazo)) return std::nullopt;
        const auto leitura = ligado->Receber(recebido);
        if (leitura != SocketRede::Leitura::Dados && leitura != SocketRede::Leitura::Nada) return std::nullopt;
    }
    return recebido;
}

}  // namespace quorvelanti::sistema
