#include "Sincronizacao.h"

#include <filesystem>

#include "app/FicheiroMetricas.h"
#include "app/VigiaCorrida.h"
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
#include "reports/daily/ExtrairMapas.h"
#include "reports/weekly/ExtrairEncClienteSemanal.h"
#include "run/ContextoExecucao.h"
#include "run/TipoFalha.h"
#include "settings/ChavesParametros.h"
#include "settings/DefinicoesEmpresa.h"
#include "settings/LeituraCorreio.h"
#include "settings/Parametros.h"
#include "settings/RegistoEntregas.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

// A warning goes where the scheduler's output and the log are read.
void avisar(const ContextoExecucao& ctx, const std::string& aviso)
{
    ctx.progresso.Aviso(aviso);
    if (ctx.Log->Aberto()) ctx.Log->Escrever(aviso);
}

std::unique_ptr<LigacaoBD> ligar(const ContextoExecucao& ctx, const std::string& empresa,
                                 const ConstrutorLigacao& construtor)
{
    auto ligacao = std::make_unique<LigacaoBD>();
    if (!ctx.FicheiroRegistoSql.empty()) ligacao->DefinirRegistoSql(ctx.FicheiroRegistoSql);
    ligacao->DefinirAviso([&ctx](const std::string& aviso) { avisar(ctx, aviso); });
    try {
        ligacao->AbrirLigacao(construtor.Definicoes());
    } catch (const Erro& erro) {
        // The run ends here, saying which company and why, instead of at its first query.
        throw Erro(erro.Numero(), "Não foi possível ligar à base de dados da empresa " + empresa,
                   erro.DescricaoCompleta());
    }
    return ligacao;
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
    if (const auto saida = PastaSaidaCorreio(ini); !saida.empty()) FicheiroTemporario::RemoverAbandonados(saida);
}

// A mail API named wrong (an unknown Transporte, a UrlApi that is not https) would fail only at
// the first message, after a company's work: it ends the run before anything is done.
void verificarTransporte(ContextoExecucao& ctx)
{
    LeitorIni ini(&ctx.cacheIni);
    ini.DefinirFicheiro(ctx.FicheiroIni);
    LerDefinicoesApi(ini);
}

void fechar(std::unique_ptr<LigacaoBD>& ligacao)
{
    if (ligacao) ligacao->FecharLigacao();
}

