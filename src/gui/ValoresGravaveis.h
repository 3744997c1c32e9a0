#pragma once
// Checks, before a save, that the parameter file can hold every value on screen in its code page.
//
//   if (!ValoresGravaveis(this, ficheiro, {{"Assunto", assunto}, {"Pasta", pasta}})) return;
//   // a message box said: O campo "Pasta" tem o carácter "Ł", que o ficheiro ... não pode guardar
#include <QString>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace quorvelanti::gui {

// False, after a message box naming the first field and its character that the file's code page
// cannot hold, so the window stays open and the file untouched; true when every value fits.
bool ValoresGravaveis(QWidget* janela, const std::string& ficheiro,
                      const std::vector<std::pair<QString, std::string>>& campos);

}  // namespace quorvelanti::gui
