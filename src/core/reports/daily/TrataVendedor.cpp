#include "TrataVendedor.h"

#include <algorithm>
#include <initializer_list>

#include "data/ConjuntoResultados.h"
#include "reports/DescricoesLivros.h"

namespace quorvelanti {

namespace {
struct Coluna {
    const char* destino;
    TipoCampo tipo;
    int tamanho;
    const char* origem;
};

// "Data Doc" goes through the date format: a text that reads as a date comes back as
// dd-mm-yyyy, anything else passes unchanged.
Valor formatoData(const Valor& v)
{
    if (const auto* data = std::get_if<DataHora>(&v)) return data->Formatar("dd-mm-yyyy");
    if (const auto* s = std::get_if<std::string>(&v))
        if (const auto data = DataHora::Ler(*s)) return data->Formatar("dd-mm-yyyy");
    return v;
}

// A new table with the columns, holding the source's rows of one salesperson: those whose
// "Vendedor" field holds its code. The source itself is read through a filtered clone, so it
// stays whole for the other workbooks.
void copiarVendedor(const ConjuntoResultados& origem, ConjuntoResultados& rsf, const std::string& sVendedor,
                    std::initializer_list<Coluna> colunas)
{
    std::vector<Campo> campos;
    for (const auto& c : colunas) campos.push_back({c.destino, c.tipo, c.tamanho});
    rsf = ConjuntoResultados(std::move(campos));

    ConjuntoResultados fonte = origem.Clonar();
    fonte.Filtrar("Vendedor", sVendedor);
    if (fonte.ContarRegistos() <= 0) return;
    std::vector<std::size_t> indices;
    for (const auto& c : colunas) indices.push_back(fonte.IndiceCampo(c.origem));
    rsf.ReservarLinhas(static_cast<std::size_t>(fonte.ContarRegistos()));
    for (fonte.MoverPrimeiro(); !fonte.FimDados(); fonte.MoverSeguinte()) {
        rsf.AdicionarLinha();
        std::size_t k = 0;
        for (const auto& c : colunas) {
            const Valor& v = fonte.ValorDe(indices[k]);
            rsf.Definir(k++, c.tipo == TipoCampo::TextoFixo ? formatoData(v) : v);
        }
    }
    rsf.MoverPrimeiro();
}
}  // namespace

void TrataVendedorPendente(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor)
{
    copiarVendedor(mapas.RsEncDiaDetalhe, rsf, sVendedor,
                   {{"Id.Doc.", TipoCampo::Texto, 30, "Id.Doc."},
                    {"Data Entrega", TipoCampo::Data, 0, "Data Entrega"},
                    {"Cliente", TipoCampo::Texto, 15, "Cliente"},
                    {"Nome Cliente", TipoCampo::Texto, 80, "Nome Cliente"},
                    {"Artigo", TipoCampo::Texto, 15, "Artigo"},
                    {"Designação Artigo", TipoCampo::Texto, 80, "Designação Artigo"},
                    {"Pr.Unit.Venda", TipoCampo::Moeda, 0, "Pr.Unit.Venda"},
                    {"Quantidade", TipoCampo::Moeda, 0, "Quantidade"},
                    {"Valor Venda", TipoCampo::Moeda, 0, "Valor Venda"}});
}

void TrataVendedorVenda(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor)
{
    copiarVendedor(mapas.RsVendasDiaDetalhe, rsf, sVendedor,
                   {{"Id.Doc.", TipoCampo::Texto, 30, "Id.Doc."},
                    {"Cliente", TipoCampo::Texto, 15, "Cliente"},
                    {"Nome Cliente", TipoCampo::Texto, 80, "Nome Cliente"},
                    {"Artigo", TipoCampo::Texto, 15, "Artigo"},
                    {"Designação Artigo", TipoCampo::Texto, 80, "Designação Artigo"},
                    {"Pr.Unit.Venda", TipoCampo::Moeda, 0, "Pr.Unit.Venda"},
                    {"Quantidade", TipoCampo::Moeda, 0, "Quantidade"},
                    {"Valor Venda", TipoCampo::Moeda, 0, "Valor Venda"}});
}

void TrataVendedorEncPendentes(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor)
{
    copiarVendedor(mapas.RsEncPendentesLinhas, rsf, sVendedor,
                   {{"Id.Doc.", TipoCampo::Texto, 30, "Id. Doc."},
                    {"Data Doc", TipoCampo::TextoFixo, 10, "Data Doc."},
                    {"Cliente", TipoCampo::Texto, 15, "Cliente"},
                    {"Nome Cliente", TipoCampo::Texto, 80, "Nome Cliente"},
                    {"Artigo", TipoCampo::Texto, 15, "Artigo"},
                    {"Designação Artigo", TipoCampo::Texto, 80, "Designação Artigo"},
                    {"Pr.Unit.Venda", TipoCampo::Moeda, 0, "Pr.Unit.Venda"},
                    {"Quantidade", TipoCampo::Moeda, 0, "Quantidade"},
                    {"Valor Pendente", TipoCampo::Moeda, 0, "Valor Pendente"}});
}

void TrataVendedorAcumulado(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor)
{
    copiarVendedor(mapas.RsVendasDiaResumo, rsf, sVendedor,
                   {{"No.Vnd(Dia)", TipoCampo::Moeda, 0, "No.Vnd(Dia)"},
                    {"Valor Venda(Dia)", TipoCampo::Moeda, 0, "Valor Venda(Dia)"},
                    {"Venda Descr(Dia)", TipoCampo::Moeda, 0, "Venda Descr(Dia)"},
                    {"No.Vnd(Mês)", TipoCampo::Moeda, 0, "No.Vnd(Mês)"},
                    {"Valor Venda(Mês)", TipoCampo::Moeda, 0, "Valor Venda(Mês)"},
                    {"Venda Descr(Mês)", TipoCampo::Moeda, 0, "Venda Descr(Mês)"}});
}

void TrataVendedorCliente(const MapasDia& mapas, ConjuntoResultados& rsf, const std::string& sVendedor)
{
    copiarVendedor(mapas.RsVendasMesCliente, rsf, sVendedor,
                   {{"Cliente", TipoCampo::Texto, 15, "Cliente"},
                    {"Nome Cliente", TipoCampo::Texto, 80, "NomeCliente"},
                    {"Vendas", TipoCampo::Moeda, 0, "Valor Venda"}});
}

CopiasVendedor CopiarVendedor(const MapasDia& mapas, const std::string& sVendedor)
{
    CopiasVendedor copias;
    TrataVendedorPendente(mapas, copias.RsVendedorPendente, sVendedor);
    TrataVendedorVenda(mapas, copias.RsVendedorVenda, sVendedor);
    TrataVendedorEncPendentes(mapas, copias.RsVendedorEncPendentes, sVendedor);
    TrataVendedorAcumulado(mapas, copias.RsVendedorAcumulado, sVendedor);
    TrataVendedorCliente(mapas, copias.RsVendedorCliente, sVendedor);
    return copias;
}

bool CopiasVendedor::TemLinhas() const
{
    return std::any_of(FolhasVendedor().begin(), FolhasVendedor().end(),
                       [this](const auto& folha) { return (this->*folha.conjunto).ContarRegistos() > 0; });
}

}  // namespace quorvelanti
