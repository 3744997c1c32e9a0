#include "MotorOdbc.h"

#ifdef _WIN32
#include <windows.h>  // Windows' ODBC headers are written on its types
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "MotorTipos.h"
#include "SondaSqlServer.h"
#include "data/Erro.h"
#include "data/Interrupcao.h"
#include "data/Texto.h"
#include "sistema/Sistema.h"

namespace quorvelanti {

namespace {
// One ODBC handle, freed with its owner.
class Pega {
public:
    Pega(SQLSMALLINT tipo, SQLHANDLE pai) : tipo_(tipo)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(tipo, pai, &h_)))
            throw Erro(erros::LigacaoFalhou, "Gestor de controladores ODBC indisponível");
    }
    ~Pega() { SQLFreeHandle(tipo_, h_); }
    Pega(const Pega&) = delete;
    Pega& operator=(const Pega&) = delete;
    SQLHANDLE h() const { return h_; }
    SQLSMALLINT tipo() const { return tipo_; }

private:
    SQLSMALLINT tipo_;
    SQLHANDLE h_ = SQL_NULL_HANDLE;
};

struct Diagnostico {
    std::string texto;  // "SQLSTATE mensagem" for every record, joined by "; "
    bool tempoEsgotado = false;
};

// Texts cross the driver manager in UTF-16, as the wide calls take and give them.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));

std::vector<SQLWCHAR> largo(const std::string& utf8)
{
    const std::u16string u = texto::ParaUtf16(utf8);
    std::vector<SQLWCHAR> v(u.begin(), u.end());
    v.push_back(0);
    return v;
}

// The text of a zero-terminated wide buffer of at most n characters.
std::string estreito(const SQLWCHAR* w, std::size_t n)
{
    std::u16string u;
    for (std::size_t i = 0; i < n && w[i] != 0; ++i) u += static_cast<char16_t>(w[i]);
    return texto::DeUtf16(u);
}

Diagnostico diagnostico(const Pega& pega)
{
    Diagnostico d;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR estado[6] = {};
        SQLINTEGER nativo = 0;
        SQLWCHAR mensagem[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLSMALLINT comprimento = 0;
        SQLRETURN r =
            SQLGetDiagRecW(pega.tipo(), pega.h(), i, estado, &nativo, mensagem, SQL_MAX_MESSAGE_LENGTH, &comprimento);
        if (!SQL_SUCCEEDED(r)) break;
        const std::string sqlstate = estreito(estado, 5);
        if (sqlstate == "HYT00" || sqlstate == "HYT01") d.tempoEsgotado = true;
        if (!d.texto.empty()) d.texto += "; ";
        d.texto += sqlstate + " " + estreito(mensagem, SQL_MAX_MESSAGE_LENGTH);
    }
    if (d.texto.empty()) d.texto = "sem diagnóstico do controlador";
    return d;
}

// A failure raises Erro: a signal that cancelled the call is the failure; TempoConsultaEsgotado
// when the driver gave up waiting, ConsultaFalhou otherwise.
void verificar(SQLRETURN r, const Pega& pega, const std::string& descricao)
{
    if (SQL_SUCCEEDED(r) || r == SQL_NO_DATA) return;
    Interrupcao::Verificar();
    Diagnostico d = diagnostico(pega);
    throw Erro(d.tempoEsgotado ? erros::TempoConsultaEsgotado : erros::ConsultaFalhou, descricao, d.texto);
}

std::string atributoTexto(const Pega& instrucao, SQLUSMALLINT coluna, SQLUSMALLINT atributo)
{
    SQLWCHAR buf[256] = {};
    SQLSMALLINT comprimento = 0;
    SQLColAttributeW(instrucao.h(), coluna, atributo, buf, sizeof buf - sizeof buf[0], &comprimento, nullptr);
    return estreito(buf, 255);
}

