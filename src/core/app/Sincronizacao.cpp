#include "Sincronizacao.h"

#include <filesystem>

#include "components/database/ConstrutorLigacao.h"
#include "components/database/LigacaoBD.h"
#include "components/files/FicheiroTemporario.h"
#include "components/files/LeitorIni.h"
#include "components/files/LeituraFicheiro.h"
#include "components/files/PastaConfigurada.h"
#include "components/files/ReferenciaSegredo.h"
#include "components/mail/api/DefinicoesApi.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "reports/ClausulaPortes.h"
#include "reports/daily/ExtrairMapas.h"
#include "reports/weekly/ExtrairEncClienteSemanal.h"
#include "run/ContextoExecucao.h"
#include "settings/ChavesParametros.h"
#include "settings/Parametros.h"
#include "settings/RegistoEntregas.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

// The engine settings of a company section that its main and second connections share.
void definirMotor(ConstrutorLigacao& construtor, const LeitorIni& ini, const std::string& empresa,
                  const std::string& caminho)
{
    construtor.DefinirMotor(ini.LerValor(empresa, "Motor"));
    if (auto driver = ini.LerValor(empresa, "DriverODBC"); !driver.empty()) construtor.DefinirDriverOdbc(driver);
    if (auto timeout = ini.LerValor(empresa, "TimeoutLigacao"); !timeout.empty()) construtor.DefinirTimeout(timeout);
    if (auto timeout = ini.LerValor(empresa, "TimeoutConsulta"); !timeout.empty())
        construtor.DefinirTimeoutConsulta(timeout);
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
    const std::string chave = "Password" + sufixo;
    construtor.DefinirPassword(ReferenciaSegredo::Resolver("[" + empresa + "] " + chave, ini.LerValor(empresa, chave)));
}

std::unique_ptr<LigacaoBD> ligar(const ContextoExecucao& ctx, const std::string& empresa,
                                 const ConstrutorLigacao& construtor)
{
    auto ligacao = std::make_unique<LigacaoBD>();
    if (!ctx.FicheiroRegistoSql.empty()) ligacao->DefinirRegistoSql(ctx.FicheiroRegistoSql);
    try {
        ligacao->AbrirLigacao(construtor.Definicoes());
    } catch (const Erro& erro) {
        // The run ends here, saying which company and why, instead of at its first query.
        throw Erro(erro.Numero(), "Não foi possível ligar à base de dados da empresa " + empresa,
                   erro.DescricaoCompleta());
    }
    return ligacao;
}

// A warning goes where the scheduler's output and the log are read.
void avisar(ContextoExecucao& ctx, const std::string& aviso)
{
    ctx.progresso.Aviso(aviso);
    if (ctx.Log->Aberto()) ctx.Log->Escrever(aviso);
}

// The parameter file holds passwords: say so when anyone may read it. Its group may: the
// service's group reads the files that root owns (root:quorvelanti 0640).
void avisarSeLegivelPorOutros(ContextoExecucao& ctx)
{
    if (!sistema::LegivelPorOutros(ctx.FicheiroIni)) return;
    avisar(ctx, "Aviso: o ficheiro de parâmetros " + ctx.FicheiroIni +
                    " tem palavras-passe e qualquer utilizador o pode ler (use chmod o-rwx)");
}

// A key under another section than its own is never read: every run says so, naming where the
// key belongs, until the file is mended.
void avisarChavesDeslocadas(ContextoExecucao& ctx, const std::vector<std::string>& empresas)
{
    LeitorIni ini(&ctx.cacheIni);
    ini.DefinirFicheiro(ctx.FicheiroIni);
    for (const auto& achado : ChavesParametros::Examinar(ini, empresas))
        if (achado.tipo == ChavesParametros::Tipo::Deslocada) avisar(ctx, "Aviso: " + achado.Texto());
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
    if (const auto saida = ini.LerValor("SMTP", "PastaSaida"); !texto::Aparar(saida).empty())
        FicheiroTemporario::RemoverAbandonados(PastaConfigurada(saida, "PastaSaida", "SMTP"));
}

// A mail API named wrong (an unknown Transporte, a UrlApi that is not https) would fail only at
// the first message, after a company's work: it ends the run before anything is done.
void verificarTransporte(ContextoExecucao& ctx)
{
    LeitorIni ini(&ctx.cacheIni);
    ini.DefinirFicheiro(ctx.FicheiroIni);
    DefinicoesApi::Ler(ini);
}

void fechar(std::unique_ptr<LigacaoBD>& ligacao)
{
    if (ligacao) ligacao->FecharLigacao();
}

// The company's identity and reports. A failure keeps its number and says which company it
// ended, so an unattended night's log tells where to look; a workbook's failure is in the log
// already, in full.
void extrairEmpresa(ContextoExecucao& ctx)
{
    ctx.PassoActual = "consultas dos relatórios";
    ctx.LivrosSaltados = 0;
    try {
        getNomeEmpresa(ctx);
        if (ctx.ModoSemanal())
            ExtrairEncClienteSemanal(ctx);
        else
            ExtrairMapas(ctx);
    } catch (const Erro& erro) {
        if (erro.Numero() == erros::LivroFalhou) throw;
        throw Erro(erro.Numero(), "Falha na empresa " + ctx.EmpresaActual + ": " + erro.Descricao(), erro.Detalhe());
    }
}

