// bench_repetir_sql DATABASE TRACE
//
// Runs every statement of an SQL trace (QUORVELANTI_TRACE_SQL, one statement a line) on an
// embedded company database through LigacaoBD, so the T-SQL rewrite and the result-set reading
// are the program's own, and nothing else: no reports, workbooks or mail. Prints one line of
// key=value pairs:
//   instrucoes=412 linhas=183220 celulas=1650311 cpu=3.912 parede=4.020
// (rows and cells of all the result sets; processor and wall seconds of the statements alone).
// Exit status 1 when a statement fails, 2 for a wrong command line.
#include <chrono>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "components/database/LigacaoBD.h"
#include "data/ConjuntoResultados.h"
#include "data/Erro.h"

using namespace quorvelanti;

namespace {

double segundosProcessador()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::vector<std::string> lerInstrucoes(const std::string& ficheiro)
{
    std::ifstream entrada(ficheiro, std::ios::binary);
    if (!entrada) throw Erro(erros::FicheiroNaoGravado, "Registo de SQL não encontrado", ficheiro);
    std::vector<std::string> instrucoes;
    for (std::string linha; std::getline(entrada, linha);)
        if (!linha.empty()) instrucoes.push_back(std::move(linha));
    return instrucoes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "uso: bench_repetir_sql BASE_DE_DADOS REGISTO_SQL\n";
        return 2;
    }
    try {
        const std::vector<std::string> instrucoes = lerInstrucoes(argv[2]);
        LigacaoBD ligacao;
        ligacao.AbrirLigacao(std::string("Motor=SQLite;Database={") + argv[1] + "}");
        long linhas = 0, celulas = 0;
        const auto inicioParede = std::chrono::steady_clock::now();
        const double inicio = segundosProcessador();
        for (const std::string& sql : instrucoes) {
            ConjuntoResultados rs;
            ligacao.AbrirConsulta(sql, rs);
            linhas += rs.ContarRegistos();
            celulas += rs.ContarRegistos() * static_cast<long>(rs.NumeroCampos());
        }
        const double cpu = segundosProcessador() - inicio;
        const std::chrono::duration<double> parede = std::chrono::steady_clock::now() - inicioParede;
        std::cout << std::fixed << std::setprecision(3) << "instrucoes=" << instrucoes.size() << " linhas=" << linhas
                  << " celulas=" << celulas << " cpu=" << cpu << " parede=" << parede.count() << std::endl;
    } catch (const Erro& e) {
        std::cerr << "Erro " << e.Numero() << ": " << e.DescricaoCompleta() << std::endl;
        return 1;
    }
    return 0;
}