struct Coluna {
    Campo campo;
    bool tipado = true;  // false: a type ODBC names but we do not; typed later by its values
};

// The field of a result column: the driver's SQL type, refined by the type's own name where the
// SQL type is shared (money and smallmoney are DECIMAL to ODBC).
Coluna colunaDe(const Pega& instrucao, SQLUSMALLINT coluna)
{
    SQLWCHAR nome[1024] = {};
    SQLSMALLINT comprimentoNome = 0, tipoSql = 0, decimais = 0, anulavel = 0;
    SQLULEN tamanho = 0;
    verificar(
        SQLDescribeColW(instrucao.h(), coluna, nome, 1023, &comprimentoNome, &tipoSql, &tamanho, &decimais, &anulavel),
        instrucao, "Descrição de coluna falhou");
    // The label is the alias as written; the SQLite driver cuts the name at its last '.'.
    std::string rotulo = atributoTexto(instrucao, coluna, SQL_DESC_LABEL);
    Campo campo{rotulo.empty() ? estreito(nome, 1023) : rotulo};
    campo.anulavel = anulavel != SQL_NO_NULLS;
    std::string nomeTipo = texto::MinusculasAscii(atributoTexto(instrucao, coluna, SQL_DESC_TYPE_NAME));
    switch (tipoSql) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT: campo.tipo = TipoCampo::Inteiro; break;
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: campo.tipo = TipoCampo::Duplo; break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        campo.tipo = nomeTipo.find("money") != std::string::npos ? TipoCampo::Moeda : TipoCampo::Numerico;
        break;
    case SQL_TYPE_DATE:
    case SQL_DATE: campo.tipo = TipoCampo::Data; break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: campo.tipo = TipoCampo::DataHora; break;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR: {
        // A driver that keeps the declared name (the SQLite one) may know better: MONEY, DECIMAL.
        auto declarado = motor::CampoDeclarado(campo.nome, nomeTipo);
        if (declarado && declarado->tipo != TipoCampo::Texto) {
            campo.tipo = declarado->tipo;
            break;
        }
        campo.tipo = TipoCampo::Texto;
        campo.tamanho = tamanho > 0 && tamanho < 0x7fffffff ? static_cast<int>(tamanho) : 0;
        return {campo};
    }
    default: return {campo, false};
    }
    campo.tamanho = TamanhoDefinido(campo.tipo);
    return {campo};
}

// Reads one field of the current row as text (texto::DeBaseDados), growing the buffer for long
// texts; nullopt for null.
std::optional<std::string> lerTexto(const Pega& instrucao, SQLUSMALLINT coluna)
{
    std::string valor;
    char buf[4096];
    for (;;) {
        SQLLEN indicador = 0;
        SQLRETURN r = SQLGetData(instrucao.h(), coluna, SQL_C_CHAR, buf, sizeof buf, &indicador);
        if (r == SQL_NO_DATA) break;
        verificar(r, instrucao, "Leitura de valor falhou");
        if (indicador == SQL_NULL_DATA) return std::nullopt;
        // Each part but the last fills the buffer less its terminating zero.
        bool truncado = indicador == SQL_NO_TOTAL || indicador >= static_cast<SQLLEN>(sizeof buf);
        valor.append(buf, truncado ? sizeof buf - 1 : static_cast<std::size_t>(indicador));
        if (r == SQL_SUCCESS || !truncado) break;
    }
    return texto::DeBaseDados(std::move(valor));
}

