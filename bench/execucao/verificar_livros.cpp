// bench_verificar_livros FOLDER
//
// The cost of proving a run's workbooks whole (PacoteXlsx, which the program runs on every
// workbook before it is mailed or kept, one for the run): every .xlsx of the folder (executar.py leaves the
// run's workbooks there) is read into memory first, then proven, and only the proof is timed.
// Prints one line of key=value pairs:
//   livros=2421 bytes=16012345 cpu=0.412 parede=0.420
// Exit status 1 when a workbook is refused (named on stderr), 2 for a wrong command line.
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "data/Erro.h"
#include "components/files/PacoteXlsx.h"

using namespace quorvelanti;

namespace {

struct Livro {
    std::string nome;
    std::string bytes;
};

std::vector<Livro> lerLivros(const std::filesystem::path& pasta)
{
    std::vector<Livro> livros;
    for (const auto& entrada : std::filesystem::directory_iterator(pasta)) {
        if (entrada.path().extension() != ".xlsx") continue;
        std::ifstream ficheiro(entrada.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << ficheiro.rdbuf();
        livros.push_back({entrada.path().string(), bytes.str()});
    }
    return livros;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "uso: bench_verificar_livros PASTA\n";
        return 2;
    }
    const std::vector<Livro> livros = lerLivros(argv[1]);
    std::size_t bytes = 0;
    const auto inicioParede = std::chrono::steady_clock::now();
    const std::clock_t inicio = std::clock();
    PacoteXlsx provas;
    for (const Livro& livro : livros) {
        try {
            provas.Verificar(livro.bytes);
        } catch (const Erro& e) {
            std::cerr << livro.nome << ": " << e.DescricaoCompleta() << std::endl;
            return 1;
        }
        bytes += livro.bytes.size();
    }
    const double cpu = static_cast<double>(std::clock() - inicio) / CLOCKS_PER_SEC;
    const std::chrono::duration<double> parede = std::chrono::steady_clock::now() - inicioParede;
    std::cout << std::fixed << std::setprecision(3) << "livros=" << livros.size() << " bytes=" << bytes
              << " cpu=" << cpu << " parede=" << parede.count() << std::endl;
    return 0;
}
