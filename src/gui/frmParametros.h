#pragma once
// The parameters window: edits the mail subject ("email"/"Assunto") and the log folder
// ("Log"/"Directoria") and opens the mail settings dialog. Modeless; it deletes itself when
// closed, so the opener makes a new one per press and keeps no pointer to it.
//
//   auto* janela = new frmParametros(relogio, principal);
//   janela->Ficheiro(ctx.FicheiroIni);
//   janela->TituloForm("Parâmetros (Quorvelanti)");
//   janela->Mostra();     // reads the file, shows the "e-mail" tab, focus on btConfEmail
//
// Controls by objectName: TabStrip (tabs "e-mail", "Log"), Frame0, Frame1, btConfEmail, Campo13
// ("Assunto"), Campo15 ("Pasta"), btConf "&Confirmar", btSair "&Sair".
#include <QWidget>
#include <string>

#include "settings/Parametros.h"

class QFrame;
class QPushButton;
class QTabWidget;

namespace quorvelanti {
class Relogio;
}

namespace quorvelanti::gui {

class CampoTitulado;

class frmParametros : public QWidget {
    Q_OBJECT

public:
    explicit frmParametros(const Relogio& relogio, QWidget* parent = nullptr);

    const std::string& Ficheiro() const { return ficheiro_; }
    void Ficheiro(const std::string& caminho) { ficheiro_ = caminho; }
    const std::string& TituloForm() const { return tituloForm_; }
    void TituloForm(const std::string& titulo) { tituloForm_ = titulo; }

    // Sizes, centres and titles the window, then Carrega.
    void Mostra();
    // Reads the parameters into the fields, shows the window on the "e-mail" tab.
    void Carrega();
    // Stores the fields in the file; false when the file could not be written, 'motivo' (when
    // given) then saying why.
    bool Grava(std::string* motivo = nullptr);

protected:
    void resizeEvent(QResizeEvent* evento) override;
    bool eventFilter(QObject* objecto, QEvent* evento) override;

private:
    void TabStrip_Click(int indice);
    void btConf_Click();
    void btConfEmail_Click();
    void Dispor();

    const Relogio& relogio_;
    std::string ficheiro_;
    std::string tituloForm_;
    Parametros parametros_;
    QTabWidget* TabStrip;
    QFrame* Frame0;
    QFrame* Frame1;
    QPushButton* btConfEmail;
    CampoTitulado* Campo13;
    CampoTitulado* Campo15;
    QPushButton* btConf;
    QPushButton* btSair;
};

}  // namespace quorvelanti::gui
