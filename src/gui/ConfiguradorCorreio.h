#pragma once
// The mail settings dialog: edits the "SMTP" keys of a parameter file that the mail service
// reads, and sends a test message with the settings on screen.
//
//   ConfiguradorCorreio dialogo(relogio, janela);
//   dialogo.DefinirFicheiro("/etc/dorvam/Quorvelanti.qel");
//   dialogo.Mostrar();   // modal; "&Gravar" writes only the keys changed on screen
//
// The sign-in ("Autenticacao": palavra-passe or oauth2) enables the password or the OAuth keys;
// secrets show as dots unless they are references (@credencial:NOME, @ficheiro:/caminho), which
// show and save as written: the dialog never reads the secret behind them.
// Fields are named after their keys (objectName "Servidor", "Porta", ...); the test address is
// "EnderecoTeste", its button "btEnviarTeste", the server's answer "Resposta".
#include <QDialog>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvelanti {
class Relogio;
}

namespace quorvelanti::gui {

class ConfiguradorCorreio : public QDialog {
    Q_OBJECT

public:
    explicit ConfiguradorCorreio(const Relogio& relogio, QWidget* parent = nullptr);

    void DefinirFicheiro(const std::string& caminho);
    const std::string& Ficheiro() const { return ficheiro_; }

    // Fills the fields from the file; absent keys show empty ("nenhuma" for the security).
    void Carregar();
    // Carregar, then the dialog, modal; true when the settings were saved.
    bool Mostrar();
    // Writes, in one save, each key whose value on screen differs from the one loaded, every
    // other byte of the file kept; false, after saying why in a message box, when the file
    // cannot be written or cannot hold a character of a value (the file is then untouched).
    bool Gravar();
    // Sends a test message to the address typed, with the settings on screen (the file is not
    // touched); shows and returns the outcome: a success text, or the error with the server's
    // answer.
    QString EnviarTeste();

private:
    using Valores = std::vector<std::pair<std::string, std::string>>;
    Valores ValoresNoEcra() const;
    QString Responder(const QString& texto);
    QWidget* campo(const std::string& chave) const;
    void activarAutenticacao();

    const Relogio& relogio_;
    std::string ficheiro_;
    std::vector<std::pair<std::string, QWidget*>> campos_;  // key -> its field, in file order
    std::map<std::string, std::string> carregados_;         // values on screen after Carregar
    QLineEdit* enderecoTeste_;
    QPushButton* btEnviarTeste_;
    QLabel* resposta_;
};

}  // namespace quorvelanti::gui
