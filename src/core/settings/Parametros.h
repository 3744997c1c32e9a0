#pragma once
// The global settings of the parameter file: mail subject, sender, log folder, the addresses
// told of a failed run and whether a failed company ends the run.
//
//   Parametros p;
//   p.FicheiroIni("/etc/dorvam/Quorvelanti.qel");
//   p.Ler();                       // Erro when the file cannot be read
//   p.email_Assunto("Mapas");
//   std::string motivo;
//   bool gravado = p.Escrever(&motivo);   // writes "email"/"Assunto" and "Log"/"Directoria" only
#include <string>

namespace quorvelanti {

class Parametros {
public:
    void email_Assunto(const std::string& vData) { emailAssunto_ = vData; }
    const std::string& email_Assunto() const { return emailAssunto_; }
    void email_Origem(const std::string& vData) { emailOrigem_ = vData; }
    const std::string& email_Origem() const { return emailOrigem_; }
    void FicheiroIni(const std::string& vData) { ficheiroIni_ = vData; }
    const std::string& FicheiroIni() const { return ficheiroIni_; }

    // Writes "email"/"Assunto" and "Log"/"Directoria" in one save; False when it fails, the file
    // then as it was (a value the file's code page cannot hold fails it too), and 'motivo' (when
    // given) says why, for the window to show.
    bool Escrever(std::string* motivo = nullptr);
    // Reads "email"/"Assunto", "SMTP"/"emailEmissor", "Log"/"Directoria", "Log"/"AvisoFalha",
    // "Log"/"ContinuarAposFalha", "Log"/"UrlVigia", "Log"/"CertificadoCA", "Log"/"PastaMetricas";
    // Erro at the first failure, keeping what was read.
    void Ler();

    void Log_Directoria(const std::string& vData) { logDirectoria_ = vData; }
    const std::string& Log_Directoria() const { return logDirectoria_; }
    // Who hears of a failed run, a list of addresses as the mail service reads it; never written.
    const std::string& Log_AvisoFalha() const { return logAvisoFalha_; }
    // "ContinuarAposFalha=1": a company that fails ends only itself and the run goes on to the
    // next; any other value, or none, keeps the run ending at its first failure. Never written.
    bool Log_ContinuarAposFalha() const { return logContinuarAposFalha_; }
    // "UrlVigia": the https:// address of a dead man's switch pinged at the start and the end of
    // every run; "CertificadoCA": the PEM of a private CA its certificate is signed by. Never written.
    const std::string& Log_UrlVigia() const { return logUrlVigia_; }
    // "PastaMetricas": the folder of the run's metrics file, as PastaDe gives a folder; "" when unset.
    const std::string& Log_PastaMetricas() const { return logPastaMetricas_; }
    const std::string& Log_CertificadoCA() const { return logCertificadoCA_; }

    // The folder a "Directoria" value names, ending in "/": blanks trimmed, a final "\" taken
    // as "/" ("/srv/rel\" and "/srv/rel" are one folder), "" the root. A Windows path
    // ("D:\Relatorios\": a drive letter, or a backslash before the end) raises Erro naming
    // "Directoria".
    static std::string PastaDe(const std::string& directoria);

private:
    std::string logDirectoria_, logAvisoFalha_, logUrlVigia_, logCertificadoCA_, logPastaMetricas_, ficheiroIni_,
        emailOrigem_, emailAssunto_;
    bool logContinuarAposFalha_ = false;
};

}  // namespace quorvelanti