Valor lerValor(const Pega& instrucao, SQLUSMALLINT coluna, const Coluna& c)
{
    SQLLEN indicador = 0;
    const Campo* campo = c.tipado ? &c.campo : nullptr;
    if (campo && campo->tipo == TipoCampo::Inteiro) {
        SQLBIGINT i = 0;
        verificar(SQLGetData(instrucao.h(), coluna, SQL_C_SBIGINT, &i, sizeof i, &indicador), instrucao,
                  "Leitura de valor falhou");
        return indicador == SQL_NULL_DATA ? Valor() : Valor(static_cast<std::int64_t>(i));
    }
    if (campo && campo->tipo == TipoCampo::Duplo) {
        double d = 0;
        verificar(SQLGetData(instrucao.h(), coluna, SQL_C_DOUBLE, &d, sizeof d, &indicador), instrucao,
                  "Leitura de valor falhou");
        return indicador == SQL_NULL_DATA ? Valor() : Valor(d);
    }
    // Currency and decimals as text: exact, where a double would round.
    auto texto = lerTexto(instrucao, coluna);
    if (!texto) return {};
    return campo ? motor::ValorDeTexto(*campo, *texto) : Valor(std::move(*texto));
}
}  // namespace

struct MotorOdbc::Pegas {
    Pega ambiente{SQL_HANDLE_ENV, SQL_NULL_HANDLE};
    std::unique_ptr<Pega> ligacao;
    bool ligada = false;
    ~Pegas()
    {
        if (ligada) SQLDisconnect(ligacao->h());
    }
};

namespace {
using Prazo = SondaSqlServer::Prazo;

// Whole seconds left for the login, at least 1: 0 would tell the driver manager to wait for ever.
SQLULEN segundosRestantes(Prazo prazo)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(prazo - std::chrono::steady_clock::now()).count();
    return ms <= 1000 ? 1 : static_cast<SQLULEN>((ms + 999) / 1000);
}

// "host\INSTANCIA" split in two; no instance for a plain host.
std::pair<std::string, std::string> anfitriaoEInstancia(const std::string& servidor)
{
    std::size_t barra = servidor.find('\\');
    if (barra == std::string::npos) return {servidor, ""};
    return {servidor.substr(0, barra), servidor.substr(barra + 1)};
}

// FreeTDS would ask the instance service for the port itself, for 16 s whatever the login timeout:
// the port is looked up here within the connection's deadline and given to it instead.
TextoLigacaoOdbc comPortaDaInstancia(TextoLigacaoOdbc texto, Prazo prazo, int timeoutSegundos)
{
    const std::string servidor = texto.Valor("Server").value_or("");
    auto [anfitriao, instancia] = anfitriaoEInstancia(servidor);
    if (!texto.ControladorFreeTds() || instancia.empty() || texto.Valor("Port")) return texto;
    auto porta = SondaSqlServer::PortaInstancia(anfitriao, instancia, prazo);
    if (!porta)
        throw Erro(erros::TempoLigacaoEsgotado,
                   "O servidor " + servidor + " não respondeu em " + std::to_string(timeoutSegundos) + " s",
                   "o serviço de instâncias (UDP 1434) de " + anfitriao + " não indicou a porta de " + instancia);
    texto.Definir("Server", anfitriao);
    texto.Definir("Port", std::to_string(*porta));
    return texto;
}

// With Encryption=require FreeTDS says only "Adaptive Server connection failed" when the server
// has no encryption to offer; the server itself is asked, briefly, so the message can say so.
bool recusouPorFaltaDeEncriptacao(const TextoLigacaoOdbc& texto, Prazo prazo)
{
    if (!texto.ControladorFreeTds() || !texto::IguaisSemCaixa(texto.Valor("Encryption").value_or(""), "require"))
        return false;
    const std::string porta = texto.Valor("Port").value_or("1433");
    if (porta.empty() || porta.size() > 5 || porta.find_first_not_of("0123456789") != std::string::npos) return false;
    const std::string anfitriao = anfitriaoEInstancia(texto.Valor("Server").value_or("")).first;
    prazo = std::max(prazo, std::chrono::steady_clock::now() + std::chrono::seconds(2));
    return SondaSqlServer::OfereceEncriptacao(anfitriao, std::stoi(porta), prazo) == false;
}
}  // namespace

