#include "FicheiroMetricas.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "components/files/FicheiroTemporario.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

const char* const UltimoSucesso = "quorvelanti_company_last_success_timestamp_seconds";

double segundos(MetricasCorrida::Instante t) { return std::chrono::duration<double>(t.time_since_epoch()).count(); }

std::string numero(double valor)
{
    char texto[32];
    std::snprintf(texto, sizeof texto, "%.3f", valor);
    std::string s = texto;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

// A label value as the text format writes it: backslash, double quote and line feed escaped.
std::string rotulo(const std::string& valor)
{
    std::string s;
    for (char c : valor) {
        if (c == '\\' || c == '"') s += '\\';
        if (c == '\n') {
            s += "\\n";
            continue;
        }
        s += c;
    }
    return s;
}

// One metric family: its HELP and TYPE lines, then its samples.
class Familia {
public:
    Familia(std::string nome, const std::string& tipo, const std::string& ajuda) : nome_(std::move(nome))
    {
        texto_ = "# HELP " + nome_ + " " + ajuda + "\n# TYPE " + nome_ + " " + tipo + "\n";
    }
    void Amostra(const std::string& rotulos, double valor)
    {
        texto_ += nome_ + "{" + rotulos + "} " + numero(valor) + "\n";
    }
    const std::string& Texto() const { return texto_; }

private:
    std::string nome_, texto_;
};

std::string rotulosEmpresa(const std::string& conjunto, const std::string& empresa)
{
    return "set=\"" + rotulo(conjunto) + "\",company=\"" + rotulo(empresa) + "\"";
}

std::string lerSeExiste(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    std::ostringstream texto;
    texto << f.rdbuf();
    return texto.str();
}

long livrosEm(const std::string& pasta)
{
    long n = 0;
    std::error_code erro;
    for (const auto& f : std::filesystem::directory_iterator(pasta, erro))
        n += f.path().extension() == ".xlsx" && f.path().filename().string()[0] != '.';
    return n;
}

}  // namespace

std::map<std::string, double> SucessosAnteriores(const std::string& texto)
{
    std::map<std::string, double> sucessos;
    const std::string inicio = std::string(UltimoSucesso) + "{";
    for (std::size_t i = 0, f; i < texto.size(); i = f + 1) {
        f = texto.find('\n', i);
        if (f == std::string::npos) f = texto.size();
        const std::string linha = texto.substr(i, f - i);
        const std::size_t c = linha.find("company=\"");
        if (linha.rfind(inicio, 0) != 0 || c == std::string::npos) continue;
        std::string empresa;
        std::size_t k = c + 9;
        for (; k < linha.size() && linha[k] != '"'; ++k) {
            char c = linha[k];
            if (c == '\\' && k + 1 < linha.size()) {
                c = linha[++k];
                if (c == 'n') c = '\n';
            }
            empresa += c;
        }
        const std::size_t espaco = linha.rfind(' ');
        if (espaco == std::string::npos || espaco < k) continue;
        try {
            sucessos[empresa] = std::stod(linha.substr(espaco + 1));
        } catch (const std::exception&) {
            // a line of another writer: not ours to carry over
        }
    }
    return sucessos;
}

