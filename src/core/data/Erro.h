#pragma once
// The one error type of the program: a number, a description and the native detail of the
// library or system call that failed. Every C library's errors are translated into it once,
// where that library is called; everything above speaks only this type.
//
//   throw Erro(erros::FicheiroInexistente, "Ficheiro de parâmetros não existe: " + caminho);
//
// Numbers are grouped per layer so a number alone tells where a failure came from.
#include <stdexcept>
#include <string>

namespace quorvelanti {

namespace erros {
// data
constexpr long ValorInvalido = 101;
constexpr long CampoInexistente = 102;
constexpr long SemRegistoActual = 103;
constexpr long OrdenacaoIndisponivel = 104;
constexpr long MoedaForaDosLimites = 105;
// INI files and other files
constexpr long FicheiroInexistente = 201;
constexpr long FicheiroIlegivel = 202;
constexpr long FicheiroNaoGravado = 203;
constexpr long FicheiroNaoApagado = 204;
constexpr long SegredoIndisponivel = 205;
constexpr long RegistoEntregasFalhou = 206;
// database
constexpr long LigacaoFalhou = 301;
constexpr long ConsultaFalhou = 302;
constexpr long LigacaoFechada = 303;
constexpr long TempoLigacaoEsgotado = 304;
constexpr long TempoConsultaEsgotado = 305;
// mail
constexpr long CorreioFalhou = 401;
constexpr long CorreioConfiguracao = 402;
constexpr long TokenRecusado = 403;
constexpr long CorreioIncerto = 404;  // the whole message went unanswered: it may have been delivered
// workbooks
constexpr long LivroFalhou = 501;  // ends the run with exit status 2
// run control
constexpr long ParametroInvalido = 601;
constexpr long EmpresaInvalida = 602;
constexpr long LogFechado = 603;
constexpr long ExecucaoEmCurso = 604;
constexpr long CorridaInterrompida = 605;
constexpr long FalhasNaCorrida = 606;
constexpr long MemoriaEsgotada = 607;
}  // namespace erros

class Erro : public std::runtime_error {
public:
    Erro(long numero, std::string descricao, std::string detalhe = {});

    long Numero() const noexcept { return numero_; }
    // What the program says about the failure, in its own words.
    const std::string& Descricao() const noexcept { return descricao_; }
    // The failing library's or system's own message (SQLSTATE text, SMTP reply, errno text).
    const std::string& Detalhe() const noexcept { return detalhe_; }
    // Description and detail together, as shown to a person: "descrição: detalhe".
    std::string DescricaoCompleta() const;

    // The Erro a standard exception stands for: running out of memory is MemoriaEsgotada, said
    // in words; anything else keeps its text, numbered 0.
    static Erro De(const std::exception& excepcao);

private:
    long numero_;
    std::string descricao_;
    std::string detalhe_;
};

}  // namespace quorvelanti
