#include "DefinicoesApi.h"

namespace quorvelanti {

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