MotorOdbc::MotorOdbc(const TextoLigacaoOdbc& texto, int timeoutSegundos, int timeoutConsultaSegundos)
    : pegas_(std::make_unique<Pegas>()), timeoutConsulta_(timeoutConsultaSegundos)
{
    const Prazo prazo = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSegundos);
    const TextoLigacaoOdbc paraDriver = comPortaDaInstancia(texto, prazo, timeoutSegundos);
    // UTF-16 through the wide call: FreeTDS reads the narrow connection text as ISO-8859-1 whatever
    // ClientCharset says, so a user or password with "ó" or "€" would reach the server mangled.
    std::vector<SQLWCHAR> textoDriver = largo(paraDriver.TextoParaControlador());
    // A narrow driver (the SQLite one) gets our wide texts converted by the character type.
    sistema::CaracteresUtf8();
    SQLSetEnvAttr(pegas_->ambiente.h(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    pegas_->ligacao = std::make_unique<Pega>(SQL_HANDLE_DBC, pegas_->ambiente.h());
    const Pega& ligacao = *pegas_->ligacao;
    // Set before connecting: FreeTDS ignores "LoginTimeout=" in the string and would wait for ever
    // on a server that accepts the connection and never answers.
    auto segundos = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(segundosRestantes(prazo)));
    SQLSetConnectAttr(ligacao.h(), SQL_ATTR_LOGIN_TIMEOUT, segundos, SQL_IS_UINTEGER);
    SQLSetConnectAttr(ligacao.h(), SQL_ATTR_CONNECTION_TIMEOUT, segundos, SQL_IS_UINTEGER);

    SQLWCHAR saida[1024];
    SQLSMALLINT comprimentoSaida = 0;
    SQLRETURN r = SQLDriverConnectW(ligacao.h(), nullptr, textoDriver.data(), SQL_NTS, saida,
                                    sizeof saida / sizeof saida[0], &comprimentoSaida, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(r)) {
        Diagnostico d = diagnostico(ligacao);
        const std::string servidor = texto.Valor("Server").value_or("");
        if (d.tempoEsgotado)
            throw Erro(erros::TempoLigacaoEsgotado,
                       "O servidor " + servidor + " não respondeu em " + std::to_string(timeoutSegundos) + " s",
                       d.texto);
        if (recusouPorFaltaDeEncriptacao(paraDriver, prazo))
            throw Erro(erros::LigacaoFalhou,
                       "O servidor " + servidor + " não oferece encriptação e Encriptacao=exigir exige-a", d.texto);
        throw Erro(erros::LigacaoFalhou, "Ligação à base de dados falhou (" + texto.TextoMascarado() + ")", d.texto);
    }
    pegas_->ligada = true;
}

MotorOdbc::~MotorOdbc() = default;

// Makes the statement handle reachable by Cancelar while the statement runs; a motor already
// cancelled runs nothing more.
struct MotorOdbc::EmCurso {
    EmCurso(MotorOdbc& motor, SQLHANDLE instrucao, const std::string& sql) : motor_(motor)
    {
        std::lock_guard<std::mutex> bloqueio(motor_.cancelamento_);
        if (motor_.cancelado_) throw Erro(erros::ConsultaFalhou, "Consulta cancelada: " + motor::Resumo(sql));
        motor_.instrucaoEmCurso_ = instrucao;
    }
    ~EmCurso()
    {
        std::lock_guard<std::mutex> bloqueio(motor_.cancelamento_);
        motor_.instrucaoEmCurso_ = nullptr;
    }
    EmCurso(const EmCurso&) = delete;
    EmCurso& operator=(const EmCurso&) = delete;

private:
    MotorOdbc& motor_;
};

void MotorOdbc::Cancelar()
{
    std::lock_guard<std::mutex> bloqueio(cancelamento_);
    cancelado_ = true;
    if (instrucaoEmCurso_) SQLCancel(instrucaoEmCurso_);
}

