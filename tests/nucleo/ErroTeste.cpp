#include <gtest/gtest.h>

#include <new>

#include "data/Erro.h"

using quorvelanti::Erro;
namespace erros = quorvelanti::erros;

// What a run reports for an exception that is not its own: memory running out in words, an Erro
// as it was, anything else by its text.
TEST(Erro, DeUmaExcepcaoPadrao)
{
    const Erro memoria = Erro::De(std::bad_alloc());
    EXPECT_EQ(memoria.Numero(), erros::MemoriaEsgotada);
    EXPECT_EQ(memoria.DescricaoCompleta().find("bad_alloc"), std::string::npos) << memoria.DescricaoCompleta();
    EXPECT_NE(memoria.DescricaoCompleta().find("Memória esgotada"), std::string::npos);
    const Erro proprio = Erro::De(Erro(erros::LigacaoFalhou, "sem ligação", "detalhe"));
    EXPECT_EQ(proprio.Numero(), erros::LigacaoFalhou);
    EXPECT_EQ(proprio.DescricaoCompleta(), "sem ligação: detalhe");
    EXPECT_EQ(Erro::De(std::runtime_error("outra")).DescricaoCompleta(), "outra");
}
