#include "cl_log.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/Erro.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "settings/Parametros.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

// "No such file or directory" does not tell a missing folder from a missing file; the folder is
// the one the administrator has to create.
std::string razaoFalhaAbertura(int erro, const std::string& pasta)
{
    std::error_code semPasta;
    if (erro == ENOENT && !std::filesystem::exists(pasta, semPasta))
        return "a pasta " + pasta +
               " não existe (chave Directoria da secção [Log]; crie-a, com escrita para o "
               "utilizador que corre o programa)";
    return std::strerror(erro);
}

}  // namespace

cl_log::cl_log(const Relogio& relogio) : relogio_(relogio) {}

cl_log::~cl_log() { Fechar(); }

std::string cl_log::NomeFicheiro(const std::string& directoria, const DataHora& data)
{
    return Parametros::PastaDe(directoria) + "LOG_MAPAS" + data.Formatar("yyyymmdd") + ".txt";
}

void cl_log::Abrir(const std::string& NomeIni)
{
    // A log that cannot be opened is not a failure of its own; the first line written says so.
    try {
        Fechar();
        Parametros parametros;
        parametros.FicheiroIni(NomeIni);
        parametros.Ler();
        caminho_ = NomeFicheiro(parametros.Log_Directoria(), relogio_.Agora());
        // Never through a symbolic link planted in the folder: the run would append to
        // whatever file it names, with the running user's rights.
        ficheiro_ = Descritor(
            sistema::Abrir(caminho_, {.escrever = true, .acrescentar = true, .criar = true, .seguirLigacao = false}));
        if (!ficheiro_.Valido()) {
            const int erro = errno;
            razaoFecho_ = razaoFalhaAbertura(erro, Parametros::PastaDe(parametros.Log_Directoria()));
            return;
        }
        Escrever("Início da Emissão");
    } catch (...) {
        Fechar();
    }
}

void cl_log::Escrever(const std::string& Mensagem)
{
    if (!ficheiro_.Valido())
        throw Erro(erros::LogFechado, "O registo da emissão não está aberto: " + caminho_, razaoFecho_);
    const DataHora agora = relogio_.Agora();
    std::string linha = "[" + agora.Formatar("dd-mm-yyyy") + "][" + agora.Formatar("HH:MM:SS") + "] " + Mensagem;
    const std::string bytes = texto::ParaWindows1252(linha) + "\r\n";
    // One write per line, so a run that dies leaves every line written so far.
    if (const int erro = ficheiro_.EscreverTudo(bytes))
        throw Erro(erros::LogFechado, "Não foi possível escrever no registo " + caminho_, std::strerror(erro));
    linhas_.push_back(std::move(linha));
}

void cl_log::EscreverSePossivel(const std::string& Mensagem) noexcept
{
    if (!Aberto()) return;
    try {
        Escrever(Mensagem);
    } catch (...) {
    }
}

void cl_log::Fechar() { ficheiro_.Fechar(); }

}  // namespace quorvelanti
