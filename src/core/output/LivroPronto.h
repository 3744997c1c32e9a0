#pragma once
// A finished workbook with its message: what a report hands over for the dispatcher
// (DespacharLivro) to write, mail, record in the ledger and delete.
//
//   LivroPronto livro{.identidade = IdentidadeLivro::Compras(),
//                     .nome = NomeLivro::Para(ctx.PastaLog, ctx.relogio, "_Enc_EMP.xlsx"),
//                     .descricao = DescreverCompras(mapas, "07-12-2026"),
//                     .mensagem = {.para = "compras@emp.pt", .assunto = "Mapas", .corpo = "..."}};
//   DespacharLivro(ctx, livro);
//
// Without a recipient the workbook is written into the log folder and stays there.
#include <string>

#include "output/DescricaoLivro.h"
#include "output/NomeLivro.h"
#include "settings/IdentidadeLivro.h"

namespace quorvelanti {

// Whom a mail goes to; each value is the type's number.
enum class TipoMail {
    Empresa = 0,  // the daily workbooks to the company's administration, salespeople and buyers
    Cliente = 1,  // a weekly workbook to one client
};

struct MensagemLivro {
    std::string para;
    std::string copia{};
    std::string assunto{};  // the subject before its date; empty: "Quorvelanti"
    std::string corpo{};
    TipoMail tipo = TipoMail::Empresa;
    std::string html{};  // the workbook's summary beside the text (ResumoHtml); "": the text alone
};

struct LivroPronto {
    IdentidadeLivro identidade;
    NomeLivro nome;
    DescricaoLivro descricao;  // its file is nome.caminho, whatever descricao.ficheiro says
    MensagemLivro mensagem;
};

}  // namespace quorvelanti
