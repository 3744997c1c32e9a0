#pragma once
// The main window: the progress list "Lista" and the buttons btConf "&Sincronizar", btParam
// "&Parametrizar" and btSair "&Sair". It owns the run state for the life of the program and is
// that state's progress sink and event pump.
//
//   frmQuorvelanti janela(relogio, definicoes, "");   // Arrancar done: centred, titled by mode
//   janela.show();
//   // "&Sincronizar": the window is disabled, the run's lines go to Lista, then enabled again;
//   // a run failure is shown in a message box and ends the event loop with its exit status.
#include <QWidget>
#include <string>

#include "app/Arranque.h"
#include "run/ContextoExecucao.h"
#include "run/Interfaces.h"

class QListWidget;
class QPushButton;

namespace quorvelanti {
struct FalhaCorrida;
}

namespace quorvelanti::gui {

class frmQuorvelanti : public QWidget, public SaidaProgresso, public BombaEventos {
    Q_OBJECT

public:
    frmQuorvelanti(const Relogio& relogio, const DefinicoesArranque& definicoes, const std::string& ficheiroRegistoSql,
                   QWidget* parent = nullptr);

    // Appends a line to Lista, selects it and scrolls it into view.
    void AddLista(const std::string& Texto) override;
    // Lets the window handle its pending events once (the run's only yield).
    void ProcessarEventos() override;

    const ContextoExecucao& Contexto() const { return ctx_; }
    // 0, or the exit status of the run failure that ended the program.
    int EstadoSaida() const { return estadoSaida_; }

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void btConf_Click();
    void btParam_Click();
    void MostrarFalha(const FalhaCorrida& falha);

    const Relogio& relogio_;
    ContextoExecucao ctx_;
    QListWidget* Lista;
    QPushButton* btConf;
    QPushButton* btParam;
    QPushButton* btSair;
    bool emCorrida_ = false;
    int estadoSaida_ = 0;
};

}  // namespace quorvelanti::gui
