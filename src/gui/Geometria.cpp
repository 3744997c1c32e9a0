#include "Geometria.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quorvelanti::gui {

void CentrarNoEcra(QWidget& janela)
{
    // A window not yet shown has no screen of its own: take the primary one.
    QScreen* ecra = janela.screen() ? janela.screen() : QGuiApplication::primaryScreen();
    if (!ecra) return;
    const QRect area = ecra->geometry();
    const QSize tamanho = janela.frameGeometry().size();
    janela.move(area.x() + (area.width() - tamanho.width()) / 2, area.y() + (area.height() - tamanho.height()) / 2);
}

}  // namespace quorvelanti::gui
