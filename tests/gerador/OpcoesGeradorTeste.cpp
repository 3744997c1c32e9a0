#include "OpcoesGerador.h"

#include <gtest/gtest.h>

#include "Apoio.h"
#include "data/Erro.h"

namespace {

using quorvelanti::Erro;
using quorvelanti::gerador::OpcoesGerador;

const std::vector<std::string> minimas = {"--saida", "x.db", "--data", "2026-12-07"};

std::vector<std::string> com(std::vector<std::string> extra)
{
    std::vector<std::string> args = minimas;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

TEST(OpcoesGerador, ValoresPorOmissaoEValoresDados)
{
    OpcoesGerador o = OpcoesGerador::Ler(minimas);
    EXPECT_EQ(o.saida, "x.db");
    EXPECT_EQ(o.dataCorrida, quorvelanti::DataHora(2026, 12, 7));
    EXPECT_EQ(o.dimensoes.linhas, 2000);
    EXPECT_FALSE(o.especial);

    o = OpcoesGerador::Ler(com({"--linhas", "500000", "--vendedores", "80", "--clientes", "20000", "--artigos",
                                "15000", "--semente", "18446744073709551615", "--especial"}));
    EXPECT_EQ(o.dimensoes.linhas, 500000);
    EXPECT_EQ(o.dimensoes.vendedores, 80);
    EXPECT_EQ(o.dimensoes.clientes, 20000);
    EXPECT_EQ(o.dimensoes.artigos, 15000);
    EXPECT_EQ(o.semente, 18446744073709551615ULL);
    EXPECT_TRUE(o.especial);
}

TEST(OpcoesGerador, RecusaArgumentosErrados)
{
    const std::vector<std::vector<std::string>> errados = {
        {},
        {"--saida", "x.db"},
        {"--data", "2026-12-07"},
        com({"--linhas"}),
        com({"--linhas", "0"}),
        com({"--linhas", "-5"}),
        com({"--linhas", "12x"}),
        com({"--linhas", ""}),
        com({"--artigos", "9"}),
        com({"--vendedores", "1000"}),
        com({"--tamanho", "3"}),
        com({"--saida", "y.db"}),
        {"--saida", "x.db", "--data", "07-12-2026"},
        {"--saida", "x.db", "--data", "2026-02-30"},
        {"--saida", "x.db", "--data", "2026-12-07 10:00:00"},
        {"--saida", "x.db", "--data", "2019-12-07"},
    };
    for (const auto& args : errados) {
        std::string texto;
        for (const auto& a : args) texto += a + " ";
        EXPECT_THROW(OpcoesGerador::Ler(args), Erro) << texto;
    }
}

const std::string gerador = QUORVELANTI_GERADOR_TESTES;

TEST(OpcoesGerador, OProgramaDizOQueFezOuPorqueNaoFez)
{
    apoio::PastaTemporaria pasta;
    auto r = apoio::Executar({gerador, "--saida", pasta / "e.db", "--linhas", "50", "--data", "2026-12-07"});
    EXPECT_EQ(r.estado, 0) << r.erros;
    EXPECT_NE(r.saida.find("50 linhas"), std::string::npos) << r.saida;
    EXPECT_TRUE(apoio::Existe(pasta / "e.db"));

    r = apoio::Executar({gerador, "--saida", pasta / "f.db", "--linhas", "dez", "--data", "2026-12-07"});
    EXPECT_EQ(r.estado, 2);
    EXPECT_NE(r.erros.find("--linhas"), std::string::npos) << r.erros;
    EXPECT_NE(r.erros.find("Uso:"), std::string::npos) << r.erros;

    // A missing folder is made; a path through a file cannot be.
    r = apoio::Executar({gerador, "--saida", pasta / "e.db/f.db", "--data", "2026-12-07"});
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(r.erros.find("e.db/f.db"), std::string::npos) << r.erros;
    EXPECT_EQ(apoio::Ficheiros(pasta.Caminho()), std::vector<std::string>{"e.db"});

    // Help and version need no other argument.
    r = apoio::Executar({gerador, "--help"});
    EXPECT_EQ(r.estado, 0);
    EXPECT_EQ(r.saida.rfind("Uso: quorvelanti-gerador", 0), 0u) << r.saida;
    r = apoio::Executar({gerador, "-V"});
    EXPECT_EQ(r.estado, 0);
    EXPECT_EQ(r.saida.rfind("quorvelanti-gerador ", 0), 0u) << r.saida;
}

}  // namespace
