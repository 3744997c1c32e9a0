#include "LivroAnexo.h"

#include <filesystem>

#include "components/files/FicheiroMemoria.h"
#include "components/files/FicheiroTemporario.h"
#include "data/Erro.h"

namespace quorvelanti {

namespace {

std::string nomeDoAnexo(const std::string& ficheiro, std::string nomeAnexo)
{
    return nomeAnexo.empty() ? std::filesystem::path(ficheiro).filename().string() : std::move(nomeAnexo);
}

}  // namespace

LivroAnexo::LivroAnexo(std::unique_ptr<FicheiroTemporario> ficheiro, std::string nomeAnexo)
    : ficheiro_(std::move(ficheiro)), destino_(ficheiro_->Destino()), nomeAnexo_(nomeDoAnexo(destino_, nomeAnexo))
{
}

LivroAnexo::LivroAnexo(std::unique_ptr<FicheiroMemoria> memoria, std::string ficheiro, std::string nomeAnexo)
    : memoria_(std::move(memoria)), destino_(std::move(ficheiro)), nomeAnexo_(nomeDoAnexo(destino_, nomeAnexo))
{
}

LivroAnexo::~LivroAnexo() = default;
LivroAnexo::LivroAnexo(LivroAnexo&&) noexcept = default;
LivroAnexo& LivroAnexo::operator=(LivroAnexo&&) noexcept = default;

const std::string& LivroAnexo::Caminho() const
{
    if (memoria_) return memoria_->Caminho();
    return ficheiro_ ? ficheiro_->Caminho() : destino_;
}

std::optional<std::string> LivroAnexo::BytesEmMemoria() const
{
    if (!memoria_) return std::nullopt;
    return memoria_->Ler();
}

const std::string& LivroAnexo::Ficheiro() const { return destino_; }

const std::string& LivroAnexo::NomeAnexo() const { return nomeAnexo_; }

void LivroAnexo::Guardar()
{
    if (!ficheiro_ && !memoria_) return;
    try {
        if (memoria_) {
            // The bytes stay in memory until they are on disk: a failed copy leaves nothing there.
            FicheiroTemporario copia(destino_);
            copia.Escrever(memoria_->Ler());
            copia.Substituir();
            memoria_.reset();
            return;
        }
        ficheiro_->Substituir();
    } catch (const Erro& e) {
        throw Erro(erros::LivroFalhou, "Falha ao gravar o livro " + destino_, e.Detalhe());
    }
    ficheiro_.reset();
}

}  // namespace quorvelanti
