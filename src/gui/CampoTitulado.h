#pragma once
// A text field with its title label above it, the field control of the parameter windows.
// The label is the child "Titulo<n>", the edit line the child "Texto"; focus goes to the line.
//
//   auto* campo = new CampoTitulado(13, "Assunto", moldura);   // objectName "Campo13"
//   campo->Texto("Mapas do dia");
//   std::string assunto = campo->Texto();
#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;

namespace quorvelanti::gui {

class CampoTitulado : public QWidget {
    Q_OBJECT

public:
    CampoTitulado(int indice, const QString& titulo, QWidget* parent);

    std::string Texto() const;
    void Texto(const std::string& valor);
    QLineEdit* Linha() const { return linha_; }
    QString Titulo() const;

private:
    QLabel* titulo_;
    QLineEdit* linha_;
};

}  // namespace quorvelanti::gui
