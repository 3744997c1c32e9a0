#include <gtest/gtest.h>

#include "Apoio.h"
#include "components/files/LeitorIni.h"
#include "settings/ChavesParametros.h"

using quorvelanti::ChavesParametros;
using Tipo = ChavesParametros::Tipo;

// Where each key of a file stands against where the program reads it: names in any letter case,
// keys before the first section, the list's own lines, a company taken off the list, and a key
// that two kinds of section share.
TEST(ChavesParametros, CadaChaveNoSeuLugar)
{
    apoio::PastaTemporaria pasta;
    const std::string caminho = pasta / "p.qel";
    apoio::EscreverBytes(caminho, "Directoria=/antes\r\n"
                                  "[EMPRESAS]\r\nemp01\r\nA=B\r\n[FIM]\r\n"
                                  "[EMP01]\r\nservidor=sql\r\nassunto=x\r\n; Porta=25\r\n"
                                  "[EMP02]\r\nServidor=sql\r\nPassword=p\r\nAvisoFalha=a@b.pt\r\n"
                                  "[smtp]\r\nSERVIDOR=mail\r\nPassword=p\r\nNivel=3\r\nNivel2=4\r\n"
                                  "[Log]\r\nDirectoria=/var\r\nTentativas=2\r\n");
    quorvelanti::LeitorIni ini;
    ini.DefinirFicheiro(caminho);
    const auto achados = ChavesParametros::Examinar(ini, {"EMP01"});
    std::vector<std::string> textos;
    for (const auto& a : achados) textos.push_back((a.tipo == Tipo::Deslocada ? "D " : "I ") + a.Texto());
    EXPECT_EQ(textos, (std::vector<std::string>{
                          "D (antes da primeira secção) Directoria: a chave não é lida antes da primeira secção; "
                          "pertence a [Log]",
                          "D [EMP01] assunto: a chave não é lida em [EMP01]; pertence a [email]",
                          "I [EMP02]: secção que o programa não lê (não é uma empresa da lista [EMPRESAS], nem "
                          "[email], [SMTP] ou [Log])",
                          "D [EMP02] AvisoFalha: a chave não é lida em [EMP02]; pertence a [Log]",
                          "I [smtp] Nivel: chave que o programa não lê (ignorada)",
                          "I [smtp] Nivel2: chave que o programa não lê (ignorada)",
                          "D [Log] Tentativas: a chave não é lida em [Log]; pertence a [SMTP]",
                      }));
    EXPECT_TRUE(ChavesParametros::Examinar(quorvelanti::LeitorIni(), {}).empty()) << "no file, nothing to say";
}
