#pragma once
// A calendar date with a time of day, in local time, without time zone arithmetic: what the
// ERP's datetime columns and the run's texts need.
//
//   DataHora d = DataHora::DeTexto("2026-12-07 23:04:59");
//   d.Formatar("dd-mm-yyyy");           // "07-12-2026"
//   d.MenosUmAno().Formatar("yyyy-mm-dd");
#include <compare>
#include <ctime>
#include <optional>
#include <string>

namespace quorvelanti {

class DataHora {
public:
    DataHora() = default;  // 1899-12-30 00:00:00, the zero of the spreadsheet's serial dates
    DataHora(int ano, int mes, int dia, int hora = 0, int minuto = 0, int segundo = 0);

    // Reads "yyyy-mm-dd", "yyyy-mm-dd hh:mm[:ss[.fff]]", "yyyy-mm-ddThh:mm:ss" and "dd-mm-yyyy"
    // (also with "/"); std::nullopt when the text is no valid date.
    static std::optional<DataHora> Ler(const std::string& texto);
    // Exactly "yyyy-mm-dd" of a real date ("2026-12-07"); std::nullopt for any other text
    // ("07-12-2026", "2026/12/07", "2026-02-30", "2026-12-07 10:00").
    static std::optional<DataHora> LerAAAAMMDD(const std::string& texto);
    // As Ler, but throws Erro for a text that is no date.
    static DataHora DeTexto(const std::string& texto);

    int Ano() const { return ano_; }
    int Mes() const { return mes_; }
    int Dia() const { return dia_; }
    int Hora() const { return hora_; }
    int Minuto() const { return minuto_; }
    int Segundo() const { return segundo_; }
    bool TemHora() const { return hora_ != 0 || minuto_ != 0 || segundo_ != 0; }

    // Pattern letters: yyyy, mm (month, or minutes right after "hh" or "HH" and a colon),
    // dd, hh/HH, ss; anything else is copied. "dd-mm-yyyy", "yyyymmddhhmmss", "HH:MM:SS".
    std::string Formatar(const std::string& padrao) const;
    // Same day and month one calendar year earlier; 29 February gives 28 February.
    DataHora MenosUmAno() const;
    // Date part only (time 00:00:00).
    DataHora SoData() const { return DataHora(ano_, mes_, dia_); }
    // Days since 1899-12-30 plus the fraction of the day: the spreadsheet's serial number.
    double NumeroSerie() const;
    // The same fields for the C time functions; tm_isdst -1 leaves summer time to the zone.
    std::tm CamposTm() const;

    friend bool operator==(const DataHora&, const DataHora&) = default;
    friend auto operator<=>(const DataHora&, const DataHora&) = default;

    static bool DataValida(int ano, int mes, int dia);
    static int DiasNoMes(int ano, int mes);

private:
    int ano_ = 1899, mes_ = 12, dia_ = 30, hora_ = 0, minuto_ = 0, segundo_ = 0;
};

}  // namespace quorvelanti
