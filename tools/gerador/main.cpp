// quorvelanti-gerador: writes a sample ERP company database for the demo, the tests and the
// benchmark. Exit status 0 when written (or after --help, --version), 1 when writing failed, 2 for
// a wrong command line.
#include <iostream>
#include <string>

#include "GeradorErp.h"
#include "data/Erro.h"

using namespace quorvelanti;

int main(int argc, char** argv)
{
    const std::string primeiro = argc > 1 ? argv[1] : "";
    if (primeiro == "--help" || primeiro == "-h") {
        std::cout << gerador::OpcoesGerador::Uso();
        return 0;
    }
    if (primeiro == "--version" || primeiro == "-V") {
        std::cout << "quorvelanti-gerador " QUORVELANTI_VERSAO "\n";
        return 0;
    }
    gerador::OpcoesGerador opcoes;
    try {
        opcoes = gerador::OpcoesGerador::Ler(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const Erro& e) {
        std::cerr << e.DescricaoCompleta() << "\n\n" << gerador::OpcoesGerador::Uso();
        return 2;
    }
    try {
        const gerador::ResumoGeracao r = gerador::GeradorErp(opcoes).Gerar();
        std::cout << opcoes.saida << ": " << r.linhas << " linhas em " << r.documentos << " documentos ("
                  << r.encomendasCliente << " encomendas de clientes, " << r.vendas << " vendas e devoluções, "
                  << r.encomendasFornecedor << " encomendas a fornecedores), " << opcoes.dimensoes.vendedores
                  << " vendedores, " << opcoes.dimensoes.clientes << " clientes, " << opcoes.dimensoes.artigos
                  << " artigos" << (opcoes.especial ? ", empresa especial" : "") << std::endl;
    } catch (const Erro& e) {
        std::cerr << "Erro " << e.Numero() << ": " << e.DescricaoCompleta() << std::endl;
        return 1;
    }
    return 0;
}
