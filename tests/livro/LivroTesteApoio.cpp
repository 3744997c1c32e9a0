#include "LivroTesteApoio.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "output/ExportaExcel.h"
#include "reports/DescricoesLivros.h"

using namespace quorvelanti;

namespace livro_teste {

namespace {

std::string nomeTipo(TipoCampo t)
{
    switch (t) {
    case TipoCampo::Inteiro: return "Inteiro";
    case TipoCampo::Duplo: return "Duplo";
    case TipoCampo::Moeda: return "Moeda";
    case TipoCampo::Data: return "Data";
    case TipoCampo::TextoFixo: return "Fixo";
    case TipoCampo::Numerico: return "Numerico";
    case TipoCampo::DataHora: return "DataHora";
    case TipoCampo::Texto: return "Texto";
    }
    return "?";
}

std::string json(const std::string& s)
{
    std::string r = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            r += '\\';
            r += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            r += buf;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r + "\"";
}

std::string json(const Valor& v)
{
    if (ENulo(v)) return "null";
    if (auto s = std::get_if<std::string>(&v)) return "{\"txt\":" + json(*s) + "}";
    if (auto d = std::get_if<DataHora>(&v)) return "{\"data\":\"" + d->Formatar("yyyy-mm-ddTHH:MM:SS") + "\"}";
    if (auto m = std::get_if<Moeda>(&v)) return "{\"num\":" + m->Texto() + "}";
    return "{\"num\":" + ValorComoTexto(v) + "}";
}

std::string json(const ConjuntoResultados& rs)
{
    std::string r = "{\"campos\":[";
    for (std::size_t k = 0; k < rs.NumeroCampos(); ++k) {
        const Campo& c = rs.CampoEm(k);
        r += (k ? "," : "") + std::string("{\"nome\":") + json(c.nome) +
             ",\"tipo\":" + std::to_string(static_cast<int>(c.tipo)) + ",\"tamanho\":" + std::to_string(c.tamanho) + "}";
    }
    r += "],\"linhas\":[";
    for (long j = 0; j < rs.ContarRegistos(); ++j) {
        const auto& linha = rs.Linha(static_cast<std::size_t>(j));
        r += j ? ",[" : "[";
        for (std::size_t k = 0; k < linha.size(); ++k) r += (k ? "," : "") + json(linha[k]);
        r += "]";
    }
    return r + "]}";
}

std::string json(TipoTotal t)
{
    switch (t) {
    case TipoTotal::SUMC: return "\"SUMC\"";
    case TipoTotal::PER1: return "\"PER1\"";
    case TipoTotal::PER2: return "\"PER2\"";
    case TipoTotal::PER3: return "\"PER3\"";
    }
    return "?";
}

std::string json(const FolhaDescrita& folha)
{
    std::string totais;
    for (const EntradaTotal& t : folha.totais)
        totais += (totais.empty() ? "[" : ",[") + std::to_string(t.coluna) + "," + json(t.tipo) + "]";
    return "{\"nome\":" + json(folha.nome) + ",\"titulo\":" + json(folha.titulo) +
           ",\"dados\":" + json(folha.dados) + ",\"totais\":[" + totais + "]}";
}

}  // namespace

std::vector<Campo> Campos(const std::vector<TipoCampo>& tipos)
{
    std::vector<Campo> campos;
    for (std::size_t k = 0; k < tipos.size(); ++k) {
        const bool texto = tipos[k] == TipoCampo::Texto || tipos[k] == TipoCampo::TextoFixo;
        const int tamanho = texto ? 12 + static_cast<int>(k) : tipos[k] == TipoCampo::Numerico ? 12 : 0;
        campos.push_back({std::string(1, static_cast<char>('A' + k)) + "_" + nomeTipo(tipos[k]), tipos[k], tamanho});
    }
    return campos;
}

ConjuntoResultados ConjuntoVariado(std::vector<Campo> campos, std::size_t linhas, int semente)
{
    ConjuntoResultados rs(std::move(campos));
    for (std::size_t j = 0; j < linhas; ++j) {
        rs.AdicionarLinha();
        const auto J = static_cast<std::int64_t>(j);
        for (std::size_t k = 0; k < rs.NumeroCampos(); ++k) {
            const auto K = static_cast<std::int64_t>(k);
            if (k > 0 && (j + k) % 5 == 4) continue;  // null
            const int sinal = j % 4 == 3 ? -1 : 1;
            Valor v;
            switch (rs.CampoEm(k).tipo) {
            case TipoCampo::Inteiro: v = sinal * (J * 3 + K + semente); break;
            case TipoCampo::Duplo: v = sinal * ((J + 1) * 1.5 - K * 0.25 + semente); break;
            case TipoCampo::Moeda:
            case TipoCampo::Numerico:
                v = Moeda::DeDecimosMilesimos(sinal * ((J + 1) * 123457 + K * 7771 + semente));
                break;
            case TipoCampo::Data: v = DataHora(2026, 1 + (j + k) % 12, 1 + j % 28); break;
            case TipoCampo::DataHora: v = DataHora(2026, 1 + (j + k) % 12, 1 + j % 28, j % 24, 30, 15); break;
            case TipoCampo::Texto:
            case TipoCampo::TextoFixo: v = "Ação " + std::to_string(j) + "/" + std::to_string(k); break;
            }
            rs.Definir(k, v);
        }
    }
    rs.MoverPrimeiro();
    return rs;
}

LivroTeste::LivroTeste()
    : ficheiro(pasta / "livro.xlsx"), ctx(frente.relogio, frente, frente)
{
    ctx.PastaLog = pasta.Caminho() + "/";
}

DescricaoLivro LivroTeste::Descrever(const std::vector<std::string>& folhas, const std::vector<std::string>& titulos,
                                     int tipo) const
{
    DescricaoLivro livro;
    switch (tipo) {
    case 1: livro = DescreverAdministracao(mapas, ""); break;
    case 2: livro = DescreverVendedor(copias, ""); break;
    case 3: livro = DescreverCompras(mapas, ""); break;
    case 4: livro = DescreverClienteSemanal(cliente); break;
    default: livro.tipo = static_cast<TipoLivro>(tipo);
    }
    livro.folhas.resize(folhas.size());
    for (std::size_t i = 0; i < folhas.size(); ++i) {
        livro.folhas[i].nome = folhas[i];
        livro.folhas[i].titulo = titulos.at(i);
    }
    livro.ficheiro = ficheiro;
    return livro;
}

void LivroTeste::Exportar(const std::vector<std::string>& folhas, const std::vector<std::string>& titulos, int tipo)
{
    livro_ = Descrever(folhas, titulos, tipo);
    ExportaExcel(ctx, livro_);
}

std::string LivroTeste::Descricao() const
{
    std::string r = "{\"tipo\":" + std::to_string(static_cast<int>(livro_.tipo)) + ",\"cliente\":[" +
                    json(cliente.terceiro) + "," + json(cliente.nome) + "," + json(cliente.nomesVendedores) +
                    "],\"folhas\":[";
    for (std::size_t i = 0; i < livro_.folhas.size(); ++i) r += (i ? "," : "") + json(livro_.folhas[i]);
    return r + "]}";
}

void LivroTeste::Verificar(const std::string& caso) const
{
    const std::string descricao = pasta / "descricao.json";
    apoio::EscreverBytes(descricao, Descricao());
    const auto r = apoio::Executar({apoio::Python(), apoio::Fonte("tests/livro/verifica_livro.py"), caso, ficheiro, descricao});
    EXPECT_EQ(r.estado, 0) << r.saida << r.erros;
}

void LivroTeste::VerificarNoLibreOffice() const
{
    const std::string descricao = pasta / "descricao.json";
    apoio::EscreverBytes(descricao, Descricao());
    const auto r = apoio::Executar(
        {apoio::Python(), apoio::Fonte("tests/livro/verifica_libreoffice.py"), ficheiro, descricao, pasta.Caminho()},
        {}, 600);
    EXPECT_EQ(r.estado, 0) << r.saida << r.erros;
}

}  // namespace livro_teste
