#include "ExtrairEncClienteSemanal.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <vector>

#include "EncomendasSemana.h"
#include "components/database/LigacaoBD.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "reports/DescricoesLivros.h"
#include "reports/LerMailVendedor.h"
#include "reports/LivroEnviado.h"
#include "run/ContextoExecucao.h"
#include "run/TipoFalha.h"

namespace quorvelanti {

namespace {

// One client of the client list, its rows (one per salesperson) taken together.
struct ClienteSemana {
    std::string terceiro;
    std::string nome;
    std::string email;
    std::vector<std::string> vendedores;  // codes, in list order
    std::string nomesVendedores;          // the names that are not empty, joined by ", "
};

// Clients are read from the database a batch at a time, then their workbooks written, then
// mailed: the database's, the writer's and the mail's working sets each stay in the processor's
// caches through a batch, where taking turns at every client costs a large company's weekly run
// about a tenth more.
constexpr std::size_t kClientesPorLote = 64;

// Reads the client at the cursor and every following row of the same code, which the list's
// order keeps together; leaves the cursor on the next client.
ClienteSemana lerCliente(ConjuntoResultados& clientes)
{
    ClienteSemana cliente{clientes.Texto("Terceiro"), clientes.Texto("Nome"), clientes.Texto("EmailCliente"), {}, {}};
    for (; !clientes.FimDados() && clientes.Texto("Terceiro") == cliente.terceiro; clientes.MoverSeguinte()) {
        cliente.vendedores.push_back(clientes.Texto("Vendedor"));
        const std::string nome = clientes.Texto("NomeVendedor");
        if (nome.empty()) continue;
        cliente.nomesVendedores += (cliente.nomesVendedores.empty() ? "" : ", ") + nome;
    }
    return cliente;
}

// The addresses of the client's salespeople that have one, each once, separated by ";".
std::string copiaVendedores(const ParesVendedores& pares, const ClienteSemana& cliente)
{
    std::vector<std::string> enderecos;
    std::string copia;
    for (const auto& codigo : cliente.vendedores) {
        const std::string email = EmailVendedor(pares, codigo);
        if (email.empty() || std::find(enderecos.begin(), enderecos.end(), email) != enderecos.end()) continue;
        enderecos.push_back(email);
        copia += (copia.empty() ? "" : ";") + email;
    }
    return copia;
}

// The client's workbook, with its message to the client and a copy to its salespeople.
LivroPronto livroCliente(const ContextoExecucao& ctx, const ClienteSemana& cliente, ConjuntoResultados encomendas,
                         const ParesVendedores& pares)
{
    const EncomendasCliente conteudo{cliente.terceiro, cliente.nome, cliente.nomesVendedores, std::move(encomendas)};
    return {.identidade = IdentidadeLivro::Cliente(cliente.terceiro),
            .nome = NomeLivro::Para(ctx.PastaLog, ctx.relogio, "_Enc_" + ParteNomeFicheiro(cliente.terceiro) + ".xlsx"),
            .descricao = DescreverClienteSemanal(conteudo),
            .mensagem = {.para = cliente.email,
                         .copia = copiaVendedores(pares, cliente),
                         .assunto = "Encomendas Pendentes",
                         .corpo = "Informação relativa às Encomendas Pendentes",
                         .tipo = TipoMail::Cliente}};
}

// The clients read from the list ahead of the batch being made, their statements sent: their
// lines always, their articles' lookups from the first one on to 'comPesquisas'.
struct ClientesAdiante {
    std::deque<ClienteSemana> clientes;
    std::size_t comPesquisas = 0;
};

// Tops the clients ahead up to two batches' worth, once fewer than a batch are left, and sends
// their lines' statements: a client without an address, or already delivered (a resume), has no
// workbook and no statement.
void lerAdiante(ContextoExecucao& ctx, ConjuntoResultados& clientes, ClientesAdiante& adiante)
{
    if (adiante.clientes.size() >= kClientesPorLote) return;
    std::vector<std::string> sqls;
    while (adiante.clientes.size() < 2 * kClientesPorLote && !clientes.FimDados()) {
        ClienteSemana cliente = lerCliente(clientes);
        if (cliente.email.empty()) continue;
        if (!ctx.IniciarLivro(IdentidadeLivro::Cliente(cliente.terceiro))) continue;
        sqls.push_back(InstrucaoEncSemanal(ctx, cliente.terceiro));
        adiante.clientes.push_back(std::move(cliente));
    }
    ctx.EmpresaEmCurso().Ligacao->Antecipar(sqls);
}

// Once their lines are in, sends the lookups of the clients ahead that have none sent yet.
void anteciparPesquisas(ContextoExecucao& ctx, ConsultasArtigo& consultas, ClientesAdiante& adiante)
{
    LigacaoBD& ligacao = *ctx.EmpresaEmCurso().Ligacao;
    std::vector<LinhaArtigo> linhas;
    for (; adiante.comPesquisas < adiante.clientes.size(); ++adiante.comPesquisas)
        if (auto previstas =
                ligacao.Antevisao(InstrucaoEncSemanal(ctx, adiante.clientes[adiante.comPesquisas].terceiro))) {
            const std::vector<LinhaArtigo> doCliente = LinhasArtigo(*previstas);
            linhas.insert(linhas.end(), doCliente.begin(), doCliente.end());
        }
    consultas.Antecipar(linhas);
}

// Makes the clients ahead into 'lote' until it holds a batch or the list ends (a client without
// pending lines has no workbook either); then sends the next clients' lines ahead, to travel
// while this batch is written and mailed.
void lerLote(ContextoExecucao& ctx, ConjuntoResultados& clientes, ConsultasArtigo& consultas,
             const ParesVendedores& pares, ClientesAdiante& adiante, std::vector<LivroPronto>& lote)
{
    while (lote.size() < kClientesPorLote) {
        lerAdiante(ctx, clientes, adiante);
        if (adiante.clientes.empty()) break;
        anteciparPesquisas(ctx, consultas, adiante);
        while (lote.size() < kClientesPorLote && !adiante.clientes.empty()) {
            const ClienteSemana cliente = std::move(adiante.clientes.front());
            adiante.clientes.pop_front();
            --adiante.comPesquisas;
            ctx.RetomarLivro(IdentidadeLivro::Cliente(cliente.terceiro));
            ConjuntoResultados linhas;
            ExtrairEncSemanal(ctx, linhas, cliente.terceiro);
            if (linhas.ContarRegistos() <= 0) continue;
            ConjuntoResultados encomendas;
            PreencheEncSemanal(encomendas, linhas, consultas);
            lote.push_back(livroCliente(ctx, cliente, std::move(encomendas), pares));
        }
    }
    lerAdiante(ctx, clientes, adiante);
}

// A failure met in a batch, and the workbook it names.
struct FalhaLote {
    std::exception_ptr erro;
    IdentidadeLivro livro;
};

// Writes the batch's workbooks in list order until one fails: that failure comes before any of
// the reading, which stopped at a later client, and takes its place. Told to stop, the run
// mails nothing more and the written workbooks go: what is missing is left to the resume.
std::vector<LivroAnexo> escreverLote(ContextoExecucao& ctx, std::vector<LivroPronto>& lote, FalhaLote& falha)
{
    std::vector<LivroAnexo> livros;
    livros.reserve(lote.size());
    try {
        for (auto& livro : lote) {
            Interrupcao::Verificar();
            livros.push_back(EscreverLivro(ctx, livro));
        }
    } catch (const Erro& erro) {
        if (TipoDe(erro) == TipoFalha::Interrupcao) throw;
        falha = {std::current_exception(), ctx.LivroActual};
    }
    return livros;
}

}  // namespace

void ExtrairEncClienteSemanal(ContextoExecucao& ctx)
{
    ConsultasArtigo consultas(*ctx.EmpresaEmCurso().Ligacao);
    ExtrairEncClienteSemanal(ctx, consultas);
}

void ExtrairEncClienteSemanal(ContextoExecucao& ctx, ConsultasArtigo& consultas)
{
    ConjuntoResultados clientes;
    ClientesSemana(ctx, clientes);
    if (clientes.ContarRegistos() <= 0) return;
    // Read once for the company: every client's message looks its salespeople up in it.
    const ParesVendedores pares = ParesVendedor(ctx.EmpresaEmCurso().Definicoes.DestinoVnd);
    ClientesAdiante adiante;
    for (clientes.MoverPrimeiro(); !clientes.FimDados() || !adiante.clientes.empty();) {
        std::vector<LivroPronto> lote;
        FalhaLote falha;
        try {
            lerLote(ctx, clientes, consultas, pares, adiante, lote);
        } catch (...) {
            falha = {std::current_exception(), ctx.LivroActual};
        }
        // The clients before a failing one still get their mail, as when each went in turn; the
        // failure then names the client it came from. Once the run was told to stop, nothing more
        // is mailed: the batch is left to the resume, as a client cut short would be.
        std::vector<LivroAnexo> livros = escreverLote(ctx, lote, falha);
        for (std::size_t i = 0; i < livros.size(); ++i) {
            Interrupcao::Verificar();
            EnviarLivroPronto(ctx, lote[i], livros[i]);
        }
        if (!falha.erro) continue;
        ctx.RetomarLivro(falha.livro);
        std::rethrow_exception(falha.erro);
    }
}

}  // namespace quorvelanti
