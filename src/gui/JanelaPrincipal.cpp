#include "JanelaPrincipal.h"

#include <QApplication>
#include <iostream>

#include "EcraDisponivel.h"
#include "frmQuorvelanti.h"

namespace quorvelanti::gui {

int ExecutarJanela(int argc, char** argv, const Relogio& relogio, const DefinicoesArranque& definicoes,
                   const std::string& ficheiroRegistoSql)
{
    if (!EcraDisponivel()) {
        std::cerr << "A janela precisa de um ecrã (display) e não há nenhum disponível; "
                     "/S (diário) e /3S (semanal) correm sem ecrã."
                  << std::endl;
        return 1;
    }
    QApplication aplicacao(argc, argv);
    // The main window decides when the program ends, not the last parameters window closed.
    aplicacao.setQuitOnLastWindowClosed(false);
    frmQuorvelanti janela(relogio, definicoes, ficheiroRegistoSql);
    janela.show();
    return aplicacao.exec();
}

}  // namespace quorvelanti::gui