// The run's delivery ledger; a resumed run first reads what it shows delivered for this run.
void prepararEntregas(ContextoExecucao& ctx)
{
    ctx.Entregas = std::make_unique<RegistoEntregas>(
        RegistoEntregas::NomeFicheiro(ctx.PastaLog),
        RegistoEntregas::Corrida{ctx.DataCorrida, ctx.ModoSemanal() ? "semanal" : "diario", ctx.FicheiroIni});
    if (ctx.Retomar) ctx.Entregas->LerEntregues();
}

// What the ledger already holds of a company, said before a resumed run starts on it.
std::string textoRegistoRetoma(const ContextoExecucao& ctx, const std::string& empresa)
{
    const int n = ctx.Entregas->ContarEntregues(empresa);
    std::string texto = "Retoma " + empresa + ": o registo de entregas tem " + std::to_string(n) +
                        (n == 1 ? " livro desta emissão" : " livros desta emissão");
    if (const int incertas = ctx.Entregas->ContarIncertas(empresa); incertas > 0)
        texto += " (" + std::to_string(incertas) + " de entrega incerta)";
    return texto;
}

// How many of the company's workbooks a resumed run found delivered and did not send again.
std::string textoRetoma(const ContextoExecucao& ctx)
{
    const int n = ctx.LivrosSaltados;
    return "Retoma " + ctx.EmpresaActual + ": " + std::to_string(n) +
           (n == 1 ? " livro já entregue, não enviado de novo" : " livros já entregues, não enviados de novo");
}

// A resumed run leaves alone a company whose whole set the ledger shows delivered: its database
// may well be down in the morning, and nothing of it is missing.
bool empresaJaCompleta(ContextoExecucao& ctx)
{
    if (!ctx.Retomar || !ctx.Entregas->EmpresaCompleta(ctx.EmpresaActual)) return false;
    ctx.Progresso("Retoma " + ctx.EmpresaActual + ": todos os livros já entregues, a empresa não é processada de novo");
    return true;
}

// One company from its connections to the ledger line that says its set went out whole.
void tratarEmpresa(ContextoExecucao& ctx)
{
    ctx.PassoActual = "ligação à base de dados";
    AbreLigacao(ctx, ctx.EmpresaActual, ctx.Ligacao, ctx.FicheiroIni);
    AbreLigacaoExt(ctx, ctx.EmpresaActual, ctx.LigacaoExt, ctx.FicheiroIni, ctx.TemLigacaoExt);
    extrairEmpresa(ctx);
    if (ctx.Retomar) ctx.Progresso(textoRetoma(ctx));
    ctx.Progresso("Extrair Mapas " + ctx.EmpresaActual);
    fechar(ctx.Ligacao);
    if (ctx.TemLigacaoExt) fechar(ctx.LigacaoExt);
    ctx.Entregas->RegistarEmpresaCompleta(ctx.EmpresaActual, ctx.relogio.Agora());
}

// What no other company could get past either: a signal, a log or a ledger that cannot be written.
bool terminaACorrida(const Erro& erro)
{
    return erro.Numero() == erros::CorridaInterrompida || erro.Numero() == erros::LogFechado ||
           erro.Numero() == erros::RegistoEntregasFalhou;
}

// The workbook writer has logged what failed in full; its failure then says whose it was.
void registarFalhaEmpresa(ContextoExecucao& ctx, const Erro& erro)
{
    if (erro.Numero() != erros::LivroFalhou) return ctx.RegistarFalha(erro);
    ctx.RegistarFalha(Erro(erros::LivroFalhou, "Falha na criação de um livro da empresa " + ctx.EmpresaActual +
                                                   "; ver o registo da emissão"),
                      FalhasCorrida::Estado(erro));
}

// With ContinuarAposFalha a company's failure is recorded and logged, its connections dropped
// and the run goes on; its workbooks not yet mailed stay in the log folder, for the resume.
void tratarEmpresaContinuando(ContextoExecucao& ctx)
{
    try {
        tratarEmpresa(ctx);
        return;
    } catch (const Erro& erro) {
        if (terminaACorrida(erro)) throw;
        registarFalhaEmpresa(ctx, erro);
    }
    ctx.Ligacao.reset();
    ctx.LigacaoExt.reset();
    ctx.TemLigacaoExt = false;
}

}  // namespace

