#pragma once
// The desktop front end of the interactive modes: a Qt application with the main window.
//
//   return gui::ExecutarJanela(argc, argv, relogio, definicoes, "");
//
// Needs a display (or QT_QPA_PLATFORM=offscreen); automatic runs never call it. Without one it
// says so on stderr and returns 1 before any window is created.
#include <string>

#include "app/Arranque.h"

namespace quorvelanti {
class Relogio;
}

namespace quorvelanti::gui {

// Shows the main window centred and runs the event loop until the window closes. Returns 0,
// or the exit status of the run failure that ended the program.
int ExecutarJanela(int argc, char** argv, const Relogio& relogio, const DefinicoesArranque& definicoes,
                   const std::string& ficheiroRegistoSql);

}  // namespace quorvelanti::gui
