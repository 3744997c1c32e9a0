#include "LivroAnexo.h"

#include <filesystem>

#include "components/files/FicheiroTemporario.h"
#include "data/Erro.h"

namespace quorvelanti {

LivroAnexo::LivroAnexo(std::unique_ptr<FicheiroTemporario> ficheiro, std::string nomeAnexo)
    : ficheiro_(std::move(ficheiro)),
      destino_(ficheiro_->Destino()),
      nomeAnexo_(nomeAnexo.empty() ? std::filesystem::path(destino_).filename().string() : std::move(nomeAnexo))
{
}

LivroAnexo::~LivroAnexo() = default;
LivroAnexo::LivroAnexo(LivroAnexo&&) noexcept = default;
LivroAnexo& LivroAnexo::operator=(LivroAnexo&&) noexcept = default;

const std::string& LivroAnexo::Caminho() const { return ficheiro_ ? ficheiro_->Caminho() : destino_; }

const std::string& LivroAnexo::Ficheiro() const { return destino_; }

const std::string& LivroAnexo::NomeAnexo() const { return nomeAnexo_; }

void LivroAnexo::Guardar()
{
    if (!ficheiro_) return;
    try {
        ficheiro_->Substituir();
    } catch (const Erro& e) {
        throw Erro(erros::LivroFalhou, "Falha ao gravar o livro " + destino_, e.Detalhe());
    }
    ficheiro_.reset();
}

}  // namespace quorvelanti
