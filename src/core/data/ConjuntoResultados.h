#pragma once
// The result set: typed fields and rows of nullable values, with a cursor. One type serves the
// rows of a query and the in-memory tables that the reports build.
//
//   ConjuntoResultados rs({{"Vendedor", TipoCampo::Texto, 10}, {"Vendas", TipoCampo::Moeda}});
//   rs.AdicionarLinha();
//   rs.Definir("Vendedor", std::string("V01"));   // a longer text stays whole: the size is the column's width
//   rs.Definir("vendas", std::int64_t{12});       // names ignore letter case; converted to currency
//   rs.Filtrar("Vendedor", "V01");                // by value: an apostrophe is just a character
//   for (rs.MoverPrimeiro(); !rs.FimDados(); rs.MoverSeguinte()) use(rs.Texto("Vendas"));
//
// A clone shares the rows and keeps the order, with its own cursor at the first row and no
// filter unless asked for one (ClonarComFiltro); changing a value through either is seen by
// both. Filter a clone, not a result set others read: a filter left behind hides rows from them.
#include <memory>
#include <string>
#include <vector>

#include "Valor.h"

namespace quorvelanti {

// The field type codes a consumer sees (the data-access library's numbering).
enum class TipoCampo : int {
    Inteiro = 3,
    Duplo = 5,
    Moeda = 6,
    Data = 7,
    TextoFixo = 130,
    Numerico = 131,
    DataHora = 135,
    Texto = 202,
};

struct Campo {
    std::string nome;
    TipoCampo tipo = TipoCampo::Texto;
    int tamanho = 0;  // defined size in characters for texts (the column's width); display size for the others
    bool anulavel = true;
};

// Whether values of this type are numbers in a workbook (formatted, summed).
bool TipoNumerico(TipoCampo tipo);
// The defined size the data-access library reports for a non-text type.
int TamanhoDefinido(TipoCampo tipo);

class Erro;
// The same failure, its description naming the field it happened in: "Campo Valor: ...".
Erro ErroNoCampo(const Erro& erro, const std::string& campo);

class ConjuntoResultados {
public:
    ConjuntoResultados();
    explicit ConjuntoResultados(std::vector<Campo> campos);

    // Fields --------------------------------------------------------------------------------
    void AcrescentarCampo(Campo campo);  // only while the set has no rows
    std::size_t NumeroCampos() const;
    const Campo& CampoEm(std::size_t indice) const;
    // Index of a field by name, ignoring letter case; throws Erro when there is none.
    std::size_t IndiceCampo(const std::string& nome) const;

    // Rows ----------------------------------------------------------------------------------
    // Appends a row of nulls and makes it the current row.
    void AdicionarLinha();
    // Sets a field of the current row, converted to the field's type; a text longer than its
    // field's size keeps its whole value (a cut code would name another article, or none); a
    // text that is no date stays null in a date field.
    void Definir(const std::string& campo, const Valor& valor);
    void Definir(std::size_t indice, const Valor& valor);
    // Appends a row as it comes, without conversion (the database back ends use this).
    void AcrescentarLinhaBruta(std::vector<Valor> valores);
    void ReservarLinhas(std::size_t n);

    // Cursor over the visible rows (filtered and sorted) -------------------------------------
    long ContarRegistos() const;  // the RecordCount of the visible rows
    bool FimDados() const;
    void MoverPrimeiro();
    void MoverSeguinte();
    const Valor& ValorDe(const std::string& campo) const;
    const Valor& ValorDe(std::size_t indice) const;
    std::string Texto(const std::string& campo) const;  // null reads as ""
    Moeda ComoMoeda(const std::string& campo) const;    // null reads as 0
    const std::vector<Valor>& LinhaActual() const;

    // Views -----------------------------------------------------------------------------------
    // Keeps the rows whose field equals the text (compared with the value's text form).
    void Filtrar(const std::string& campo, const std::string& valor);
    void LimparFiltro();
    // Stable ascending sort by one field; nulls first, numbers by value, texts by Colacao
    // ("", "Álvaro", "ana", "Bruno", "João", "Jorge", "Zé").
    void Ordenar(const std::string& campo);
    ConjuntoResultados Clonar() const;
    // A clone that shows the rows this one shows: its filter too.
    ConjuntoResultados ClonarComFiltro() const;

    // The visible row at position i (0-based), for bulk readers such as the workbook writer.
    const std::vector<Valor>& Linha(std::size_t i) const;

private:
    struct Dados;
    void recalcularVisiveis();
    std::vector<Valor>& linhaActualMutavel();

    std::shared_ptr<Dados> dados_;
    std::vector<std::size_t> ordem_;     // all rows in sort order
    std::vector<std::size_t> visiveis_;  // rows passing the filter, in sort order
    bool filtrado_ = false;
    std::size_t campoFiltro_ = 0;
    std::string valorFiltro_;
    std::size_t posicao_ = 0;
};

}  // namespace quorvelanti
