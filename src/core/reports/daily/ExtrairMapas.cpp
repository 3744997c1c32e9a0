#include "ExtrairMapas.h"

#include "ApoioRelatorio.h"
#include "EncomendasDia.h"
#include "EncomendasFornecedor.h"
#include "EncomendasPendentes.h"
#include "TrataVendedor.h"
#include "VendasDia.h"
#include "VendasMesCliente.h"
#include "data/Relogio.h"
#include "reports/DescricoesLivros.h"
#include "reports/LerMailVendedor.h"
#include "reports/LivroEnviado.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
// Each workbook reads the clock when it is made, once for its titles and message, so a run that
// crosses midnight shows on each the date of the moment it was made.
std::string hoje(const ContextoExecucao& ctx) { return ctx.relogio.Agora().Formatar("dd-mm-yyyy"); }
std::string agora(const ContextoExecucao& ctx) { return TextoDataHora(ctx.relogio.Agora()); }

std::string mensagemDia(const ContextoExecucao& ctx, const std::string& dia)
{
    return "Informação relativa ao dia " + dia + " - " + ctx.EmpresaActual;
}

// The workbook mailed to 'para' with the day's message, or kept in PastaLog without a recipient.
LivroPronto livroDoDia(const ContextoExecucao& ctx, IdentidadeLivro identidade, DescricaoLivro descricao,
                       const std::string& resto, std::string para, std::string corpo)
{
    return {.identidade = std::move(identidade),
            .nome = NomeLivro::Para(ctx.PastaLog, ctx.relogio, resto),
            .descricao = std::move(descricao),
            .mensagem = {.para = std::move(para), .assunto = ctx.Assunto, .corpo = std::move(corpo)}};
}

void livroAdministracao(ContextoExecucao& ctx, const EmpresaCorrida& empresa, const MapasDia& mapas)
{
    if (!ctx.IniciarLivro(IdentidadeLivro::Administracao())) return;
    const std::string dia = hoje(ctx);
    DespacharLivro(ctx, livroDoDia(ctx, IdentidadeLivro::Administracao(), DescreverAdministracao(mapas, dia),
                                   "_Adm_" + ParteNomeFicheiro(ctx.EmpresaActual) + ".xlsx",
                                   empresa.Definicoes.DestinoAdm, mensagemDia(ctx, dia)));
}

void livrosVendedores(ContextoExecucao& ctx, const MapasDia& mapas)
{
    ConjuntoResultados vendedores;
    AbrirRelatorio(ctx, "Select * from Vendedor order by Codigo", vendedores);
    if (vendedores.ContarRegistos() <= 0) return;
    for (vendedores.MoverPrimeiro(); !vendedores.FimDados(); vendedores.MoverSeguinte()) {
        const std::string codigo = vendedores.Texto("Codigo");
        if (!ctx.IniciarLivro(IdentidadeLivro::Vendedor(codigo))) continue;
        const CopiasVendedor copias = CopiarVendedor(mapas, codigo);
        if (!copias.TemLinhas()) continue;
        std::string email;
        LerMailVendedor(ctx, email, codigo);
        if (email.empty()) continue;
        const std::string dia = hoje(ctx);
        DespacharLivro(
            ctx, livroDoDia(ctx, IdentidadeLivro::Vendedor(codigo), DescreverVendedor(copias, dia),
                            "_" + ParteNomeFicheiro(codigo) + "_Vnd_" + ParteNomeFicheiro(ctx.EmpresaActual) + ".xlsx",
                            email, mensagemDia(ctx, dia)));
    }
}

void livroEncomendas(ContextoExecucao& ctx, const EmpresaCorrida& empresa, const MapasDia& mapas)
{
    if (empresa.EmpresaEspecial || mapas.RsEncFornecedorBDC.ContarRegistos() <= 0) return;
    if (!ctx.IniciarLivro(IdentidadeLivro::Compras())) return;
    const std::string dia = hoje(ctx);
    DespacharLivro(ctx,
                   livroDoDia(ctx, IdentidadeLivro::Compras(), DescreverCompras(mapas, dia),
                              "_Enc_" + ParteNomeFicheiro(ctx.EmpresaActual) + ".xlsx", empresa.Definicoes.DestinoEnc,
                              "Informação relativa às Encomendas em " + dia + " - " + ctx.EmpresaActual));
}
}  // namespace

MapasDia ExtrairMapasDia(ContextoExecucao& ctx, const EmpresaCorrida& empresa)
{
    MapasDia mapas;
    mapas.RsEncPendentesResumo = ExtrairEncomendasPendentesResumo(ctx);
    ExtrairEncomendasPendentesDetalhe(ctx, mapas.RsEncPendentesDetalhe, mapas.RsEncPendentesLinhas);
    mapas.RsEncDiaResumo = ExtrairEncomendasDiaResumo(ctx, agora(ctx));
    mapas.RsEncDiaDetalhe = ExtrairEncomendasDiaDetalhe(ctx, agora(ctx));
    mapas.RsVendasDiaResumo = ExtrairVendasDiaResumo(ctx, agora(ctx));
    mapas.RsVendasDiaDetalhe = ExtrairVendasDiaDetalhe(ctx, agora(ctx));
    mapas.RsVendasMesCliente = ExtrairVendasMesCliente(ctx, agora(ctx));
    if (!empresa.EmpresaEspecial)
        mapas.RsEncFornecedorBDC = ExtrairEncomendasFornecedorBDC(ctx, TextoDataHora(ctx.relogio.Agora().MenosUmAno()));
    return mapas;
}

void ExtrairMapas(ContextoExecucao& ctx)
{
    const EmpresaCorrida& empresa = ctx.EmpresaEmCurso();
    const MapasDia mapas = ExtrairMapasDia(ctx, empresa);
    livroAdministracao(ctx, empresa, mapas);
    livrosVendedores(ctx, mapas);
    livroEncomendas(ctx, empresa, mapas);
}

}  // namespace quorvelanti
