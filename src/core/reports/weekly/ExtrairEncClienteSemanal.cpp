#include "ExtrairEncClienteSemanal.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "EncomendasSemana.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "output/EnvioMail.h"
#include "output/ExportaExcel.h"
#include "reports/daily/TrataVendedor.h"
#include "run/ContextoExecucao.h"

namespace quorvelanti {

namespace {

// A client code becomes part of a file name; a path separator in it would send the workbook to
// another folder (or to none), so it is replaced.
std::string parteNomeFicheiro(std::string codigo)
{
    for (char& c : codigo)
        if (c == '/' || c == '\\') c = '_';
    return codigo;
}

void apagarFicheiro(const std::string& caminho)
{
    std::error_code erro;
    if (!std::filesystem::remove(caminho, erro) || erro)
        throw Erro(erros::FicheiroNaoGravado, "Não foi possível apagar o livro enviado: " + caminho,
                   erro.message());
}

// Builds, writes, mails and deletes the workbook of the client row at the cursor.
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
                                 parteNomeFicheiro(terceiro) + ".xlsx";
    ExportaExcel(ctx, folhas, titulos, ficheiro, 4);

    std::string copia;
    LerMailVendedor(ctx, copia, clientes.Texto("Vendedor"));
    EnvioMail(ctx, clientes.Texto("EmailCliente"), ficheiro, "Informação relativa às Encomendas Pendentes", copia, 1);
    apagarFicheiro(ficheiro);
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
        ConjuntoResultados linhas;
        ExtrairEncSemanal(ctx, linhas, clientes.Texto("Terceiro"));
        if (linhas.ContarRegistos() <= 0) continue;
        tratarCliente(ctx, clientes, linhas, consultas);
    }
}

}  // namespace quorvelanti
