#include "Verificacao.h"

#include <chrono>
#include <cstdio>
#include <functional>

#include "app/Sincronizacao.h"
#include "app/VigiaCorrida.h"
#include "components/files/VerificadorPasta.h"
#include "components/mail/ServicoCorreio.h"
#include "components/mail/mime/MensagemEnderecos.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "data/Texto.h"
#include "reports/LerMailVendedor.h"
#include "run/ContextoExecucao.h"
#include "run/EmpresaCorrida.h"
#include "settings/ChavesParametros.h"
#include "settings/DefinicoesResumo.h"
#include "settings/LeituraCorreio.h"
#include "settings/Parametros.h"
#include "settings/RegistoEntregas.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {

class Verificacao {
public:
    explicit Verificacao(ContextoExecucao& ctx) : ctx_(ctx) {}

    // One line: what held, as the step says it, or why not, from the Erro it raised.
    bool Verificar(const std::string& assunto, const std::function<std::string()>& passo)
    {
        try {
            const std::string feito = passo();
            ctx_.progresso.AddLista("ok    " + assunto + (feito.empty() ? "" : ": " + feito));
            return true;
        } catch (const Erro& erro) {
            Falhar(assunto, erro.DescricaoCompleta());
        } catch (const std::exception& erro) {
            Falhar(assunto, Erro::De(erro).DescricaoCompleta());
        }
        return false;
    }

    void Falhar(const std::string& assunto, const std::string& razao)
    {
        ++falhas_;
        ctx_.progresso.AddLista("FALHA " + assunto + ": " + razao);
    }
    // A line that tells without failing the check.
    void Informar(const std::string& texto) { ctx_.progresso.AddLista("info  " + texto); }

    bool TudoBem() const { return falhas_ == 0; }

private:
    ContextoExecucao& ctx_;
    int falhas_ = 0;
};

std::string listaEmpresas(const std::vector<std::string>& empresas, bool comLista)
{
    if (!comLista)
        throw Erro(erros::ParametroInvalido, "O ficheiro não tem a linha [EMPRESAS]: nenhuma empresa seria processada");
    std::string nomes;
    for (const auto& e : empresas) nomes += (nomes.empty() ? "" : ", ") + e;
    return std::to_string(empresas.size()) + (empresas.size() == 1 ? " empresa" : " empresas") +
           (nomes.empty() ? "" : " (" + nomes + ")");
}

// The folder must exist and take new files from the user the run goes as.
std::string pastaRegisto(const Parametros& parametros)
{
    if (texto::Aparar(parametros.Log_Directoria()).empty())
        throw Erro(erros::ParametroInvalido, "A chave não está definida: o registo e os livros não teriam pasta");
    const std::string pasta = Parametros::PastaDe(parametros.Log_Directoria());
    if (!VerificadorPasta().Existe(pasta)) throw Erro(erros::FicheiroInexistente, "A pasta " + pasta + " não existe");
    if (!sistema::PastaGravavel(pasta))
        throw Erro(erros::FicheiroNaoGravado,
                   "A pasta " + pasta + " não aceita ficheiros de " + sistema::UtilizadorActual());
    return pasta + " existe e aceita ficheiros";
}

std::string enderecos(const std::string& lista)
{
    const auto n = mensagem::LerEnderecos(lista).size();
    return std::to_string(n) + (n == 1 ? " endereço" : " endereços");
}

double segundosDesde(const Relogio& relogio, std::chrono::steady_clock::time_point inicio)
{
    return std::chrono::duration<double>(relogio.Instante() - inicio).count();
}

std::string emSegundos(double segundos)
{
    char texto[32];
    std::snprintf(texto, sizeof texto, "%.1f s", segundos);
    return texto;
}

// Every address the company's workbooks go to: a mistyped one fails here, not halfway through
// the night's mail.
void verificarDestinos(const DefinicoesEmpresa& empresa)
{
    const std::string& nome = empresa.Nome;
    const auto verificar = [&](const std::string& chave, const std::string& lista) {
        try {
            mensagem::LerEnderecos(lista);
        } catch (const Erro& erro) {
            throw Erro(erros::ParametroInvalido, "Empresa " + nome + ": a chave " + chave + " tem um endereço inválido",
                       erro.DescricaoCompleta());
        }
    };
    verificar("DestinoAdm", empresa.DestinoAdm);
    verificar("DestinoEnc", empresa.DestinoEnc);
    for (const auto& [codigo, endereco] : ParesVendedor(empresa.DestinoVnd))
        verificar("DestinoVnd (vendedor " + codigo + ")", endereco);
}

EmpresaCorrida lerEmpresa(ContextoExecucao& ctx, const std::string& nome)
{
    LeitorIni ini(&ctx.cacheIni);
    ini.DefinirFicheiro(ctx.FicheiroIni);
    return EmpresaCorrida(DefinicoesEmpresa::Ler(ini, nome, ctx.FicheiroIni));
}

