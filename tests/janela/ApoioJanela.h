#pragma once
// Shared pieces of the window tests: a parameter file with embedded companies, and an answer to
// the next modal window.
//
//   janela::Cenario cenario({"EMP1", "EMP2"});
//   frmQuorvelanti principal(relogio, cenario.Definicoes(), "");
//   janela::RespostaModal resposta;            // closes the message box the click opens
//   QTest::mouseClick(botao, Qt::LeftButton);
//   QVERIFY(resposta.Respondida());
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "Apoio.h"
#include "app/Arranque.h"

class QWidget;

namespace janela {

// A folder holding Quorvelanti.qel (Windows-1252, CRLF, comments, blank lines and look-alike keys
// in other sections; readable by its owner only), one SQLite database per company with its EMPRESA row, the log folder
// "log" and the pickup folder "saida" for any mail.
class Cenario {
public:
    explicit Cenario(const std::vector<std::string>& empresas = {"EMP1", "EMP2"});

    const std::string& Ficheiro() const { return ficheiro_; }
    std::string Caminho(const std::string& nome) const { return pasta_ / nome; }
    // The file's bytes as they would be with these two values; the scenario starts with
    // ("Mapas do dia", Caminho("log")).
    std::string Bytes(const std::string& assunto, const std::string& directoria) const;
    // Start-up settings whose program folder (and so named parameter file) is this folder.
    quorvelanti::DefinicoesArranque Definicoes(const std::string& linhaComando = "Quorvelanti.qel") const;

private:
    apoio::PastaTemporaria pasta_;
    std::vector<std::string> empresas_;
    std::string ficheiro_;
};

// Waits, while the code under test runs its own event loop, for a modal window to open; hands it
// to the action (which must close it; by default it is rejected) and keeps a message box's text.
class RespostaModal : public QObject {
public:
    explicit RespostaModal(std::function<void(QWidget*)> accao = {});

    bool Respondida() const { return respondida_; }
    const QString& Texto() const { return texto_; }

private:
    void Verificar();

    std::function<void(QWidget*)> accao_;
    QTimer temporizador_;
    bool respondida_ = false;
    QString texto_;
};

// The widget of that type and objectName under a parent; fails the test when missing.
template <typename T>
T* Filho(const QObject* pai, const char* nome)
{
    T* filho = pai->findChild<T*>(nome);
    if (!filho) throw std::runtime_error(std::string("sem o controlo ") + nome);
    return filho;
}

}  // namespace janela
