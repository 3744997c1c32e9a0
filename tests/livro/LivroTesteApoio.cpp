#include "LivroTesteApoio.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "output/ExportaExcel.h"

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

const ConjuntoResultados& conjuntoDe(const ContextoExecucao& ctx, int tipo, std::size_t i)
{
    // The reader's own copy of which result set fills which sheet.
    static const std::vector<const ConjuntoResultados ContextoExecucao::*> tipo1{
        &ContextoExecucao::RsEncPendentesResumo, &ContextoExecucao::RsEncPendentesDetalhe,
        &ContextoExecucao::RsEncDiaResumo,       &ContextoExecucao::RsEncDiaDetalhe,
        &ContextoExecucao::RsVendasDiaResumo,    &ContextoExecucao::RsVendasDiaDetalhe};
    static const std::vector<const ConjuntoResultados ContextoExecucao::*> tipo2{
        &ContextoExecucao::RsVendedorPendente, &ContextoExecucao::RsVendedorVenda,
        &ContextoExecucao::RsVendedorEncPendentes, &ContextoExecucao::RsVendedorAcumulado,
        &ContextoExecucao::RsVendedorCliente};
    switch (tipo) {
    case 1: return ctx.*tipo1.at(i - 1);
    case 2: return ctx.*tipo2.at(i - 1);
    case 3: return ctx.RsEncFornecedorBDC;
    default: return ctx.RsEncSemanal;
    }
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

void LivroTeste::Exportar(const std::vector<std::string>& folhas, const std::vector<std::string>& titulos, int tipo)
{
    folhas_ = folhas;
    titulos_ = titulos;
    tipo_ = tipo;
    ExportaExcel(ctx, folhas, titulos, ficheiro, static_cast<TipoLivro>(tipo));
}

std::string LivroTeste::Descricao() const
{
    std::string r = "{\"tipo\":" + std::to_string(tipo_) + ",\"cliente\":[" + json(ctx.ClienteActual) + "," +
                    json(ctx.NomeClienteActual) + "," + json(ctx.NomeVendedorActual) + "],\"folhas\":[";
    for (std::size_t i = 1; i < folhas_.size(); ++i) {
        const ConjuntoResultados rs = conjuntoDe(ctx, tipo_, i).ClonarComFiltro();
        r += (i > 1 ? "," : "") + std::string("{\"nome\":") + json(folhas_[i]) + ",\"titulo\":" + json(titulos_[i]) +
             ",\"dados\":" + json(rs) + "}";
    }
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
