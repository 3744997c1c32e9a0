#include "ExtrairMapas.h"

#include <vector>

#include "ApoioRelatorio.h"
#include "EncomendasDia.h"
#include "EncomendasFornecedor.h"
#include "EncomendasPendentes.h"
#include "TrataVendedor.h"
#include "VendasDia.h"
#include "VendasMesCliente.h"
#include "data/Relogio.h"
#include "output/EnvioMail.h"
#include "output/ExportaExcel.h"
#include "reports/LerMailVendedor.h"
#include "reports/LivroEnviado.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {
// Every date text reads the clock when it is built, so a run that crosses midnight shows the
// date of the moment each title, name and message was made.
std::string hoje(const ContextoExecucao& ctx) { return ctx.relogio.Agora().Formatar("dd-mm-yyyy"); }
std::string agora(const ContextoExecucao& ctx) { return TextoDataHora(ctx.relogio.Agora()); }

std::string mensagemDia(const ContextoExecucao& ctx)
{
    return "Informação relativa ao dia " + hoje(ctx) + " - " + ctx.EmpresaActual;
}

// Sheet names and titles; position 0 stays empty, as the workbook writer expects.
struct Folhas {
    std::vector<std::string> nomes{""};
    std::vector<std::string> titulos{""};
    void Acrescentar(std::string nome, std::string titulo)
    {
        nomes.push_back(std::move(nome));
        titulos.push_back(std::move(titulo));
    }
};

// Writes the workbook and mails it, or keeps it in PastaLog when it has no recipient.
void escreverEEnviar(ContextoExecucao& ctx, const Folhas& folhas, const NomeLivro& nome, TipoLivro tipo,
                     const std::string& destino, const std::string& mensagem)
{
    if (destino.empty()) return ExportaExcel(ctx, folhas.nomes, folhas.titulos, nome.caminho, tipo);
    LivroAnexo livro = ExportaExcelAnexo(ctx, folhas.nomes, folhas.titulos, nome, tipo);
    EnviarLivro(livro, [&] { EnvioMail(ctx, destino, livro, mensagem, "", TipoMail::Empresa); });
}

void extrairRelatorios(ContextoExecucao& ctx)
{
    ExtrairEncomendasPendentesResumo(ctx, ctx.RsEncPendentesResumo);
    ExtrairEncomendasPendentesDetalhe(ctx, ctx.RsEncPendentesDetalhe, ctx.RsEncPendentesLinhas);
    ctx.RsEncDiaResumo = ExtrairEncomendasDiaResumo(ctx, agora(ctx));
    ctx.RsEncDiaDetalhe = ExtrairEncomendasDiaDetalhe(ctx, agora(ctx));
    ctx.RsVendasDiaResumo = ExtrairVendasDiaResumo(ctx, agora(ctx));
    ctx.RsVendasDiaDetalhe = ExtrairVendasDiaDetalhe(ctx, agora(ctx));
    ctx.RsVendasMesCliente = ExtrairVendasMesCliente(ctx, agora(ctx));
    if (!ctx.EmpresaEmCurso().EmpresaEspecial)
        ctx.RsEncFornecedorBDC = ExtrairEncomendasFornecedorBDC(ctx, TextoDataHora(ctx.relogio.Agora().MenosUmAno()));
}

void livroAdministracao(ContextoExecucao& ctx)
{
    if (!ctx.IniciarLivro(IdentidadeLivro::Administracao())) return;
    Folhas folhas;
    folhas.Acrescentar("Enc.Pend.Resumo", "Encomendas Pendentes Resumo a " + hoje(ctx));
    folhas.Acrescentar("Enc.Pend.Detalhe", "Encomendas Pendentes Detalhe a " + hoje(ctx));
    folhas.Acrescentar("Enc.Dia Resumo", "Encomendas Dia Resumo de " + hoje(ctx));
    folhas.Acrescentar("Enc.Dia Detalhe", "Encomendas Dia Detalhe de " + hoje(ctx));
    folhas.Acrescentar("Vendas Dia Resumo", "Vendas Dia Resumo de " + hoje(ctx));
    folhas.Acrescentar("Vendas Dia Detalhe", "Vendas Dia Detalhe de " + hoje(ctx));
    escreverEEnviar(
        ctx, folhas,
        NomeLivro::Para(ctx.PastaLog, ctx.relogio, "_Adm_" + ParteNomeFicheiro(ctx.EmpresaActual) + ".xlsx"),
        TipoLivro::Administracao, ctx.EmpresaEmCurso().Definicoes.DestinoAdm, mensagemDia(ctx));
}

