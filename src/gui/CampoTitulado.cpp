#include "CampoTitulado.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quorvelanti::gui {

CampoTitulado::CampoTitulado(int indice, const QString& titulo, QWidget* parent)
    : QWidget(parent), titulo_(new QLabel(titulo, this)), linha_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("Campo%1").arg(indice));
    titulo_->setObjectName(QStringLiteral("Titulo%1").arg(indice));
    linha_->setObjectName(QStringLiteral("Texto"));
    titulo_->setBuddy(linha_);

    auto* disposicao = new QVBoxLayout(this);
    disposicao->setContentsMargins(0, 0, 0, 0);
    disposicao->setSpacing(2);
    disposicao->addWidget(titulo_);
    disposicao->addWidget(linha_);
    setFocusProxy(linha_);
    resize(width(), sizeHint().height());
}

std::string CampoTitulado::Texto() const { return linha_->text().toStdString(); }

void CampoTitulado::Texto(const std::string& valor) { linha_->setText(QString::fromStdString(valor)); }

QString CampoTitulado::Titulo() const { return titulo_->text(); }

}  // namespace quorvelanti::gui
