#include "ExtrairEncClienteSemanal.h"

#include <vector>

#include "EncomendasSemana.h"
#include "data/Relogio.h"
#include "output/EnvioMail.h"
#include "output/ExportaExcel.h"
#include "reports/LerMailVendedor.h"
#include "reports/LivroEnviado.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

// Builds, writes and mails the workbook of the client row at the cursor.
void tratarCliente(ContextoExecucao& ctx, ConjuntoResultados& clientes, ConjuntoResultados& linhas,
                   ConsultasArtigo& consultas)
{
    const std::string terceiro = clientes.Texto("Terceiro");
    PreencheEncSemanal(ctx.RsEncSemanal, linhas, consultas);
    ctx.ClienteActual = terceiro;
    ctx.NomeClienteActual = clientes.Texto("Nome");
    ctx.NomeVendedorActual = clientes.Texto("NomeVendedor");
    ctx.Assunto = "Encomendas Pendentes";

    const std::vector<std::string> folhas{"", "Enc. Pendentes"};
    const std::vector<std::string> titulos{"", "Encomendas Pendentes"};
    const std::string ficheiro = ctx.PastaLog + ctx.relogio.Agora().Formatar("yyyymmddhhmmss") + "_Enc_" +
                                 ParteNomeFicheiro(terceiro) + ".xlsx";
    LivroAnexo livro = ExportaExcelAnexo(ctx, folhas, titulos, ficheiro, TipoLivro::ClienteSemanal);
    EnviarLivro(livro, [&] {
        std::string copia;
        LerMailVendedor(ctx, copia, clientes.Texto("Vendedor"));
        EnvioMail(ctx, clientes.Texto("EmailCliente"), livro, "Informação relativa às Encomendas Pendentes", copia,
                  TipoMail::Cliente);
    });
}

}  // namespace

void ExtrairEncClienteSemanal(ContextoExecucao& ctx)
{
    ConsultasArtigo consultas(*ctx.Ligacao);
    ExtrairEncClienteSemanal(ctx, consultas);
}

void ExtrairEncClienteSemanal(ContextoExecucao& ctx, ConsultasArtigo& consultas)
{
    ConjuntoResultados clientes;
    ClientesSemana(ctx, clientes);
    if (clientes.ContarRegistos() <= 0) return;
    for (clientes.MoverPrimeiro(); !clientes.FimDados(); clientes.MoverSeguinte()) {
        // No address, no workbook: skipped without a trace.
        if (clientes.Texto("EmailCliente").empty()) continue;
        if (!ctx.IniciarLivro(IdentidadeLivro::Cliente(clientes.Texto("Terceiro"), clientes.Texto("Vendedor")))) continue;
        ConjuntoResultados linhas;
        ExtrairEncSemanal(ctx, linhas, clientes.Texto("Terceiro"));
        if (linhas.ContarRegistos() <= 0) continue;
        tratarCliente(ctx, clientes, linhas, consultas);
    }
}

}  // namespace quorvelanti
