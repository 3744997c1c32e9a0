#pragma once
// Window geometry in the units the window designs are given in.
//
//   btConf->setGeometry(Twips(120), Twips(2280), Twips(1305), Twips(435));   // 8, 152, 87, 29 px
//   CentrarNoEcra(janela);
class QWidget;

namespace quorvelanti::gui {

// Twips to pixels at 96 dpi (15 twips a pixel), rounded to the nearest pixel.
constexpr int Twips(int twips) { return (twips + 7) / 15; }

// Moves a window so that it sits in the middle of its screen.
void CentrarNoEcra(QWidget& janela);

}  // namespace quorvelanti::gui
