// The program killed (SIGKILL) in the middle of a daily or weekly run of a larger company that
// mails to a pickup folder: what it leaves under a final name must be whole, every log line
// written so far must be in the file, and the next run must go through, removing the temporary
// files left behind but not those of a run still going. Told to stop (SIGTERM) instead, the run
// removes its temporary files itself and says why in the log.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "Cenario.h"
#include "ProcessoEmCurso.h"
#include "ServidorSmtp.h"
#include "components/files/FicheiroTemporario.h"

namespace fs = std::filesystem;

namespace {

using falhas::Contem;

bool terminaEm(const std::string& nome, const std::string& fim)
{
    return nome.size() >= fim.size() && nome.compare(nome.size() - fim.size(), fim.size(), fim) == 0;
}

// A workbook in memory whose writer is done, so one waiting for its mail: its last bytes are the
// zip's closing record. A file gone meanwhile is not one.
bool livroPorEnviar(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    char fim[4] = {};
    return falhas::LivroEmMemoria(caminho) && f.seekg(-22, std::ios::end) && f.read(fim, 4) &&
           std::string(fim, 4) == "PK\x05\x06";
}

bool mensagemFinal(const std::string& caminho)
{
    return fs::path(caminho).filename().string()[0] != '.' && terminaEm(caminho, ".eml");
}

struct MomentoDaMorte {
    std::string nome;
    std::string modo;   // "/S" or "/3S"
    std::string pasta;  // "saida", or "memoria" (the process's descriptors): where to watch
    std::function<bool(const std::string&)> visto;  // on the path of a file there
    int sinal = SIGKILL;
};

std::ostream& operator<<(std::ostream& os, const MomentoDaMorte& m) { return os << m.nome; }

class ProcessoMorto : public ::testing::TestWithParam<MomentoDaMorte> {
protected:
    // One generated company for the whole suite, copied into each scene.
    static void SetUpTestSuite()
    {
        modelo = new falhas::Cenario;
        modelo->EmpresaGerada("grande.db", 30000);
    }
    static void TearDownTestSuite()
    {
        delete modelo;
        modelo = nullptr;
    }

    void SetUp() override
    {
        fs::copy_file(modelo->Dorvam() + "/grande.db", cenario.Dorvam() + "/grande.db");
        fs::create_directories(saida());
        const std::string parametros =
            "[EMPRESAS]\r\nG\r\n[FIM]\r\n" +
            falhas::Cenario::Seccao("G", "grande.db", "DestinoEnc=compras@emp.pt\r\n" + vendedores()) +
            cenario.Globais("PastaSaida=" + saida() + "\r\n");
        cenario.Parametros(parametros, ficheiroParametros());
    }

    static std::string ficheiroParametros()
    {
        return GetParam().modo == "/3S" ? "MapaEncSemana.qel" : "Quorvelanti.qel";
    }

    static std::string vendedores()
    {
        std::string lista = "DestinoVnd=";
        for (int i = 1; i <= 12; ++i) lista += (i > 1 ? "," : "") + codigoVendedor(i) + ",v" + std::to_string(i) + "@emp.pt";
        return lista + "\r\n";
    }
    // The generator numbers its salespeople V01, V02, ...
    static std::string codigoVendedor(int i) { return (i < 10 ? "V0" : "V") + std::to_string(i); }

    std::string saida() const { return cenario.Base() + "/saida"; }

    bool algumVisto(const std::string& pasta, const std::function<bool(const std::string&)>& visto) const
    {
        for (const auto& nome : apoio::Ficheiros(pasta))
            if (visto(pasta + "/" + nome)) return true;
        return false;
    }

    // Names that start with ".": temporary files.
    static std::vector<std::string> ocultos(const std::string& pasta)
    {
        std::vector<std::string> nomes;
        for (const auto& nome : apoio::Ficheiros(pasta))
            if (nome[0] == '.') nomes.push_back(nome);
        return nomes;
    }

    // Final names only: a name that starts with "." is a temporary one.
    static std::vector<std::string> finais(const std::string& pasta, const std::string& extensao)
    {
        std::vector<std::string> caminhos;
        for (const auto& nome : apoio::Ficheiros(pasta))
            if (nome[0] != '.' && terminaEm(nome, extensao)) caminhos.push_back(pasta + "/" + nome);
        return caminhos;
    }

