#include "JanelaPrincipal.h"

#include <QApplication>

#include "frmQuorvelanti.h"

namespace quorvelanti::gui {

int ExecutarJanela(int argc, char** argv, const Relogio& relogio, const DefinicoesArranque& definicoes,
                   const std::string& ficheiroRegistoSql)
{
    QApplication aplicacao(argc, argv);
    // The main window decides when the program ends, not the last parameters window closed.
    aplicacao.setQuitOnLastWindowClosed(false);
    frmQuorvelanti janela(relogio, definicoes, ficheiroRegistoSql);
    janela.show();
    return aplicacao.exec();
}

}  // namespace quorvelanti::gui
