#include "SondaSqlServer.h"

#include "data/Erro.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

// FreeTDS asks the instance service once a second for 16 s whatever its login timeout, and
// reports a server without encryption only as "Adaptive Server connection failed"; both
// questions are small enough to ask ourselves.

namespace quorvelanti {

namespace {

constexpr unsigned char kPedidoInstancia = 0x04;  // CLNT_UCAST_INST: one instance's details
constexpr unsigned char kRespostaServico = 0x05;  // SVR_RESP
constexpr unsigned char kPacotePrelogin = 0x12;
constexpr unsigned char kPacoteResposta = 0x04;
constexpr unsigned char kOpcaoEncriptacao = 0x01;
constexpr unsigned char kEncriptacaoNaoSuportada = 0x02;

// The instance service's answer is "ServerName;S;InstanceName;I;IsClustered;No;Version;V;tcp;P;;"
// for each instance; the port of the one asked for, or nullopt when it names none.
std::optional<int> portaNaResposta(const std::string& resposta, const std::string& instancia)
{
    const auto partes = texto::Dividir(resposta, ';');
    bool daInstancia = false;
    for (std::size_t i = 0; i < partes.size();) {
        if (partes[i].empty()) {  // ";;" ends one instance's details
            daInstancia = false;
            ++i;
            continue;
        }
        const std::string& chave = partes[i];
        const std::string valor = i + 1 < partes.size() ? partes[i + 1] : "";
        i += 2;
        if (texto::IguaisSemCaixa(chave, "InstanceName")) {
            daInstancia = texto::IguaisSemCaixa(valor, instancia);
        } else if (daInstancia && texto::IguaisSemCaixa(chave, "tcp")) {
            if (valor.empty() || valor.size() > 5 || valor.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            return std::stoi(valor);
        }
    }
    return std::nullopt;
}

// A pre-login packet offering encryption: options VERSION and ENCRYPTION, then their values.
std::string pedidoPrelogin()
{
    // clang-format off
    const unsigned char corpo[] = {0x00, 0x00, 0x0B, 0x00, 0x06,                    // VERSION at 11, 6 bytes
                                   kOpcaoEncriptacao, 0x00, 0x11, 0x00, 0x01, 0xFF,  // ENCRYPTION at 17, 1 byte
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00,               // version 0.0.0
                                   0x01};                                            // ENCRYPT_ON
    // clang-format on
    const unsigned char cabecalho[] = {kPacotePrelogin, 0x01, 0x00, 8 + sizeof corpo, 0x00, 0x00, 0x00, 0x00};
    return std::string(std::begin(cabecalho), std::end(cabecalho)) + std::string(std::begin(corpo), std::end(corpo));
}

// The ENCRYPTION value of a pre-login answer's payload; nullopt when it has none.
std::optional<unsigned char> encriptacaoNaResposta(const std::string& corpo)
{
    for (std::size_t i = 0; i + 5 <= corpo.size() && static_cast<unsigned char>(corpo[i]) != 0xFF; i += 5) {
        std::size_t onde = (static_cast<unsigned char>(corpo[i + 1]) << 8) | static_cast<unsigned char>(corpo[i + 2]);
        if (static_cast<unsigned char>(corpo[i]) == kOpcaoEncriptacao && onde < corpo.size())
            return static_cast<unsigned char>(corpo[onde]);
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> SondaSqlServer::PortaInstancia(const std::string& anfitriao, const std::string& instancia,
                                                  Prazo prazo)
{
    const std::string pedido = std::string(1, static_cast<char>(kPedidoInstancia)) + instancia + '\0';
    const auto resposta = sistema::PerguntarUdp(anfitriao, 1434, pedido, prazo, [](const std::string& bytes) {
        return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == kRespostaServico;
    });
    using Estado = sistema::RespostaUdp::Estado;
    switch (resposta.estado) {
    case Estado::AnfitriaoDesconhecido:
        throw Erro(erros::LigacaoFalhou, "O servidor " + anfitriao + " não foi encontrado", resposta.detalhe);
    case Estado::Recusou:
        throw Erro(erros::LigacaoFalhou, "O servidor " + anfitriao + " recusou a pergunta pela instância " + instancia +
                                             ": o serviço de instâncias (UDP 1434) não está a correr");
    case Estado::SemResposta: return std::nullopt;
    case Estado::Respondeu: break;
    }
    const std::string detalhes = resposta.bytes.substr(3);
    if (auto porta = portaNaResposta(detalhes, instancia)) return porta;
    throw Erro(erros::LigacaoFalhou,
               "O serviço de instâncias de " + anfitriao + " não indica uma porta TCP para a instância " + instancia,
               detalhes);
}

std::optional<bool> SondaSqlServer::OfereceEncriptacao(const std::string& anfitriao, int porta, Prazo prazo)
{
    // The answer is one packet: its header says how long it is.
    const auto recebido = sistema::PerguntarTcp(anfitriao, porta, pedidoPrelogin(), prazo, [](const std::string& r) {
        return r.size() >= 8 && r.size() >= static_cast<std::size_t>((static_cast<unsigned char>(r[2]) << 8) |
                                                                     static_cast<unsigned char>(r[3]));
    });
    if (!recebido || static_cast<unsigned char>((*recebido)[0]) != kPacoteResposta) return std::nullopt;
    auto encriptacao = encriptacaoNaResposta(recebido->substr(8));
    if (!encriptacao) return std::nullopt;
    return *encriptacao != kEncriptacaoNaoSuportada;
}

}  // namespace quorvelanti
