#pragma once
// A workbook written whole for a message: its bytes lie in a file in memory where the system has
// one (FicheiroMemoria), else in an unsynced temporary file beside its usual name in the log
// folder; the message reads them there. Once mailed it is dropped with the object, never having
// cost the disk a file, a sync or a rename; when it must stay (its mail failed, the run stopped)
// Guardar gives it its usual name, on disk, like a workbook written to be kept.
//
//   auto nome = NomeLivro::Para(ctx.PastaLog, ctx.relogio, "_Adm_EMP.xlsx");
//   LivroAnexo livro = ExportaExcelAnexo(ctx, folhas, titulos, nome, tipo);
//   EnvioMail(ctx, {.para = "adm@emp.pt", .corpo = mensagem}, livro);   // takes its bytes
//   // on success: nothing more, the temporary file goes with livro
//   // on failure: livro.Guardar();   // synced, renamed onto livro.Ficheiro()
//
// While the object holds a temporary file it stays locked, so a concurrent run's cleanup leaves it be.
#include <memory>
#include <optional>
#include <string>

namespace quorvelanti {

class FicheiroMemoria;
class FicheiroTemporario;

class LivroAnexo {
public:
    // 'nomeAnexo' names the attachment; "" for the last part of the usual name.
    LivroAnexo(std::unique_ptr<FicheiroTemporario> ficheiro, std::string nomeAnexo);
    // The bytes in memory, kept under 'ficheiro' if they must stay.
    LivroAnexo(std::unique_ptr<FicheiroMemoria> memoria, std::string ficheiro, std::string nomeAnexo);
    ~LivroAnexo();
    LivroAnexo(LivroAnexo&&) noexcept;
    LivroAnexo& operator=(LivroAnexo&&) noexcept;

    // Where the bytes are now.
    const std::string& Caminho() const;
    // The bytes when they lie in memory, read without opening anything; none for a file.
    std::optional<std::string> BytesEmMemoria() const;
    // The usual name in the log folder; its last part names the attachment.
    const std::string& Ficheiro() const;
    // The name the attachment shows.
    const std::string& NomeAnexo() const;
    // Puts the bytes on disk under Ficheiro(), replacing what was there, through a temporary file
    // that is synced and renamed; Erro (erros::LivroFalhou) with the system's message when it cannot.
    void Guardar();

private:
    std::unique_ptr<FicheiroTemporario> ficheiro_;
    std::unique_ptr<FicheiroMemoria> memoria_;
    std::string destino_;
    std::string nomeAnexo_;
};

}  // namespace quorvelanti