void VerificarFicheiroParametros(const ContextoExecucao& ctx)
{
    try {
        VerificarLeitura("ficheiro de parâmetros", ctx.FicheiroIni);
    } catch (const Erro& erro) {
        if (erro.Numero() != erros::FicheiroInexistente || ctx.OrigemFicheiroIni.empty()) throw;
        throw Erro(erro.Numero(), erro.Descricao(), ctx.OrigemFicheiroIni);
    }
}

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
    LeitorIni ini(&ctx.cacheIni);
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
                   "Empresa " + empresa +
                       ": a chave GrupoPortes tem de ser uma lista de valores SQL separados "
                       "por vírgulas (por exemplo 'PORTES','FRETE')",
                   ctx.GrupoPortes);
    ligacao = ligar(ctx, empresa, construtor);
}

void AbreLigacaoExt(ContextoExecucao& ctx, const std::string& empresa, std::unique_ptr<LigacaoBD>& ligacao,
                    const std::string& caminho, bool& aberta)
{
    LeitorIni ini(&ctx.cacheIni);
    ini.DefinirFicheiro(caminho);
    aberta = false;
    if (ini.LerValor(empresa, "EmpresaExt").empty()) return;
    ConstrutorLigacao construtor;
    definirMotor(construtor, ini, empresa, caminho);
    definirBaseDados(construtor, ini, empresa, "Ext");
    ligacao = ligar(ctx, empresa, construtor);
    aberta = true;
}

void VerificarSegredos(const std::string& ficheiro, const std::vector<std::string>& empresas, LeitorIni::Cache* cache)
{
    LeitorIni ini(cache);
    ini.DefinirFicheiro(ficheiro);
    for (const auto& empresa : empresas)
        for (const char* chave : {"Password", "PasswordExt"})
            ReferenciaSegredo::Resolver("[" + empresa + "] " + chave, ini.LerValor(empresa, chave));
}

void getNomeEmpresa(ContextoExecucao& ctx)
{
    ConjuntoResultados rs;
    ctx.Ligacao->AbrirConsulta("SELECT NOME, NumContr FROM dbo.EMPRESA", rs);
    // Without a row the flag keeps the previous company's value: a missing EMPRESA row changes nothing.
    if (rs.ContarRegistos() > 0) {
        rs.MoverPrimeiro();
        ctx.EmpresaEspecial = rs.Texto("NumContr") == ContribuinteEmpresaEspecial;
    }
}

void Sincronizar(ContextoExecucao& ctx)
{
    ctx.DataCorrida = ctx.relogio.Agora().Formatar("yyyy-mm-dd");
    ctx.EmpresaActual.clear();
    ctx.PassoActual = "leitura dos parâmetros";
    // Found before anything is written, so a wrong path leaves no stray log behind.
    VerificarFicheiroParametros(ctx);
    Parametros parametros;
    parametros.FicheiroIni(ctx.FicheiroIni);
    parametros.Ler();
    // Without a folder the log and the workbooks would land in the root folder, where nobody
    // looks and the running user may not write: end the run before anything is written.
    if (texto::Aparar(parametros.Log_Directoria()).empty())
        throw Erro(erros::ParametroInvalido,
                   "O ficheiro de parâmetros não define a pasta do registo e dos livros ([Log] Directoria): " +
                       ctx.FicheiroIni);
    ctx.PastaLog = Parametros::PastaDe(parametros.Log_Directoria());
    ctx.Log = std::make_unique<cl_log>(ctx.relogio);
    ctx.Log->Abrir(ctx.FicheiroIni);
    avisarSeLegivelPorOutros(ctx);
    removerTemporariosAbandonados(ctx);
    ctx.Assunto = parametros.email_Assunto();
    ctx.Origem = parametros.email_Origem();
    ctx.ContinuarAposFalha = parametros.Log_ContinuarAposFalha();
    bool comLista = false;
    const auto empresas = LerEmpresas(ctx.FicheiroIni, &comLista);
    if (!comLista) avisarSemLista(ctx);
    avisarChavesDeslocadas(ctx, empresas);
    VerificarSegredos(ctx.FicheiroIni, empresas, &ctx.cacheIni);
    verificarTransporte(ctx);
    ctx.Progresso("Emissão Mapas");
    // After the first line, so a log that cannot be written is the failure told; before the
    // first company, so a ledger that cannot be is found before anything is sent.
    prepararEntregas(ctx);
    if (ctx.Retomar)
        for (const auto& empresa : empresas) ctx.Progresso(textoRegistoRetoma(ctx, empresa));
    for (const auto& empresa : empresas) {
        Interrupcao::Verificar();
        // Set first, so a company whose database does not open is the one a failure names.
        ctx.EmpresaActual = empresa;
        if (empresaJaCompleta(ctx)) continue;
        if (ctx.ContinuarAposFalha)
            tratarEmpresaContinuando(ctx);
        else
            tratarEmpresa(ctx);
        ctx.eventos.ProcessarEventos();
    }
    Interrupcao::Verificar();
    ctx.PassoActual = "fecho da emissão";
    ctx.Progresso("Emissão Mapas terminada");
    // A run that went on past failures ends in failure: its log stays open for the last line
    // and the notice, and is closed where the failure is reported.
    if (!ctx.Falhas.Vazia()) return;
    ctx.Log->Fechar();
    ctx.Log.reset();
}

}  // namespace quorvelanti
