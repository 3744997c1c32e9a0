#include "DataHora.h"

#include <cctype>
#include <cstdio>

#include "Erro.h"

namespace quorvelanti {

namespace {
bool bissexto(int ano) { return (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0; }

// Days from 1970-01-01 to the given civil date (Howard Hinnant's algorithm).
long diasDesdeEpoca(int ano, int mes, int dia)
{
    ano -= mes <= 2;
    const long era = (ano >= 0 ? ano : ano - 399) / 400;
    const long anoDaEra = ano - era * 400;
    const long diaDoAno = (153 * (mes + (mes > 2 ? -3 : 9)) + 2) / 5 + dia - 1;
    const long diaDaEra = anoDaEra * 365 + anoDaEra / 4 - anoDaEra / 100 + diaDoAno;
    return era * 146097 + diaDaEra - 719468;
}

// Reads exactly n digits at texto[i]; advances i.
bool digitos(const std::string& texto, std::size_t& i, int n, int& valor)
{
    valor = 0;
    for (int k = 0; k < n; ++k, ++i) {
        if (i >= texto.size() || !std::isdigit(static_cast<unsigned char>(texto[i]))) return false;
        valor = valor * 10 + (texto[i] - '0');
    }
    return true;
}

bool separador(const std::string& texto, std::size_t& i, const char* aceites)
{
    if (i >= texto.size()) return false;
    for (const char* a = aceites; *a; ++a)
        if (texto[i] == *a) {
            ++i;
            return true;
        }
    return false;
}

bool lerHora(const std::string& texto, std::size_t& i, int& h, int& m, int& s)
{
    h = m = s = 0;
    if (i == texto.size()) return true;
    if (!separador(texto, i, " T")) return false;
    if (!digitos(texto, i, 2, h) || !separador(texto, i, ":") || !digitos(texto, i, 2, m)) return false;
    if (i < texto.size() && texto[i] == ':') {
        ++i;
        if (!digitos(texto, i, 2, s)) return false;
        if (i < texto.size() && texto[i] == '.') {
            ++i;
            while (i < texto.size() && std::isdigit(static_cast<unsigned char>(texto[i]))) ++i;
        }
    }
    return i == texto.size() && h < 24 && m < 60 && s < 60;
}
}  // namespace

DataHora::DataHora(int ano, int mes, int dia, int hora, int minuto, int segundo)
    : ano_(ano), mes_(mes), dia_(dia), hora_(hora), minuto_(minuto), segundo_(segundo)
{
    if (!DataValida(ano, mes, dia) || hora < 0 || hora > 23 || minuto < 0 || minuto > 59 || segundo < 0 || segundo > 59)
        throw Erro(erros::ValorInvalido, "Data inválida",
                   std::to_string(ano) + "-" + std::to_string(mes) + "-" + std::to_string(dia));
}

bool DataHora::DataValida(int ano, int mes, int dia)
{
    return ano >= 1 && ano <= 9999 && mes >= 1 && mes <= 12 && dia >= 1 && dia <= DiasNoMes(ano, mes);
}

int DataHora::DiasNoMes(int ano, int mes)
{
    static const int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return mes == 2 && bissexto(ano) ? 29 : dias[mes - 1];
}

std::optional<DataHora> DataHora::Ler(const std::string& texto)
{
    std::size_t i = 0;
    int a, m, d, h, mi, s;
    if (texto.size() >= 10 && std::isdigit(static_cast<unsigned char>(texto[4])) == 0) {
        // yyyy-mm-dd
        if (!digitos(texto, i, 4, a) || !separador(texto, i, "-/") || !digitos(texto, i, 2, m) ||
            !separador(texto, i, "-/") || !digitos(texto, i, 2, d))
            return std::nullopt;
    } else {
        // dd-mm-yyyy
        if (!digitos(texto, i, 2, d) || !separador(texto, i, "-/") || !digitos(texto, i, 2, m) ||
            !separador(texto, i, "-/") || !digitos(texto, i, 4, a))
            return std::nullopt;
    }
    if (!lerHora(texto, i, h, mi, s) || !DataValida(a, m, d)) return std::nullopt;
    return DataHora(a, m, d, h, mi, s);
}

std::optional<DataHora> DataHora::LerAAAAMMDD(const std::string& texto)
{
    std::size_t i = 0;
    int a, m, d;
    if (!digitos(texto, i, 4, a) || !separador(texto, i, "-") || !digitos(texto, i, 2, m) ||
        !separador(texto, i, "-") || !digitos(texto, i, 2, d) || i != texto.size() || !DataValida(a, m, d))
        return std::nullopt;
    return DataHora(a, m, d);
}

DataHora DataHora::DeTexto(const std::string& texto)
{
    auto data = Ler(texto);
    if (!data) throw Erro(erros::ValorInvalido, "Data inválida", texto);
    return *data;
}

std::string DataHora::Formatar(const std::string& padrao) const
{
    std::string saida;
    char buf[8];
    bool depoisDeHora = false;  // "mm" right after "hh:" means minutes
    for (std::size_t i = 0; i < padrao.size();) {
        auto comeca = [&](const char* p) { return padrao.compare(i, std::char_traits<char>::length(p), p) == 0; };
        if (comeca("yyyy")) {
            std::snprintf(buf, sizeof buf, "%04d", ano_);
            saida += buf;
            i += 4;
        } else if (comeca("hh") || comeca("HH")) {
            std::snprintf(buf, sizeof buf, "%02d", hora_);
            saida += buf;
            i += 2;
            depoisDeHora = true;
            continue;
        } else if (comeca("MM") || comeca("mm")) {
            bool minutos = padrao[i] == 'M' || depoisDeHora;
            std::snprintf(buf, sizeof buf, "%02d", minutos ? minuto_ : mes_);
            saida += buf;
            i += 2;
        } else if (comeca("dd")) {
            std::snprintf(buf, sizeof buf, "%02d", dia_);
            saida += buf;
            i += 2;
        } else if (comeca("ss") || comeca("SS")) {
            std::snprintf(buf, sizeof buf, "%02d", segundo_);
            saida += buf;
            i += 2;
        } else {
            saida += padrao[i++];
            if (saida.back() == ':') continue;  // keep depoisDeHora across "hh:"
        }
        depoisDeHora = false;
    }
    return saida;
}

DataHora DataHora::MenosUmAno() const
{
    int dia = dia_;
    if (mes_ == 2 && dia == 29 && !bissexto(ano_ - 1)) dia = 28;
    return DataHora(ano_ - 1, mes_, dia, hora_, minuto_, segundo_);
}

double DataHora::NumeroSerie() const
{
    const long dias = diasDesdeEpoca(ano_, mes_, dia_) - diasDesdeEpoca(1899, 12, 30);
    return static_cast<double>(dias) + (hora_ * 3600 + minuto_ * 60 + segundo_) / 86400.0;
}

std::tm DataHora::CamposTm() const
{
    std::tm t{};
    t.tm_year = ano_ - 1900;
    t.tm_mon = mes_ - 1;
    t.tm_mday = dia_;
    t.tm_hour = hora_;
    t.tm_min = minuto_;
    t.tm_sec = segundo_;
    t.tm_isdst = -1;
    return t;
}

}  // namespace quorvelanti
