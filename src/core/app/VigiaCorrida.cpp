#include "VigiaCorrida.h"

#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

// The address without its path, which for these services is the check's secret.
std::string servidorDe(const std::string& url)
{
    const std::size_t esquema = url.find("://");
    const std::size_t inicio = esquema == std::string::npos ? 0 : esquema + 3;
    return url.substr(0, url.find('/', inicio));
}

// The log's line for a ping that went wrong; none for one the service took.
std::string aviso(const std::string& falha) { return falha.empty() ? "" : "Aviso: " + falha; }

}  // namespace

void AvisarInicioVigia(ContextoExecucao& ctx)
{
    if (!ctx.UrlVigia.empty()) ctx.AvisarSePossivel(aviso(VigiaCorrida(ctx.UrlVigia, ctx.CertificadoVigia).Inicio()));
}

void AvisarFimVigia(ContextoExecucao& ctx, int estado)
{
    if (ctx.UrlVigia.empty()) return;
    std::string corpo;
    if (estado != 0)
        for (const auto& linha : ctx.UltimasLinhas) corpo += linha + "\n";
    ctx.AvisarSePossivel(aviso(VigiaCorrida(ctx.UrlVigia, ctx.CertificadoVigia).Fim(estado, corpo)));
}

VigiaCorrida::VigiaCorrida(std::string url, std::string certificadoCA)
    : url_(std::move(url)), http_(std::move(certificadoCA), SegundosMaximos)
{
    while (!url_.empty() && url_.back() == '/') url_.pop_back();
}

std::string VigiaCorrida::Inicio() { return enviar("start", ""); }

std::string VigiaCorrida::Fim(int estado, const std::string& ultimasLinhas)
{
    return enviar(std::to_string(estado), ultimasLinhas);
}

std::string VigiaCorrida::Verificar() { return enviar("log", "quorvelanti --verificar"); }

std::string VigiaCorrida::enviar(const std::string& sufixo, const std::string& corpo)
{
    const std::string onde = "a vigia " + servidorDe(url_) + " (" + sufixo + ")";
    if (url_.rfind("https://", 0) != 0) return onde + " não foi avisada: UrlVigia tem de começar por https://";
    const RespostaHttps r = http_.Executar(
        {.metodo = "POST", .url = url_ + "/" + sufixo, .tipo = "text/plain; charset=utf-8", .corpo = corpo});
    if (r.estado >= 200 && r.estado < 300) return "";
    if (r.estado != 0) return onde + " recusou o aviso: HTTP " + std::to_string(r.estado);
    return onde + " não respondeu em " + std::to_string(SegundosMaximos) + " s: " + r.falha;
}

}  // namespace quorvelanti