// The five per-salesperson copies; true when any of them has rows.
bool copiasVendedor(ContextoExecucao& ctx, Folhas& folhas, const std::string& codigo)
{
    TrataVendedorPendente(ctx, ctx.RsVendedorPendente, codigo);
    folhas.Acrescentar("Enc.Dia Detalhe", "Encomendas Dia Detalhe de " + hoje(ctx));
    TrataVendedorVenda(ctx, ctx.RsVendedorVenda, codigo);
    folhas.Acrescentar("Vendas Dia Detalhe", "Vendas Dia Detalhe de " + hoje(ctx));
    TrataVendedorEncPendentes(ctx, ctx.RsVendedorEncPendentes, codigo);
    folhas.Acrescentar("Enc.Pend.Detalhe", "Encomendas Pendentes Detalhe a  " + hoje(ctx));
    TrataVendedorAcumulado(ctx, ctx.RsVendedorAcumulado, codigo);
    folhas.Acrescentar("Vendas Acum.", "Vendas Acumuladas de  " + hoje(ctx));
    TrataVendedorCliente(ctx, ctx.RsVendedorCliente, codigo);
    folhas.Acrescentar("Vendas Acum. Mês", "Vendas Acumuladas do Mês corrente  ");
    for (const auto* rs : {&ctx.RsVendedorPendente, &ctx.RsVendedorVenda, &ctx.RsVendedorEncPendentes,
                           &ctx.RsVendedorAcumulado, &ctx.RsVendedorCliente})
        if (rs->ContarRegistos() > 0) return true;
    return false;
}

void livrosVendedores(ContextoExecucao& ctx)
{
    ConjuntoResultados vendedores;
    AbrirRelatorio(ctx, "Select * from Vendedor order by Codigo", vendedores);
    if (vendedores.ContarRegistos() <= 0) return;
    for (vendedores.MoverPrimeiro(); !vendedores.FimDados(); vendedores.MoverSeguinte()) {
        const std::string codigo = vendedores.Texto("Codigo");
        if (!ctx.IniciarLivro(IdentidadeLivro::Vendedor(codigo))) continue;
        Folhas folhas;
        if (!copiasVendedor(ctx, folhas, codigo)) continue;
        std::string email;
        LerMailVendedor(ctx, email, codigo);
        if (email.empty()) continue;
        const auto nome =
            NomeLivro::Para(ctx.PastaLog, ctx.relogio,
                            "_" + ParteNomeFicheiro(codigo) + "_Vnd_" + ParteNomeFicheiro(ctx.EmpresaActual) + ".xlsx");
        escreverEEnviar(ctx, folhas, nome, TipoLivro::Vendedor, email, mensagemDia(ctx));
    }
}

void livroEncomendas(ContextoExecucao& ctx)
{
    if (ctx.EmpresaEmCurso().EmpresaEspecial || ctx.RsEncFornecedorBDC.ContarRegistos() <= 0) return;
    if (!ctx.IniciarLivro(IdentidadeLivro::Compras())) return;
    Folhas folhas;
    folhas.Acrescentar("Encomendas Cliente_Fornecedor", "Encomendas Cliente_Fornecedor em " + hoje(ctx));
    escreverEEnviar(
        ctx, folhas,
        NomeLivro::Para(ctx.PastaLog, ctx.relogio, "_Enc_" + ParteNomeFicheiro(ctx.EmpresaActual) + ".xlsx"),
        TipoLivro::Compras, ctx.EmpresaEmCurso().Definicoes.DestinoEnc,
        "Informação relativa às Encomendas em " + hoje(ctx) + " - " + ctx.EmpresaActual);
}
}  // namespace

void ExtrairMapas(ContextoExecucao& ctx)
{
    extrairRelatorios(ctx);
    livroAdministracao(ctx);
    livrosVendedores(ctx);
    livroEncomendas(ctx);
}

}  // namespace quorvelanti