// The connection as the run opens it, then the query that starts each company's reports.
std::string empresa(ContextoExecucao& ctx, const std::string& nome)
{
    const auto inicio = ctx.relogio.Instante();
    EmpresaCorrida emp = lerEmpresa(ctx, nome);
    AbreLigacao(ctx, emp);
    getNomeEmpresa(emp);
    emp.Ligacao->FecharLigacao();
    std::string feito = "ligação e consulta da empresa em " + emSegundos(segundosDesde(ctx.relogio, inicio));
    verificarDestinos(emp.Definicoes);
    return feito;
}

std::string empresaExterna(ContextoExecucao& ctx, const std::string& nome)
{
    const auto inicio = ctx.relogio.Instante();
    EmpresaCorrida emp = lerEmpresa(ctx, nome);
    AbreLigacaoExt(ctx, emp);
    emp.LigacaoExt->FecharLigacao();
    return "ligação em " + emSegundos(segundosDesde(ctx.relogio, inicio));
}

// A key under another section than its own is never read: the check fails on it. Keys and
// sections the program does not read at all are only told.
void verificarLugarDasChaves(Verificacao& v, ContextoExecucao& ctx, const std::vector<std::string>& empresas)
{
    LeitorIni ini(&ctx.cacheIni);
    ini.DefinirFicheiro(ctx.FicheiroIni);
    for (const auto& achado : ChavesParametros::Examinar(ini, empresas)) {
        if (achado.tipo != ChavesParametros::Tipo::Deslocada) {
            v.Informar(achado.Texto());
            continue;
        }
        v.Falhar(achado.Assunto(), achado.razao);
    }
}

}  // namespace

bool VerificarParametros(ContextoExecucao& ctx)
{
    Verificacao v(ctx);
    // Nothing else can be read from a file that cannot be.
    if (!v.Verificar("ficheiro de parâmetros", [&] {
            VerificarFicheiroParametros(ctx);
            return ctx.FicheiroIni;
        }))
        return false;

    bool comLista = false;
    std::vector<std::string> empresas;
    v.Verificar("[EMPRESAS]", [&] {
        empresas = LerEmpresas(ctx.FicheiroIni, &comLista);
        return listaEmpresas(empresas, comLista);
    });
    verificarLugarDasChaves(v, ctx, empresas);
    Parametros parametros;
    parametros.FicheiroIni(ctx.FicheiroIni);
    v.Verificar("[Log] Directoria", [&] {
        parametros.Ler();
        return pastaRegisto(parametros);
    });
    if (!texto::Aparar(parametros.Log_Directoria()).empty())
        v.Verificar("registo de entregas", [&] {
            const std::string caminho = RegistoEntregas::NomeFicheiro(Parametros::PastaDe(parametros.Log_Directoria()));
            return caminho + (RegistoEntregas::VerificarCaminho(caminho) ? "" : " (criado na primeira corrida)");
        });
    if (!texto::Aparar(parametros.Log_AvisoFalha()).empty())
        v.Verificar("[Log] AvisoFalha", [&] { return enderecos(parametros.Log_AvisoFalha()); });
    if (!parametros.Log_UrlVigia().empty())
        v.Verificar("[Log] UrlVigia", [&] {
            const std::string falha =
                VigiaCorrida(parametros.Log_UrlVigia(), parametros.Log_CertificadoCA()).Verificar();
            if (!falha.empty()) throw Erro(erros::ParametroInvalido, falha);
            return std::string("a vigia respondeu");
        });

    // Shown when the file sets it: a file without it checks as it always did.
    if (DefinicoesResumo::Escrito(ctx.FicheiroIni, &ctx.cacheIni))
        v.Verificar("[email] Resumo", [&] {
            const DefinicoesResumo r = DefinicoesResumo::Ler(ctx.FicheiroIni, &ctx.cacheIni);
            return r.activo
                       ? "cada mensagem leva o resumo em HTML, até " + std::to_string(r.linhas) + " linhas por folha"
                       : std::string("mensagens só com texto e o livro");
        });

    ServicoCorreio correio(ctx.relogio);
    if (v.Verificar("[SMTP]", [&] {
            correio.Configurar(LerDefinicoesCorreio(ctx.FicheiroIni, &ctx.cacheIni));
            return std::string("chaves válidas");
        }))
        v.Verificar("correio", [&] { return correio.Verificar(parametros.email_Origem()); });

    for (const auto& nome : empresas) {
        LeitorIni ini(&ctx.cacheIni);
        ini.DefinirFicheiro(ctx.FicheiroIni);
        v.Verificar("empresa " + nome, [&] { return empresa(ctx, nome); });
        if (DefinicoesEmpresa::TemSegundaBase(ini, nome))
            v.Verificar("empresa " + nome + " (EmpresaExt)", [&] { return empresaExterna(ctx, nome); });
    }
    return v.TudoBem();
}

}  // namespace quorvelanti
