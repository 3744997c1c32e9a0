#include "ChavesParametros.h"

#include <algorithm>
#include <set>

#include "components/files/LeitorIni.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

// The kinds of section the program reads, and the keys each one holds.
enum class Lugar { Empresa, Email, Smtp, Log };

struct ChavesDoLugar {
    Lugar lugar;
    const char* aQuem;  // how a person is told where a key belongs: "pertence " + aQuem
    std::vector<const char*> chaves;
};

const std::vector<ChavesDoLugar>& lugares()
{
    // clang-format off
    static const std::vector<ChavesDoLugar> tabela{
        {Lugar::Empresa, "à secção de cada empresa",
         {"Servidor", "Empresa", "Username", "Password", "Motor", "DriverODBC", "TimeoutLigacao", "TimeoutConsulta",
          "Encriptacao", "DestinoAdm", "DestinoVnd", "DestinoEnc", "GrupoPortes", "EmpresaExt", "ServidorExt",
          "UsernameExt", "PasswordExt", "LigacoesConsulta", "AtrasoSimulado"}},
        {Lugar::Email, "a [email]", {"Assunto", "Resumo", "ResumoLinhas"}},
        {Lugar::Smtp, "a [SMTP]",
         {"emailEmissor", "Servidor", "Porta", "Seguranca", "CertificadoCA", "Utilizador", "Password", "Autenticacao",
          "OAuthInquilino", "OAuthUrlToken", "OAuthCliente", "OAuthAmbito", "OAuthSegredo", "OAuthCertificado",
          "OAuthChavePrivada", "OAuthContaServico", "Timeout", "Tentativas", "NomeCliente", "PastaSaida",
          "MensagensPorLigacao", "MensagensPorMinuto", "Transporte", "UrlApi"}},
        {Lugar::Log, "a [Log]", {"Directoria", "AvisoFalha", "ContinuarAposFalha", "UrlVigia", "CertificadoCA", "PastaMetricas"}},
    };
    // clang-format on
    return tabela;
}

bool tem(const ChavesDoLugar& l, const std::string& chave)
{
    return std::any_of(l.chaves.begin(), l.chaves.end(),
                       [&](const char* c) { return texto::IguaisSemCaixa(c, chave); });
}

// What the program reads a section as: none, one or (for a company named like a global
// section) two kinds.
std::set<Lugar> lugaresDa(const std::string& seccao, const std::vector<std::string>& empresas)
{
    std::set<Lugar> lidos;
    for (const auto& empresa : empresas)
        if (texto::IguaisSemCaixa(empresa, seccao)) lidos.insert(Lugar::Empresa);
    for (const auto& [lugar, nome] : {std::pair{Lugar::Email, "email"}, {Lugar::Smtp, "SMTP"}, {Lugar::Log, "Log"}})
        if (texto::IguaisSemCaixa(nome, seccao)) lidos.insert(lugar);
    return lidos;
}

// "a [Log]", or "a [SMTP] ou à secção de cada empresa"; "" for a key the program does not know.
std::string ondePertence(const std::string& chave)
{
    std::string onde;
    for (const auto& l : lugares())
        if (tem(l, chave)) onde += (onde.empty() ? "" : " ou ") + std::string(l.aQuem);
    return onde;
}

bool lidaEm(const std::set<Lugar>& lidos, const std::string& chave)
{
    return std::any_of(lugares().begin(), lugares().end(),
                       [&](const ChavesDoLugar& l) { return lidos.count(l.lugar) && tem(l, chave); });
}

std::string nomeSeccao(const std::string& seccao)
{
    return seccao.empty() ? std::string("(antes da primeira secção)") : "[" + seccao + "]";
}

ChavesParametros::Achado deslocada(const LeitorIni::Chave& c, const std::string& onde)
{
    const std::string aqui = c.seccao.empty() ? "antes da primeira secção" : "em [" + c.seccao + "]";
    return {ChavesParametros::Tipo::Deslocada, c.seccao, c.chave, "a chave não é lida " + aqui + "; pertence " + onde};
}

// A section the program does not read: a key of a section it reads is misplaced; any other
// key only makes the section worth a word, once.
void examinarNaoLida(const LeitorIni::Chave& c, const std::string& onde, std::vector<ChavesParametros::Achado>& achados,
                     std::set<std::string>& ditas)
{
    using Tipo = ChavesParametros::Tipo;
    const bool daEmpresa = tem(lugares().front(), c.chave);
    if (!onde.empty() && !daEmpresa) return achados.push_back(deslocada(c, onde));
    if (!ditas.insert(texto::MinusculasAscii(c.seccao)).second) return;
    achados.push_back({Tipo::NaoLida, c.seccao, "",
                       "secção que o programa não lê (não é uma empresa da lista [EMPRESAS], nem [email], [SMTP] "
                       "ou [Log])"});
}

}  // namespace

std::string ChavesParametros::Achado::Assunto() const
{
    return nomeSeccao(seccao) + (chave.empty() ? "" : " " + chave);
}

std::vector<ChavesParametros::Achado> ChavesParametros::Examinar(const LeitorIni& ini,
                                                                 const std::vector<std::string>& empresas)
{
    std::vector<Achado> achados;
    std::set<std::string> naoLidasDitas;
    for (const auto& c : ini.Chaves()) {
        if (texto::IguaisSemCaixa(c.seccao, "EMPRESAS")) continue;
        const std::set<Lugar> lidos = lugaresDa(c.seccao, empresas);
        const std::string onde = ondePertence(c.chave);
        if (lidos.empty())
            examinarNaoLida(c, onde, achados, naoLidasDitas);
        else if (onde.empty())
            achados.push_back({Tipo::Desconhecida, c.seccao, c.chave, "chave que o programa não lê (ignorada)"});
        else if (!lidaEm(lidos, c.chave))
            achados.push_back(deslocada(c, onde));
    }
    return achados;
}

}  // namespace quorvelanti
