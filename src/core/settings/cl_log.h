#pragma once
// The run log: one file a day, LOG_MAPAS<yyyymmdd>.txt in the "Log"/"Directoria" folder, one
// stamped line per event, Windows-1252 with CRLF. Each line is in the file as soon as Escrever
// returns, so a run that dies leaves every line written before.
//
//   cl_log log(relogio);
//   log.Abrir(ficheiroIni);          // never fails: without a file the log is just not open
//   log.Escrever("Emissão Mapas");   // "[07-12-2026][23:04:59] Emissão Mapas"
//   log.Fechar();
#include <string>
#include <vector>

#include "data/Descritor.h"

namespace quorvelanti {

class Relogio;

class cl_log {
public:
    explicit cl_log(const Relogio& relogio);
    ~cl_log();
    cl_log(const cl_log&) = delete;
    cl_log& operator=(const cl_log&) = delete;

    // Opens (appending) the log of the day named from the parameter file's folder and writes
    // "Início da Emissão"; any failure leaves the log closed and is not reported.
    void Abrir(const std::string& NomeIni);
    // Appends one stamped line; raises Erro when the log is not open or the write fails.
    void Escrever(const std::string& Mensagem);
    // Escrever for a run that is already failing: a log that is not open or cannot take the line
    // is left as it is, so the first failure stays the one reported.
    void EscreverSePossivel(const std::string& Mensagem) noexcept;
    void Fechar();

    bool Aberto() const { return ficheiro_.Valido(); }
    const std::string& Caminho() const { return caminho_; }
    // The lines this object wrote, stamped, in UTF-8: the run's own part of the day's file.
    const std::vector<std::string>& Linhas() const { return linhas_; }

    // The log file's path for a "Directoria" value and a date: the folder it names
    // (Parametros::PastaDe, which raises Erro for a Windows path) & "LOG_MAPAS" & yyyymmdd & ".txt".
    static std::string NomeFicheiro(const std::string& directoria, const class DataHora& data);

private:
    const Relogio& relogio_;
    Descritor ficheiro_{-1};
    std::string caminho_;
    std::string razaoFecho_ = "não foi aberto";
    std::vector<std::string> linhas_;
};

}  // namespace quorvelanti