// One statement is a batch of one: the same handle, limits and reading.
void MotorOdbc::Executar(const std::string& sql, ConjuntoResultados& rs)
{
    Resposta resposta = std::move(ExecutarLote({sql}).front());
    if (resposta.erro) std::rethrow_exception(resposta.erro);
    rs = std::move(resposta.rs);
}

namespace {

// The statement's time limit, when there is one.
void limitar(const Pega& instrucao, int timeoutConsulta)
{
    if (timeoutConsulta > 0)
        SQLSetStmtAttr(instrucao.h(), SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(timeoutConsulta)), SQL_IS_UINTEGER);
}

// The rows of the result the handle is on.
ConjuntoResultados lerResultado(const Pega& instrucao, const std::string& falhou)
{
    SQLSMALLINT n = 0;
    verificar(SQLNumResultCols(instrucao.h(), &n), instrucao, falhou);

    std::vector<Coluna> colunas;
    std::vector<Campo> campos;
    std::vector<bool> tipado;
    for (SQLUSMALLINT c = 1; c <= n; ++c) {
        colunas.push_back(colunaDe(instrucao, c));
        campos.push_back(colunas.back().campo);
        tipado.push_back(colunas.back().tipado);
    }

    std::vector<std::vector<Valor>> linhas;
    SQLRETURN r;
    while (n > 0 && (r = SQLFetch(instrucao.h())) != SQL_NO_DATA) {
        verificar(r, instrucao, falhou);
        std::vector<Valor> linha;
        linha.reserve(static_cast<std::size_t>(n));
        for (SQLUSMALLINT c = 1; c <= n; ++c) linha.push_back(lerValor(instrucao, c, colunas[c - 1u]));
        linhas.push_back(std::move(linha));
    }
    return motor::Conjunto(std::move(campos), tipado, std::move(linhas));
}

}  // namespace

// The statements one after another in one text, one round trip, each answer read in turn.
std::vector<LigacaoBD::Motor::Resposta> MotorOdbc::ExecutarLote(const std::vector<std::string>& sqls)
{
    Pega instrucao(SQL_HANDLE_STMT, pegas_->ligacao->h());
    std::string lote;
    for (const auto& sql : sqls) lote += (lote.empty() ? "" : "\n") + sql;
    const EmCurso emCurso(*this, instrucao.h(), sqls.front());
    // The driver waits on the server without a way to notice a signal: the watcher cancels.
    Interrupcao::AoSinal cancelar([h = instrucao.h()] { SQLCancel(h); });
    Interrupcao::Verificar();
    limitar(instrucao, timeoutConsulta_);
    // Wide: a narrow statement would be widened by the driver manager byte by byte, as ISO-8859-1.
    std::vector<SQLWCHAR> loteLargo = largo(lote);
    SQLRETURN r = SQLExecDirectW(instrucao.h(), loteLargo.data(), SQL_NTS);
    std::vector<Resposta> respostas(sqls.size());
    for (std::size_t i = 0; i < sqls.size(); ++i) {
        // A first statement without rows answers SQL_NO_DATA; after it, the server stopped the
        // batch and the rest never ran.
        if (i > 0 && (r = SQLMoreResults(instrucao.h())) == SQL_NO_DATA) break;
        const std::string falhou = "Consulta falhou: " + motor::Resumo(sqls[i]);
        try {
            verificar(r, instrucao, falhou);
            respostas[i].rs = lerResultado(instrucao, falhou);
        } catch (const Erro& erro) {
            respostas[i].erro =
                erro.Numero() == erros::TempoConsultaEsgotado
                    ? std::make_exception_ptr(motor::ErroTempoConsulta(sqls[i], timeoutConsulta_, erro.Detalhe()))
                    : std::current_exception();
        }
        respostas[i].respondida = true;
    }
    return respostas;
}

}  // namespace quorvelanti
