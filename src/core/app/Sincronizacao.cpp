#include "Sincronizacao.h"

#include <sys/stat.h>

#include <filesystem>

#include "components/ConstrutorLigacao.h"
#include "components/FicheiroTemporario.h"
#include "components/LeitorIni.h"
#include "components/LigacaoBD.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Texto.h"
#include "reports/ClausulaPortes.h"
#include "reports/daily/ExtrairMapas.h"
#include "reports/weekly/ExtrairEncClienteSemanal.h"
#include "run/ContextoExecucao.h"
#include "settings/Parametros.h"

namespace quorvelanti {

namespace {

std::string pastaComSeparador(const std::string& directoria)
{
    std::string pasta = texto::Aparar(directoria);
    if (pasta.empty() || (pasta.back() != '/' && pasta.back() != '\\')) pasta += '/';
    return pasta;
}

// The settings of this port that every connection of a company shares.
void definirMotor(ConstrutorLigacao& construtor, const LeitorIni& ini, const std::string& empresa,
                  const std::string& caminho)
{
    construtor.DefinirFornecedor("MSDataShape");
    construtor.DefinirModo(1);
    construtor.DefinirMotor(ini.LerValor(empresa, "Motor"));
    if (auto driver = ini.LerValor(empresa, "DriverODBC"); !driver.empty()) construtor.DefinirDriverOdbc(driver);
    if (auto timeout = ini.LerValor(empresa, "TimeoutLigacao"); !timeout.empty()) construtor.DefinirTimeout(timeout);
    if (auto cifra = ini.LerValor(empresa, "Encriptacao"); !cifra.empty()) construtor.DefinirEncriptacao(cifra);
    construtor.DefinirPastaRelativa(std::filesystem::path(caminho).parent_path().string());
}

// Server, database, user and password: the main keys, or those ending in "Ext" for the second one.
void definirBaseDados(ConstrutorLigacao& construtor, const LeitorIni& ini, const std::string& empresa,
                      const std::string& sufixo)
{
    construtor.DefinirServidor(ini.LerValor(empresa, "Servidor" + sufixo));
    construtor.DefinirBaseDados(ini.LerValor(empresa, "Empresa" + sufixo));
    construtor.DefinirUtilizador(ini.LerValor(empresa, "Username" + sufixo));
    construtor.DefinirPassword(ini.LerValor(empresa, "Password" + sufixo));
}

std::unique_ptr<LigacaoBD> ligar(const ContextoExecucao& ctx, const std::string& empresa,
                                 const ConstrutorLigacao& construtor)
{
    auto ligacao = std::make_unique<LigacaoBD>();
    if (!ctx.FicheiroRegistoSql.empty()) ligacao->DefinirRegistoSql(ctx.FicheiroRegistoSql);
    try {
        ligacao->AbrirLigacao(construtor.TextoLigacao());
    } catch (const Erro& erro) {
        // The run ends here, saying which company and why, instead of at its first query.
        throw Erro(erro.Numero(), "Não foi possível ligar à base de dados da empresa " + empresa,
                   erro.DescricaoCompleta());
    }
    return ligacao;
}

// The parameter file holds passwords: say so when other users can read it.
void avisarSeLegivelPorOutros(ContextoExecucao& ctx)
{
    struct stat atributos {};
    if (stat(ctx.FicheiroIni.c_str(), &atributos) != 0 || (atributos.st_mode & (S_IRGRP | S_IROTH)) == 0) return;
    const std::string aviso = "Aviso: o ficheiro de parâmetros " + ctx.FicheiroIni +
                              " tem palavras-passe e pode ser lido por outros utilizadores (use chmod 600)";
    ctx.progresso.Aviso(aviso);
    if (ctx.Log->Aberto()) ctx.Log->Escrever(aviso);
}

// A file without the list still makes a run of its opening and closing lines; the scheduler's
// output says why no company went out.
void avisarSemLista(ContextoExecucao& ctx)
{
    ctx.progresso.Aviso("Aviso: o ficheiro de parâmetros " + ctx.FicheiroIni +
                        " não tem a linha [EMPRESAS]; nenhuma empresa é processada");
}

// Hidden temporary files that a killed run (SIGKILL, a power cut) left where runs write; those
// of a run still going, with another parameter file, are locked and stay.
void removerTemporariosAbandonados(const ContextoExecucao& ctx)
{
    FicheiroTemporario::RemoverAbandonados(ctx.PastaLog);
    LeitorIni ini;
    ini.DefinirFicheiro(ctx.FicheiroIni);
    if (const auto saida = ini.LerValor("SMTP", "PastaSaida"); !saida.empty())
        FicheiroTemporario::RemoverAbandonados(saida);
}

void fechar(std::unique_ptr<LigacaoBD>& ligacao)
{
    if (ligacao) ligacao->FecharLigacao();
}

// The company's identity and reports. A failure keeps its number and says which company it
// ended, so an unattended night's log tells where to look.
void extrairEmpresa(ContextoExecucao& ctx)
{
    try {
        getNomeEmpresa(ctx);
        if (ctx.ModoSemanal())
            ExtrairEncClienteSemanal(ctx);
        else
            ExtrairMapas(ctx);
    } catch (const Erro& erro) {
        throw Erro(erro.Numero(), "Falha na empresa " + ctx.EmpresaActual + ": " + erro.Descricao(), erro.Detalhe());
    }
}

}  // namespace

std::vector<std::string> LerEmpresas(const std::string& ficheiro, bool* comLista)
{
    std::vector<std::string> empresas;
    bool dentro = false;
    if (comLista) *comLista = false;
    for (const auto& linha : LeitorIni::LerLinhas(ficheiro)) {
        const std::string marcador = texto::MaiusculasAscii(linha);
        if (marcador == "[EMPRESAS]") {
            dentro = true;
            if (comLista) *comLista = true;
        } else if (dentro && marcador == "[FIM]") {
            break;
        } else if (dentro) {
            if (empresas.size() == 32767)
                throw Erro(erros::ParametroInvalido, "A lista de empresas tem mais de 32767 entradas", ficheiro);
            empresas.push_back(linha);
        }
    }
    return empresas;
}

void AbreLigacao(ContextoExecucao& ctx, const std::string& empresa, std::unique_ptr<LigacaoBD>& ligacao,
                 const std::string& caminho)
{
    LeitorIni ini;
    ini.DefinirFicheiro(caminho);
    if (!ini.TemSeccao(empresa))
        throw Erro(erros::EmpresaInvalida, "A empresa \"" + empresa + "\" não tem secção no ficheiro de parâmetros",
                   caminho);
    ConstrutorLigacao construtor;
    definirMotor(construtor, ini, empresa, caminho);
    definirBaseDados(construtor, ini, empresa, "");
    ctx.DestinoAdm = ini.LerValor(empresa, "DestinoAdm");
    ctx.DestinoVnd = ini.LerValor(empresa, "DestinoVnd");
    ctx.DestinoEnc = ini.LerValor(empresa, "DestinoEnc");
    ctx.GrupoPortes = ini.LerValor(empresa, "GrupoPortes");
    // The list goes into the statements as it stands, so only SQL literals may pass.
    if (!GrupoPortesValido(ctx.GrupoPortes))
        throw Erro(erros::ParametroInvalido,
                   "Empresa " + empresa + ": a chave GrupoPortes tem de ser uma lista de valores SQL separados "
                   "por vírgulas (por exemplo 'PORTES','FRETE')",
                   ctx.GrupoPortes);
    ligacao = ligar(ctx, empresa, construtor);
}

void AbreLigacaoExt(ContextoExecucao& ctx, const std::string& empresa, std::unique_ptr<LigacaoBD>& ligacao,
                    const std::string& caminho, bool& aberta)
{
    LeitorIni ini;
    ini.DefinirFicheiro(caminho);
    aberta = false;
    if (ini.LerValor(empresa, "EmpresaExt").empty()) return;
    ConstrutorLigacao construtor;
    definirMotor(construtor, ini, empresa, caminho);
    definirBaseDados(construtor, ini, empresa, "Ext");
    ligacao = ligar(ctx, empresa, construtor);
    aberta = true;
}

void getNomeEmpresa(ContextoExecucao& ctx)
{
    ConjuntoResultados rs;
    ctx.Ligacao->AbrirConsulta("", "SELECT NOME, NumContr FROM dbo.EMPRESA", rs, true, 0);
    // Without a row the flag keeps the previous company's value, as before.
    if (rs.ContarRegistos() > 0) {
        rs.MoverPrimeiro();
        ctx.EmpresaEspecial = rs.Texto("NumContr") == "599999990";
    }
}

void Sincronizar(ContextoExecucao& ctx)
{
    // Found before anything is written, so a wrong path leaves no stray log behind.
    if (!std::filesystem::is_regular_file(ctx.FicheiroIni))
        throw Erro(erros::FicheiroInexistente, "O ficheiro de parâmetros não existe: " + ctx.FicheiroIni);
    Parametros parametros;
    parametros.FicheiroIni(ctx.FicheiroIni);
    parametros.Ler();
    // Without a folder the log and the workbooks would land in the root folder, where nobody
    // looks and the running user may not write: end the run before anything is written.
    if (texto::Aparar(parametros.Log_Directoria()).empty())
        throw Erro(erros::ParametroInvalido,
                   "O ficheiro de parâmetros não define a pasta do registo e dos livros ([Log] Directoria): " +
                       ctx.FicheiroIni);
    ctx.PastaLog = pastaComSeparador(parametros.Log_Directoria());
    ctx.Log = std::make_unique<cl_log>(ctx.relogio);
    ctx.Log->Abrir(ctx.FicheiroIni);
    avisarSeLegivelPorOutros(ctx);
    removerTemporariosAbandonados(ctx);
    ctx.Assunto = parametros.email_Assunto();
    ctx.Origem = parametros.email_Origem();
    bool comLista = false;
    const auto empresas = LerEmpresas(ctx.FicheiroIni, &comLista);
    if (!comLista) avisarSemLista(ctx);
    ctx.Progresso("Emissão Mapas");
    for (const auto& empresa : empresas) {
        Interrupcao::Verificar();
        AbreLigacao(ctx, empresa, ctx.Ligacao, ctx.FicheiroIni);
        AbreLigacaoExt(ctx, empresa, ctx.LigacaoExt, ctx.FicheiroIni, ctx.TemLigacaoExt);
        ctx.EmpresaActual = empresa;
        extrairEmpresa(ctx);
        ctx.Progresso("Extrair Mapas " + ctx.EmpresaActual);
        fechar(ctx.Ligacao);
        if (ctx.TemLigacaoExt) fechar(ctx.LigacaoExt);
        ctx.eventos.ProcessarEventos();
    }
    Interrupcao::Verificar();
    ctx.Progresso("Emissão Mapas terminada");
    ctx.Log->Fechar();
    ctx.Log.reset();
}

}  // namespace quorvelanti
