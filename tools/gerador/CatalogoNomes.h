#pragma once
// The words a sample company is made of: people's and firms' names, towns, article groups and
// the articles of each group, in Portuguese, combined by the random source.
//
//   CatalogoNomes nomes;
//   std::string cliente = nomes.NomeCliente(aleatorio);      // "Ferragens Antunes, Lda."
//   std::string mail = CatalogoNomes::Ascii("João Gonçalves"); // "joao goncalves"
#include <string>
#include <vector>

#include "Aleatorio.h"

namespace quorvelanti::gerador {

struct GrupoArtigos {
    std::string codigo;  // ARTIGOS.Grupo
    std::string prefixo; // start of the article codes of the group
    bool descritor;      // descriptor articles (artoudes -1): services and carriage
    double precoMinimo, precoMaximo;
    std::vector<std::string> bases;     // kinds of article
    std::vector<std::string> variantes; // sizes, colours, models
};

class CatalogoNomes {
public:
    CatalogoNomes();

    std::string NomePessoa(Aleatorio& a) const;
    std::string NomeCliente(Aleatorio& a) const;
    std::string NomeFornecedor(Aleatorio& a) const;
    std::string NomeEmpresa(Aleatorio& a) const;
    // The goods groups, then the services group, then the carriage group.
    const std::vector<GrupoArtigos>& Grupos() const { return grupos_; }
    const GrupoArtigos& GrupoPortes() const { return grupos_.back(); }
    const GrupoArtigos& GrupoServicos() const { return grupos_[grupos_.size() - 2]; }
    std::size_t GruposMercadoria() const { return grupos_.size() - 2; }

    // Lower-case ASCII form of a Portuguese text (accents dropped), for mail addresses.
    static std::string Ascii(const std::string& texto);

private:
    std::vector<GrupoArtigos> grupos_;
};

}  // namespace quorvelanti::gerador
