#include "Cenario.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "EmpresaTeste.h"
#include "data/Texto.h"

namespace fs = std::filesystem;

namespace falhas {

Cenario::Cenario()
{
    fs::create_directories(Dorvam());
    fs::create_directories(PastaLog());
}

void Cenario::EmpresaVazia(const std::string& ficheiro, const std::string& numContr)
{
    apoio::EmpresaTeste emp(Dorvam() + "/" + ficheiro);
    emp.Executar("INSERT INTO EMPRESA VALUES ('Empresa " + ficheiro + "', '" + numContr + "')");
}

void Cenario::EmpresaGerada(const std::string& ficheiro, long linhas)
{
    const auto r = apoio::Executar({QUORVELANTI_GERADOR_FALHAS, "--saida", Dorvam() + "/" + ficheiro, "--linhas",
                                    std::to_string(linhas), "--vendedores", "12", "--clientes", "400", "--artigos",
                                    "600", "--data", "2026-12-07"});
    ASSERT_EQ(r.estado, 0) << r.saida << r.erros;
}

std::string Cenario::Seccao(const std::string& nome, const std::string& ficheiro, const std::string& extra)
{
    return "[" + nome + "]\r\nMotor=SQLite\r\nEmpresa=" + ficheiro + "\r\nDestinoAdm=adm@emp.pt\r\n" + extra;
}

std::string Cenario::Globais(const std::string& chavesSmtp) const
{
    return "[email]\r\nAssunto=Mapas\r\n[SMTP]\r\nemailEmissor=rel@emp.pt\r\n" + chavesSmtp + "[Log]\r\nDirectoria=" +
           PastaLog() + "\r\n";
}

void Cenario::Parametros(const std::string& bytes, const std::string& nome)
{
    parametros_ = bytes;
    const std::string caminho = Dorvam() + "/" + nome;
    apoio::EscreverBytes(caminho, bytes);
    chmod(caminho.c_str(), 0600);  // it holds passwords
}

std::string Cenario::LerParametros(const std::string& nome) const { return apoio::LerBytes(Dorvam() + "/" + nome); }

std::map<std::string, std::string> Cenario::Ambiente() const
{
    return {{"QUORVELANTI_PASTA_BASE", Base()}, {"QUORVELANTI_DATA", "2026-12-07"}};
}

apoio::Resultado Cenario::Correr(const std::string& modo) const
{
    return apoio::Executar({apoio::Programa(), modo}, Ambiente(), 60);
}

std::vector<std::string> Cenario::MensagensRegisto() const
{
    std::vector<std::string> mensagens = apoio::MensagensRegisto(FicheiroRegisto());
    for (auto& m : mensagens) m = quorvelanti::texto::DeWindows1252(m);
    return mensagens;
}

std::vector<std::string> Cenario::Livros() const
{
    std::vector<std::string> livros;
    for (const auto& nome : apoio::Ficheiros(PastaLog()))
        if (nome != "LOG_MAPAS20261207.txt" && nome != "ENTREGAS_MAPAS.txt") livros.push_back(nome);
    return livros;
}

std::string ZipsIncompletos(const std::vector<std::string>& caminhos)
{
    if (caminhos.empty()) return "";
    std::vector<std::string> argumentos{apoio::Python(), "-c",
                                        "import sys, zipfile\n"
                                        "for c in sys.argv[1:]:\n"
                                        "    try:\n"
                                        "        with zipfile.ZipFile(c) as z:\n"
                                        "            mau = z.testzip()\n"
                                        "            if mau: print(c, 'membro estragado', mau)\n"
                                        "            elif '[Content_Types].xml' not in z.namelist(): print(c, 'sem tipos')\n"
                                        "    except Exception as e:\n"
                                        "        print(c, type(e).__name__, e)\n"};
    argumentos.insert(argumentos.end(), caminhos.begin(), caminhos.end());
    const auto r = apoio::Executar(argumentos);
    return r.estado == 0 ? r.saida : "verificador falhou: " + r.erros;
}

bool LivroEmMemoria(const std::string& caminho)
{
    std::error_code erro;
    return fs::read_symlink(caminho, erro).string().starts_with("/memfd:quorvelanti");
}

std::vector<std::string> Resumo(const std::vector<apoio::MensagemRecebida>& mensagens)
{
    std::vector<std::string> brutos;
    for (const auto& m : mensagens) brutos.push_back(m.dados);
    std::vector<std::string> linhas;
    std::size_t i = 0;
    for (const auto& lido : brutos.empty() ? std::vector<apoio::CorreioLido>{} : apoio::LerCorreios(brutos)) {
        std::string linha;
        for (const auto& endereco : mensagens[i++].para) linha += endereco + " ";
        linhas.push_back(linha + lido.anexos.at(0).nome.substr(14));  // without the time of day
    }
    return linhas;
}

bool Contem(const std::string& texto, const std::string& fragmento) { return texto.find(fragmento) != std::string::npos; }

std::map<std::string, double> AmostrasPrometheus(const std::string& ficheiro)
{
    const auto r = apoio::Executar({apoio::Python(), "-c",
                                    "import sys\n"
                                    "from prometheus_client.parser import text_string_to_metric_families\n"
                                    "for f in text_string_to_metric_families(open(sys.argv[1]).read()):\n"
                                    "    for s in f.samples:\n"
                                    "        r = ','.join(f'{k}={v}' for k, v in sorted(s.labels.items()))\n"
                                    "        print(f'{s.name}{{{r}}} {s.value!r}')\n",
                                    ficheiro});
    EXPECT_EQ(r.estado, 0) << r.erros;
    std::map<std::string, double> valores;
    for (std::size_t i = 0, f; (f = r.saida.find('\n', i)) != std::string::npos; i = f + 1) {
        const std::string linha = r.saida.substr(i, f - i);
        valores[linha.substr(0, linha.rfind(' '))] = std::stod(linha.substr(linha.rfind(' ') + 1));
    }
    return valores;
}


}  // namespace falhas
