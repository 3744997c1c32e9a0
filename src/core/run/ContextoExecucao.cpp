#include "ContextoExecucao.h"

#include "data/Erro.h"
#include "data/Relogio.h"

namespace quorvelanti {

ContextoExecucao::ContextoExecucao(const Relogio& relogio, SaidaProgresso& progresso, BombaEventos& eventos)
    : relogio(relogio), progresso(progresso), eventos(eventos), SessaoCorreio(relogio)
{
    // Mail retries and long waits belong in the night's log; losing one of those lines must not
    // cost a mail, not even the failure notice's.
    SessaoCorreio.DefinirRelato([this](const std::string& linha) {
        if (Log) Log->EscreverSePossivel(linha);
    });
}

namespace {
constexpr std::size_t LinhasGuardadas = 20;
}

void ContextoExecucao::GuardarLinha(const std::string& linha)
{
    UltimasLinhas.push_back(linha);
    if (UltimasLinhas.size() > LinhasGuardadas) UltimasLinhas.pop_front();
}

void ContextoExecucao::AvisarSePossivel(const std::string& aviso)
{
    if (aviso.empty()) return;
    progresso.Aviso(aviso);
    if (Log) Log->EscreverSePossivel(aviso);
}

void ContextoExecucao::Progresso(const std::string& texto)
{
    GuardarLinha(texto);
    progresso.AddLista(texto);
    Log->Escrever(texto);
}

bool ContextoExecucao::IniciarLivro(IdentidadeLivro livro)
{
    RetomarLivro(std::move(livro));
    if (!Retomar || !Entregas || !Entregas->Entregue(EmpresaActual, LivroActual)) return true;
    if (Empresa) ++Empresa->LivrosSaltados;
    return false;
}

EmpresaCorrida& ContextoExecucao::EmpresaEmCurso() const
{
    if (!Empresa) throw Erro(erros::LigacaoFechada, "Não há empresa em curso", EmpresaActual);
    return *Empresa;
}

void ContextoExecucao::RetomarLivro(IdentidadeLivro livro)
{
    LivroActual = std::move(livro);
    PassoActual = LivroActual.Descricao();
}

void ContextoExecucao::RegistarEntrega(const std::string& para, const std::string& cc, const std::string& idMensagem,
                                       const SituacaoEntrega& situacao)
{
    if (Entregas) Entregas->Registar(EmpresaActual, LivroActual, para, cc, idMensagem, relogio.Agora(), situacao);
    Metricas.Entrega(EmpresaActual, situacao);
}

void ContextoExecucao::RegistarFalha(const Erro& erro, int estado)
{
    const std::string linha = "Erro " + std::to_string(erro.Numero()) + ": " + erro.DescricaoCompleta();
    GuardarLinha(linha);
    progresso.Aviso(linha);
    if (Log) Log->EscreverSePossivel(linha);
    Falhas.Registar({erro.Numero(), erro.DescricaoCompleta(), EmpresaActual, PassoActual, estado});
}

}  // namespace quorvelanti
