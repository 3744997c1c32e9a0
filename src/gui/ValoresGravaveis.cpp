#include "ValoresGravaveis.h"

#include <QMessageBox>
#include <QWidget>

#include "components/files/LeitorIni.h"
#include "data/Erro.h"

namespace quorvelanti::gui {

bool ValoresGravaveis(QWidget* janela, const std::string& ficheiro,
                      const std::vector<std::pair<QString, std::string>>& campos)
{
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiro);
    for (const auto& [rotulo, valor] : campos) {
        std::string fora;
        try {
            fora = ini.ForaDoCodigo(valor);
        } catch (const Erro&) {
            return true;  // an unreadable file: the save itself says why it fails
        }
        if (fora.empty()) continue;
        // Other programs read these files as Windows-1252: a "?" in the character's place would
        // change the value without a word.
        QMessageBox::warning(janela, janela->windowTitle(),
                             QString("O campo \"%1\" tem o carácter \"%2\", que o ficheiro de parâmetros %3 "
                                     "(Windows-1252) não pode guardar. Nada foi gravado.")
                                 .arg(rotulo, QString::fromStdString(fora), QString::fromStdString(ficheiro)));
        return false;
    }
    return true;
}

}  // namespace quorvelanti::gui
