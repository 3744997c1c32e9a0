#include "DefinicoesApi.h"

#include "data/Erro.h"
#include "data/Texto.h"

namespace quorvelanti {

namespace {

constexpr const char* kSeccao = "SMTP";

DefinicoesApi::Transporte lerTransporte(const std::string& valor)
{
    using T = DefinicoesApi::Transporte;
    const std::string v = texto::MinusculasAscii(texto::Aparar(valor));
    if (v.empty() || v == "smtp") return T::Smtp;
    if (v == "graph") return T::Graph;
    if (v == "gmail") return T::Gmail;
    throw Erro(erros::CorreioConfiguracao,
               "Valor inválido na chave [SMTP] Transporte: \"" + valor + "\" (smtp, graph ou gmail)");
}

}  // namespace

DefinicoesApi DefinicoesApi::Ler(const LeitorIni& ini)
{
    DefinicoesApi api;
    api.transporte = lerTransporte(ini.LerValor(kSeccao, "Transporte"));
    if (api.transporte == Transporte::Smtp) return api;
    api.url = texto::Aparar(ini.LerValor(kSeccao, "UrlApi"));
    if (api.url.empty())
        api.url =
            api.transporte == Transporte::Graph ? "https://graph.microsoft.com/v1.0" : "https://gmail.googleapis.com";
    if (texto::MinusculasAscii(api.url).rfind("https://", 0) != 0)
        throw Erro(erros::CorreioConfiguracao,
                   "A chave [SMTP] UrlApi tem de ser um endereço https: \"" + api.url +
                       "\" (o token de acesso segue em cada pedido; corrija [SMTP] UrlApi)");
    while (api.url.size() > 8 && api.url.back() == '/') api.url.pop_back();
    return api;
}

std::string DefinicoesApi::AmbitoPredefinido() const
{
    return transporte == Transporte::Graph ? "https://graph.microsoft.com/.default"
                                           : "https://www.googleapis.com/auth/gmail.send";
}

std::string DefinicoesApi::Nome() const
{
    return transporte == Transporte::Graph ? "graph" : transporte == Transporte::Gmail ? "gmail" : "smtp";
}

}  // namespace quorvelanti
