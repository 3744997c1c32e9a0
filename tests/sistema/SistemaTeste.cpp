// The operating system layer's contract, the same on every system it is built for: this program
// runs natively on Linux and, cross-built, under Wine.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <thread>

#include "sistema/Sistema.h"

namespace fs = std::filesystem;
namespace sistema = quorvelanti::sistema;

namespace {

class Pasta {
public:
    Pasta() : caminho_(fs::temp_directory_path() / ("quorvelanti-sistema-" + std::to_string(sistema::IdProcesso())))
    {
        fs::remove_all(caminho_);
        fs::create_directories(caminho_);
    }
    ~Pasta() { fs::remove_all(caminho_); }
    std::string operator/(const std::string& nome) const { return (caminho_ / nome).string(); }
    std::string Texto() const { return caminho_.string(); }

private:
    fs::path caminho_;
};

std::string conteudo(const std::string& caminho)
{
    std::ifstream f(caminho, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

const sistema::PedidoAbertura kNovo{.escrever = true, .criar = true, .exclusivo = true, .modo = 0600};

}  // namespace

// A file is created once, written, read back at an offset, cut, synced; its attributes tell it
// from another; it can be renamed and removed while open, as the temporary files are.
TEST(Sistema, FicheiroCriadoEscritoLidoERenomeado)
{
    Pasta pasta;
    const std::string a = pasta / "a.txt", b = pasta / "b.txt", c = pasta / "c.txt";
    const int fd = sistema::Abrir(a, kNovo);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    EXPECT_EQ(sistema::Abrir(a, kNovo), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(sistema::EscreverTudo(fd, "linha um\nlinha dois\n"), 0);
    char lido[4] = {};
    EXPECT_EQ(sistema::LerEm(fd, lido, 4, 6), 4);
    EXPECT_EQ(std::string(lido, 4), "um\nl");
    EXPECT_EQ(sistema::Truncar(fd, 9), 0);
    EXPECT_EQ(sistema::Sincronizar(fd), 0);
    sistema::Atributos aberto, nomeado, outro;
    ASSERT_EQ(sistema::LerAtributos(fd, aberto), 0);
    ASSERT_EQ(sistema::LerAtributos(a, nomeado), 0);
    EXPECT_TRUE(aberto.regular);
    EXPECT_EQ(aberto.tamanho, 9);
    EXPECT_EQ(aberto.identificador, nomeado.identificador);
    EXPECT_EQ(aberto.dispositivo, nomeado.dispositivo);

    std::ofstream(b) << "outro";
    ASSERT_EQ(sistema::LerAtributos(b, outro), 0);
    EXPECT_NE(outro.identificador, aberto.identificador);
    EXPECT_EQ(sistema::DarNomeNovo(a, b), EEXIST) << "a new name never replaces";
    EXPECT_EQ(conteudo(b), "outro");
    EXPECT_EQ(sistema::DarNomeNovo(a, c), 0);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(sistema::Renomear(c, b), 0) << "a rename replaces, also while the file is open";
    EXPECT_EQ(conteudo(b), "linha um\n");
    EXPECT_EQ(sistema::Remover(b), 0);
    EXPECT_EQ(sistema::Fechar(fd), 0);
    EXPECT_FALSE(fs::exists(b));

    EXPECT_EQ(sistema::Abrir(pasta / "nenhum", {}), -1);
    EXPECT_EQ(errno, ENOENT);
    sistema::Atributos dela;
    EXPECT_EQ(sistema::LerAtributos(pasta.Texto(), dela), 0);
    EXPECT_TRUE(dela.pasta);
    EXPECT_EQ(sistema::SincronizarPasta(pasta.Texto()), 0);
    EXPECT_TRUE(sistema::PastaGravavel(pasta.Texto()));
}

// Appends go to the end whoever wrote before, so two writers of a log never overwrite each other.
TEST(Sistema, AcrescentarVaiSempreAoFim)
{
    Pasta pasta;
    const std::string registo = pasta / "registo.txt";
    const sistema::PedidoAbertura acrescentar{.escrever = true, .acrescentar = true, .criar = true};
    const int um = sistema::Abrir(registo, acrescentar), dois = sistema::Abrir(registo, acrescentar);
    ASSERT_GE(um, 0);
    ASSERT_GE(dois, 0);
    EXPECT_EQ(sistema::EscreverTudo(um, "1\n"), 0);
    EXPECT_EQ(sistema::EscreverTudo(dois, "2\n"), 0);
    EXPECT_EQ(sistema::EscreverTudo(um, "3\n"), 0);
    sistema::Fechar(um);
    sistema::Fechar(dois);
    EXPECT_EQ(conteudo(registo), "1\n2\n3\n");
}

// One holder of the lock at a time; the others are told at once, can still read and write the
// file, and take the lock once its holder closes.
TEST(Sistema, BloqueioExclusivoSemEspera)
{
    Pasta pasta;
    const std::string caminho = pasta / "corrida.lock";
    const int dono = sistema::Abrir(caminho, kNovo);
    const int outro = sistema::Abrir(caminho, {.escrever = true});
    ASSERT_GE(dono, 0);
    ASSERT_GE(outro, 0);
    EXPECT_EQ(sistema::BloquearSemEsperar(dono), 0);
    const auto inicio = std::chrono::steady_clock::now();
    EXPECT_EQ(sistema::BloquearSemEsperar(outro), EWOULDBLOCK);
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(1));
    EXPECT_EQ(sistema::EscreverTudo(outro, "escrito por outro"), 0);
    EXPECT_EQ(sistema::Sincronizar(outro), 0);
    EXPECT_EQ(sistema::Fechar(dono), 0);
    EXPECT_EQ(sistema::BloquearSemEsperar(outro), 0);
    sistema::Fechar(outro);
    EXPECT_EQ(conteudo(caminho), "escrito por outro");
}

// The program's folders and the local clock as the rest of the program relies on them.
TEST(Sistema, PastasDoProgramaEHoraLocal)
{
    EXPECT_TRUE(fs::exists(fs::path(sistema::PastaPrograma()) / sistema::NomeExecutavel("teste_sistema")));
    EXPECT_TRUE(sistema::PastaGravavel(sistema::PastaBloqueios()));
    EXPECT_FALSE(sistema::PastaBasePredefinida().empty());
    // The memory folder, where the system has one, takes files and turns down more than its room.
    const std::string memoria = sistema::PastaEmMemoria(0);
    if (!memoria.empty()) {
        EXPECT_TRUE(sistema::PastaGravavel(memoria));
    }
    EXPECT_EQ(sistema::PastaEmMemoria(std::numeric_limits<long long>::max()), "");

    const std::time_t agora = std::time(nullptr);
    const std::tm local = sistema::HoraLocal(agora);
    const std::tm utc = *std::gmtime(&agora);
    std::tm semDiaDaSemana = local;
    semDiaDaSemana.tm_wday = -1;
    const auto desvio = sistema::DesvioUtcMinutos(semDiaDaSemana);
    ASSERT_TRUE(desvio.has_value());
    EXPECT_EQ(semDiaDaSemana.tm_wday, local.tm_wday) << "the weekday is filled in";
    // The local and UTC calendar times of one instant differ by the offset.
    if (local.tm_year == utc.tm_year) {
        const long minutos = (local.tm_yday - utc.tm_yday) * 24 * 60 + (local.tm_hour - utc.tm_hour) * 60 +
                             (local.tm_min - utc.tm_min);
        EXPECT_EQ(minutos, *desvio);
    }
}

// A wake-up given before the wait is not lost, and one given from another thread ends the wait.
TEST(Sistema, DespertadorContaOsAvisos)
{
    sistema::Despertador despertador;
    despertador.Acordar();
    despertador.Esperar();
    std::thread fio;
    sistema::ComecarFioSemSinais(fio, [&] { despertador.Acordar(); });
    despertador.Esperar();
    fio.join();
}

// Questions to a host that does not exist or a port where nothing listens end without waiting
// for the deadline.
TEST(Sistema, PerguntasDeRedeSemResposta)
{
    const auto prazo = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const auto aceitar = [](const std::string&) { return true; };
    EXPECT_EQ(sistema::PerguntarUdp("nao-existe.invalid", 1434, "?", prazo, aceitar).estado,
              sistema::RespostaUdp::Estado::AnfitriaoDesconhecido);
    const auto recusada = sistema::PerguntarUdp("127.0.0.1", 9, "?", prazo, aceitar);
    EXPECT_EQ(recusada.estado, sistema::RespostaUdp::Estado::Recusou);
    EXPECT_FALSE(sistema::PerguntarTcp("127.0.0.1", 9, "?", prazo, aceitar).has_value());
    EXPECT_LT(std::chrono::steady_clock::now(), prazo);
}

// A command as TextoComando writes it, run by this system's own interpreter (std::system: the
// shell, cmd), gives the program its variables and words, whatever characters they hold.
TEST(Sistema, ComandoEscritoLidoPeloInterpretador)
{
    Pasta pasta;
    const std::string saida = pasta / "saida.txt";
#ifdef _WIN32
    const std::string programa = pasta / "mostrar r&d.bat", fim = "\r\n";
    std::ofstream(programa, std::ios::binary) << "@setlocal EnableDelayedExpansion\r\n"
                            << "@echo !QUORVELANTI_A!;!QUORVELANTI_B!;%~1>\"" << saida << "\"\r\n";
#else
    const std::string programa = pasta / "mostrar r&d", fim = "\n";
    std::ofstream(programa, std::ios::binary) << "#!/bin/sh\nprintf '%s\\n' \"$QUORVELANTI_A;$QUORVELANTI_B;$1\" > '" << saida << "'\n";
    fs::permissions(programa, fs::perms::owner_all);
#endif
    const sistema::ComandoEscrito comando{{{"QUORVELANTI_A", "1"}, {"QUORVELANTI_B", "D:\\base d'Ana & co"}},
                                          {programa, "/3S"}};
    ASSERT_EQ(std::system(sistema::TextoComando(comando).c_str()), 0) << sistema::TextoComando(comando);
    EXPECT_EQ(conteudo(saida), "1;D:\\base d'Ana & co;/3S" + fim);
}
