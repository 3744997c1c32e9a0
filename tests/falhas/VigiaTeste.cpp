// A night's dead man's switch ([Log] UrlVigia) against a loopback HTTPS service on a private
// certificate: /start and /0 for a good night, /start and /1 with the failure's lines for a failed
// one; a service that never answers costs the night its few seconds a ping and one log line each.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "Cenario.h"
#include "ServidorSmtp.h"

namespace {

using falhas::Contem;

// tests/apoio/servidor_vigia.py on a free port, its check at /ping/abc.
class Vigia {
public:
    explicit Vigia(bool mudo)
    {
        certificado_ = apoio::CertificadoAutoAssinado(pasta_);
        std::vector<std::string> a{apoio::Python(), apoio::Fonte("tests/apoio/servidor_vigia.py"), "--pasta",
                                   pasta_.Caminho(), "--certificado", certificado_, "--chave", pasta_ / "chave.pem"};
        if (mudo) a.push_back("--mudo");
        pid_ = apoio::LancarServidor(a, pasta_, "vigia");
        url_ = "https://127.0.0.1:" + apoio::LerBytes(pasta_ / "porta") + "/ping/abc";
    }
    ~Vigia() { apoio::PararServidor(pid_); }
    Vigia(const Vigia&) = delete;
    Vigia& operator=(const Vigia&) = delete;

    std::string Chaves() const { return "UrlVigia=" + url_ + "\r\nCertificadoCA=" + certificado_ + "\r\n"; }
    // "METHOD path body" per request, in the order they came.
    std::vector<std::string> Pedidos() const
    {
        std::vector<std::string> linhas;
        const std::string texto = apoio::Existe(pasta_ / "pedidos.txt") ? apoio::LerBytes(pasta_ / "pedidos.txt") : "";
        for (std::size_t i = 0, f; (f = texto.find('\n', i)) != std::string::npos; i = f + 1)
            linhas.push_back(texto.substr(i, f - i));
        return linhas;
    }

private:
    apoio::PastaTemporaria pasta_;
    std::string certificado_, url_;
    int pid_ = 0;
};

std::string parametros(const falhas::Cenario& c, const std::string& empresas, const Vigia& vigia)
{
    std::filesystem::create_directories(c.Base() + "/saida");
    return "[EMPRESAS]\r\n" + empresas + "[FIM]\r\n" + falhas::Cenario::Seccao("A", "a.db") +
           falhas::Cenario::Seccao("B", "nao-existe.db") + c.Globais("PastaSaida=" + c.Base() + "/saida\r\n") +
           vigia.Chaves();
}

}  // namespace

TEST(VigiaDaNoite, InicioEFimDeUmaNoiteBoaEDeUmaQueFalha)
{
    Vigia vigia(false);
    falhas::Cenario boa;
    boa.EmpresaVazia("a.db");
    boa.Parametros(parametros(boa, "A\r\n", vigia));
    EXPECT_EQ(boa.Correr().estado, 0);
    EXPECT_EQ(vigia.Pedidos(), (std::vector<std::string>{"POST /ping/abc/start ", "POST /ping/abc/0 "}));

    falhas::Cenario ma;
    ma.EmpresaVazia("a.db");
    ma.Parametros(parametros(ma, "A\r\nB\r\n", vigia));
    EXPECT_EQ(ma.Correr().estado, 1);
    const auto pedidos = vigia.Pedidos();
    ASSERT_EQ(pedidos.size(), 4u);
    EXPECT_EQ(pedidos[2], "POST /ping/abc/start ");
    EXPECT_EQ(pedidos[3].rfind("POST /ping/abc/1 ", 0), 0u) << pedidos[3];
    EXPECT_TRUE(Contem(pedidos[3], "Emissão Mapas\\n")) << pedidos[3];
    EXPECT_TRUE(Contem(pedidos[3], "empresa B")) << pedidos[3];
}

TEST(VigiaDaNoite, ServicoMudoCustaPoucosSegundosEUmaLinha)
{
    Vigia vigia(true);
    falhas::Cenario c;
    c.EmpresaVazia("a.db");
    c.Parametros(parametros(c, "A\r\n", vigia));
    const auto inicio = std::chrono::steady_clock::now();
    EXPECT_EQ(c.Correr().estado, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(20));
    int avisos = 0;
    for (const auto& linha : c.MensagensRegisto()) avisos += Contem(linha, "não respondeu em 5 s");
    EXPECT_EQ(avisos, 2);  // the start and the end
}