// The company's identity and reports. A failure keeps its number and says which company it
// ended, so an unattended night's log tells where to look; a workbook's failure is in the log
// already, in full.
void extrairEmpresa(ContextoExecucao& ctx, EmpresaCorrida& empresa)
{
    ctx.PassoActual = "consultas dos relatórios";
    try {
        getNomeEmpresa(empresa);
        if (ctx.ModoSemanal())
            ExtrairEncClienteSemanal(ctx);
        else
            ExtrairMapas(ctx);
    } catch (const Erro& erro) {
        if (TipoDe(erro) == TipoFalha::Livro) throw;
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
std::string textoRetoma(const ContextoExecucao& ctx, const EmpresaCorrida& empresa)
{
    const int n = empresa.LivrosSaltados;
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

// The company in hand for the reports while it is being done; none once it ends, however it ends.
class EmpresaEmCurso {
public:
    EmpresaEmCurso(ContextoExecucao& ctx, EmpresaCorrida& empresa) : ctx_(ctx) { ctx_.Empresa = &empresa; }
    ~EmpresaEmCurso() { ctx_.Empresa = nullptr; }
    EmpresaEmCurso(const EmpresaEmCurso&) = delete;
    EmpresaEmCurso& operator=(const EmpresaEmCurso&) = delete;

private:
    ContextoExecucao& ctx_;
};

// One company from its connections to the ledger line that says its set went out whole. Its
// state is made here and goes with it: the next company starts from nothing of this one.
void tratarEmpresa(ContextoExecucao& ctx)
{
    ctx.PassoActual = "ligação à base de dados";
    LeitorIni ini(&ctx.cacheIni);
    ini.DefinirFicheiro(ctx.FicheiroIni);
    EmpresaCorrida empresa(DefinicoesEmpresa::Ler(ini, ctx.EmpresaActual, ctx.FicheiroIni));
    const EmpresaEmCurso emCurso(ctx, empresa);
    AbreLigacao(ctx, empresa);
    AbreLigacaoExt(ctx, empresa);
    extrairEmpresa(ctx, empresa);
    if (ctx.Retomar) ctx.Progresso(textoRetoma(ctx, empresa));
    ctx.Progresso("Extrair Mapas " + ctx.EmpresaActual);
    fechar(empresa.Ligacao);
    fechar(empresa.LigacaoExt);
    ctx.Entregas->RegistarEmpresaCompleta(ctx.EmpresaActual, ctx.relogio.Agora());
}

// The workbook writer has logged what failed in full; its failure then says whose it was.
void registarFalhaEmpresa(ContextoExecucao& ctx, const Erro& erro)
{
    ctx.Metricas.FimEmpresa(ctx.EmpresaActual, ctx.relogio.AgoraReal(), FalhasCorrida::Estado(erro));
    if (TipoDe(erro) != TipoFalha::Livro) return ctx.RegistarFalha(erro);
    ctx.RegistarFalha(Erro(erros::LivroFalhou, "Falha na criação de um livro da empresa " + ctx.EmpresaActual +
                                                   "; ver o registo da emissão"),
                      FalhasCorrida::Estado(erro));
}

// With ContinuarAposFalha a company's failure is recorded and logged, its connections gone with
// it, and the run goes on; its workbooks not yet mailed stay in the log folder, for the resume.
void tratarEmpresaContinuando(ContextoExecucao& ctx)
{
    try {
        tratarEmpresa(ctx);
    } catch (const Erro& erro) {
        if (TerminaACorrida(TipoDe(erro))) throw;
        registarFalhaEmpresa(ctx, erro);
    }
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

void AbreLigacao(const ContextoExecucao& ctx, EmpresaCorrida& empresa)
{
    empresa.Ligacao = ligar(ctx, empresa.Definicoes.Nome, empresa.Definicoes.Ligacao);
}

void AbreLigacaoExt(const ContextoExecucao& ctx, EmpresaCorrida& empresa)
{
    if (empresa.Definicoes.LigacaoExt)
        empresa.LigacaoExt = ligar(ctx, empresa.Definicoes.Nome, *empresa.Definicoes.LigacaoExt);
}

void getNomeEmpresa(EmpresaCorrida& empresa)
{
    ConjuntoResultados rs;
    empresa.Ligacao->AbrirConsulta("SELECT NOME, NumContr FROM dbo.EMPRESA", rs);
    // A company without its row has no tax number, so it is not the special one.
    empresa.EmpresaEspecial = false;
    if (rs.ContarRegistos() > 0) {
        rs.MoverPrimeiro();
        empresa.EmpresaEspecial = rs.Texto("NumContr") == ContribuinteEmpresaEspecial;
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
    ctx.UrlVigia = parametros.Log_UrlVigia();
    ctx.CertificadoVigia = parametros.Log_CertificadoCA();
    ctx.PastaMetricas = parametros.Log_PastaMetricas();
    ctx.Resumo = DefinicoesResumo::Ler(ctx.FicheiroIni, &ctx.cacheIni);
    AvisarInicioVigia(ctx);
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
        ctx.Metricas.InicioEmpresa(empresa, ctx.relogio.AgoraReal());
        if (ctx.ContinuarAposFalha)
            tratarEmpresaContinuando(ctx);
        else
            tratarEmpresa(ctx);
        ctx.Metricas.FimEmpresa(empresa, ctx.relogio.AgoraReal(), 0);
        ctx.eventos.ProcessarEventos();
    }
    Interrupcao::Verificar();
    ctx.PassoActual = "fecho da emissão";
    ctx.Progresso("Emissão Mapas terminada");
    // A run that went on past failures ends in failure: its log stays open for the last line
    // and the notice, and is closed where the failure is reported.
    if (!ctx.Falhas.Vazia()) return;
    EscreverMetricas(ctx, 0);
    AvisarFimVigia(ctx, 0);
    ctx.Log->Fechar();
    ctx.Log.reset();
}

}  // namespace quorvelanti