std::string TextoMetricas(const FimCorrida& fim, const std::map<std::string, double>& sucessosAnteriores)
{
    const std::string corrida = "set=\"" + rotulo(fim.conjunto) + "\"";
    Familia inicioCorrida("quorvelanti_run_start_timestamp_seconds", "gauge", "When the run started.");
    Familia fimCorrida("quorvelanti_run_end_timestamp_seconds", "gauge", "When the run ended.");
    Familia duracao("quorvelanti_run_duration_seconds", "gauge", "How long the run took.");
    Familia estado("quorvelanti_run_exit_status", "gauge", "The run's exit status (0 success).");
    Familia livros("quorvelanti_run_workbooks_left", "gauge", "Workbooks left in the log folder at the end.");
    inicioCorrida.Amostra(corrida, segundos(fim.metricas.Inicio()));
    fimCorrida.Amostra(corrida, segundos(fim.fim));
    duracao.Amostra(corrida, segundos(fim.fim) - segundos(fim.metricas.Inicio()));
    estado.Amostra(corrida, fim.estado);
    livros.Amostra(corrida, static_cast<double>(fim.livrosNaPasta));

    Familia inicioEmpresa("quorvelanti_company_start_timestamp_seconds", "gauge", "When the company's turn started.");
    Familia fimEmpresa("quorvelanti_company_end_timestamp_seconds", "gauge", "When the company's turn ended.");
    Familia duracaoEmpresa("quorvelanti_company_duration_seconds", "gauge", "How long the company's turn took.");
    Familia estadoEmpresa("quorvelanti_company_exit_status", "gauge",
                          "0 when the company went through, else the exit status its failure gives.");
    Familia enviadas("quorvelanti_company_messages_sent_total", "counter", "Messages delivered in this run.");
    Familia recusadas("quorvelanti_company_messages_refused_total", "counter",
                      "Messages of this run delivered with some recipients refused.");
    Familia incertas("quorvelanti_company_messages_uncertain_total", "counter",
                     "Messages of this run whose delivery the server never confirmed.");
    Familia sucesso(UltimoSucesso, "gauge", "When the company last went through.");
    std::map<std::string, double> sucessos = sucessosAnteriores;
    for (const auto& [nome, e] : fim.metricas.Empresas()) {
        const std::string r = rotulosEmpresa(fim.conjunto, nome);
        const MetricasCorrida::Instante acabou = e.terminou ? e.fim : fim.fim;
        const int saida = e.terminou ? e.estado : fim.estado;
        inicioEmpresa.Amostra(r, segundos(e.inicio));
        fimEmpresa.Amostra(r, segundos(acabou));
        duracaoEmpresa.Amostra(r, segundos(acabou) - segundos(e.inicio));
        estadoEmpresa.Amostra(r, saida);
        enviadas.Amostra(r, static_cast<double>(e.enviadas));
        recusadas.Amostra(r, static_cast<double>(e.recusadas));
        incertas.Amostra(r, static_cast<double>(e.incertas));
        if (e.terminou && e.estado == 0) sucessos[nome] = segundos(e.fim);
    }
    for (const auto& [nome, quando] : sucessos) sucesso.Amostra(rotulosEmpresa(fim.conjunto, nome), quando);

    std::string texto;
    for (const Familia* f : {&inicioCorrida, &fimCorrida, &duracao, &estado, &livros, &inicioEmpresa, &fimEmpresa,
                             &duracaoEmpresa, &estadoEmpresa, &enviadas, &recusadas, &incertas, &sucesso})
        texto += f->Texto();
    return texto;
}

void EscreverMetricas(ContextoExecucao& ctx, int estado)
{
    if (ctx.PastaMetricas.empty()) return;
    const std::string conjunto = ctx.ModoSemanal() ? "semanal" : "diario";
    const std::string caminho = ctx.PastaMetricas + "quorvelanti_" + conjunto + ".prom";
    try {
        const std::string anterior = std::filesystem::is_regular_file(caminho) ? lerSeExiste(caminho) : "";
        const FimCorrida fim{conjunto, ctx.Metricas, ctx.relogio.AgoraReal(), estado,
                             ctx.PastaLog.empty() ? 0 : livrosEm(ctx.PastaLog)};
        FicheiroTemporario temporario(caminho, 0644);
        temporario.Escrever(TextoMetricas(fim, SucessosAnteriores(anterior)));
        temporario.Substituir();
    } catch (const std::exception& e) {
        ctx.AvisarSePossivel("Aviso: as métricas não foram gravadas em " + caminho + ": " +
                             Erro::De(e).DescricaoCompleta());
    }
}

}  // namespace quorvelanti
