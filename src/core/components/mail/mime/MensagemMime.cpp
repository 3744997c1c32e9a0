#include "MensagemMime.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "MensagemCodificacao.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti::mensagem {

namespace {

constexpr const char* kTipoLivro = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

std::string cabecalhosTexto(const char* subtipo = "plain")
{
    return std::string("Content-Type: text/") + subtipo +
           "; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n";
}

// The text, or with an HTML rendering the two as alternatives, headers included.
std::string parteCorpo(const ConteudoMensagem& c)
{
    const std::string texto = cabecalhosTexto() + "\r\n" + QuotedPrintable(texto::Saneado(c.corpo)) + "\r\n";
    if (c.html.empty()) return texto;
    // Neither boundary begins the other, so no reader mistakes one for the other.
    const std::string fronteira = "=_quorvelanti.alt." + c.unico;
    return "Content-Type: multipart/alternative;\r\n boundary=\"" + fronteira + "\"\r\n\r\n" + "--" + fronteira +
           "\r\n" + texto + "--" + fronteira + "\r\n" + cabecalhosTexto("html") + "\r\n" +
           QuotedPrintable(texto::Saneado(c.html)) + "\r\n--" + fronteira + "--\r\n";
}

std::string prioridade(int valor)
{
    if (valor > 0) return "X-Priority: 1\r\nImportance: high\r\n";
    if (valor < 0) return "X-Priority: 5\r\nImportance: low\r\n";
    return "";
}

std::string parteAnexo(const ConteudoMensagem& c)
{
    return std::string("Content-Type: ") + kTipoLivro + ";\r\n " + Parametro("name", c.nomeAnexo) + "\r\n" +
           "Content-Transfer-Encoding: base64\r\n"
           "Content-Disposition: attachment;\r\n " +
           Parametro("filename", c.nomeAnexo) + "\r\n\r\n" + Base64(c.bytesAnexo, true);
}

}  // namespace

std::string DataRfc5322(const DataHora& data)
{
    static constexpr const char* kDias[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMeses[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // The local time's weekday and the zone's offset then.
    std::tm t = data.CamposTm();
    const std::optional<long> desvioZona = sistema::DesvioUtcMinutos(t);
    const bool conhecido = desvioZona.has_value();
    const long desvio = desvioZona.value_or(0);
    char texto[64];
    std::snprintf(texto, sizeof texto, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDias[t.tm_wday % 7], data.Dia(),
                  kMeses[data.Mes() - 1], data.Ano(), data.Hora(), data.Minuto(), data.Segundo(),
                  desvio < 0 || !conhecido ? '-' : '+', std::labs(desvio) / 60, std::labs(desvio) % 60);
    return texto;
}

std::string IdMensagem(const ConteudoMensagem& c)
{
    return "<" + c.data.Formatar("yyyymmddhhmmss") + "." + c.unico + "@" + Dominio(c.remetente.endereco) + ">";
}

std::string ComporMensagem(const ConteudoMensagem& c)
{
    std::string m = "Date: " + DataRfc5322(c.data) + "\r\n";
    m += CabecalhoEnderecos("From", {c.remetente});
    if (!c.para.empty()) m += CabecalhoEnderecos("To", c.para);
    if (!c.copia.empty()) m += CabecalhoEnderecos("Cc", c.copia);
    m += "Message-ID: " + IdMensagem(c) + "\r\n";
    // Subject and body carry data of any origin: only characters every reader takes go out.
    m += CabecalhoNaoEstruturado("Subject", texto::Saneado(c.assunto));
    m += prioridade(c.prioridade);
    m += "MIME-Version: 1.0\r\n";
    if (c.nomeAnexo.empty()) return m + parteCorpo(c);

    // "=_" cannot occur in quoted-printable or Base64 text, so the boundary never collides.
    std::string fronteira = "=_quorvelanti." + c.unico;
    m += "Content-Type: multipart/mixed;\r\n boundary=\"" + fronteira + "\"\r\n\r\n";
    m += "--" + fronteira + "\r\n" + parteCorpo(c);
    m += "--" + fronteira + "\r\n" + parteAnexo(c);
    return m + "--" + fronteira + "--\r\n";
}

}  // namespace quorvelanti::mensagem