    static falhas::Cenario* modelo;
    falhas::Cenario cenario;
};
falhas::Cenario* ProcessoMorto::modelo = nullptr;

TEST_P(ProcessoMorto, NadaFicaAMeioSobUmNomeFinal)
{
    const MomentoDaMorte& m = GetParam();
    {
        falhas::ProcessoEmCurso p({apoio::Programa(), m.modo}, cenario.Ambiente(), cenario.Base() + "/corrida");
        const std::string pasta = m.pasta == "saida" ? saida() : "/proc/" + std::to_string(p.Pid()) + "/fd";
        bool aCorrer = true;
        while (aCorrer && !algumVisto(pasta, m.visto)) aCorrer = p.Esperar(std::chrono::milliseconds(1));
        ASSERT_TRUE(aCorrer) << "the run ended before the moment came: " << apoio::LerBytes(cenario.Base() + "/corrida.err");
        p.Sinalizar(m.sinal);
        ASSERT_EQ(p.Terminar(), 128 + m.sinal);
    }
    if (m.sinal != SIGKILL) {
        EXPECT_TRUE(ocultos(cenario.PastaLog()).empty());
        EXPECT_TRUE(ocultos(saida()).empty());
        EXPECT_TRUE(Contem(cenario.MensagensRegisto().back(), "Corrida interrompida pelo sinal SIGTERM"));
    }

    EXPECT_EQ(falhas::ZipsIncompletos(finais(cenario.PastaLog(), ".xlsx")), "");
    const auto emls = finais(saida(), ".eml");
    std::vector<std::string> brutos;
    for (const auto& e : emls) brutos.push_back(apoio::LerBytes(e));
    std::vector<std::string> anexos;
    int n = 0;
    for (const auto& correio : brutos.empty() ? std::vector<apoio::CorreioLido>{} : apoio::LerCorreios(brutos)) {
        EXPECT_TRUE(correio.defeitos.empty()) << emls[n];
        ASSERT_EQ(correio.anexos.size(), 1u) << emls[n];
        anexos.push_back(cenario.Base() + "/anexo" + std::to_string(n++) + ".xlsx");
        apoio::EscreverBytes(anexos.back(), correio.anexos[0].bytes);
    }
    EXPECT_EQ(falhas::ZipsIncompletos(anexos), "");
    const auto mensagens = cenario.MensagensRegisto();  // whole CRLF lines, each stamped
    ASSERT_GE(mensagens.size(), 2u);
    EXPECT_EQ(mensagens[1], "Emissão Mapas");
    EXPECT_EQ(cenario.LerParametros(ficheiroParametros()), cenario.ParametrosEscritos());

    // The kernel dropped the killed run's lock; what it left behind does not stop the next one,
    // which removes it, but not the temporary file another run is writing meanwhile.
    quorvelanti::FicheiroTemporario deOutraCorrida(cenario.PastaLog() + "/outra.xlsx");
    const auto r = cenario.Correr(m.modo);
    EXPECT_EQ(r.estado, 0) << r.erros;
    EXPECT_EQ(cenario.MensagensRegisto().back(), "Emissão Mapas terminada");
    EXPECT_EQ(ocultos(cenario.PastaLog()), std::vector<std::string>{fs::path(deOutraCorrida.Caminho()).filename()});
    EXPECT_TRUE(ocultos(saida()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Momentos, ProcessoMorto,
    ::testing::Values(
        MomentoDaMorte{"AEscreverUmLivro", "/S", "memoria", falhas::LivroEmMemoria},
        MomentoDaMorte{"ComUmLivroPorEnviar", "/S", "memoria", livroPorEnviar},
        MomentoDaMorte{"DepoisDoPrimeiroCorreio", "/S", "saida", mensagemFinal},
        MomentoDaMorte{"SemanalAEscreverUmLivro", "/3S", "memoria", falhas::LivroEmMemoria},
        MomentoDaMorte{"SemanalDepoisDoPrimeiroCorreio", "/3S", "saida", mensagemFinal},
        MomentoDaMorte{"InterrompidoAEscreverUmLivro", "/S", "memoria", falhas::LivroEmMemoria, SIGTERM}),
    [](const ::testing::TestParamInfo<MomentoDaMorte>& info) { return info.param.nome; });

}  // namespace
