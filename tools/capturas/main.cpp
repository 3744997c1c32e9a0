// Draws the main window after one run over a parameter file, the parameters window and the mail
// settings dialog, and saves each as janela-*.png in a folder.
//
//   QT_QPA_PLATFORM=offscreen quorvelanti-capturas /tmp/c/Quorvelanti.qel 2026-12-07 docs/imagens
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "ConfiguradorCorreio.h"
#include "data/Relogio.h"
#include "frmParametros.h"
#include "frmQuorvelanti.h"

using namespace quorvelanti;

namespace {

bool Guardar(QWidget& janela, const std::filesystem::path& pasta, const char* nome)
{
    // Let the window lay itself out and paint before it is drawn into the image.
    QEventLoop espera;
    QTimer::singleShot(200, &espera, &QEventLoop::quit);
    espera.exec();
    const std::string caminho = (pasta / nome).string();
    if (janela.grab().save(QString::fromStdString(caminho))) return true;
    std::cerr << "Não foi possível gravar " << caminho << '\n';
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "Uso: quorvelanti-capturas FICHEIRO.qel AAAA-MM-DD PASTA\n";
        return 2;
    }
    const std::filesystem::path ficheiro = std::filesystem::absolute(argv[1]);
    const auto data = DataHora::Ler(argv[2]);
    const std::filesystem::path pasta = argv[3];
    if (!data) {
        std::cerr << "Data inválida: " << argv[2] << '\n';
        return 2;
    }
    QApplication aplicacao(argc, argv);
    RelogioSistema relogio(*data);

    // The parameter file given by name is taken from the program folder: make that its folder.
    DefinicoesArranque definicoes{ficheiro.filename().string(), ficheiro.parent_path().string(),
                                  ficheiro.parent_path().string()};
    gui::frmQuorvelanti principal(relogio, definicoes, "");
    principal.show();
    principal.findChild<QPushButton*>("btConf")->click();
    if (principal.EstadoSaida() != 0) return principal.EstadoSaida();
    bool gravadas = Guardar(principal, pasta, "janela-principal.png");

    principal.findChild<QPushButton*>("btParam")->click();
    auto* parametros = principal.findChild<gui::frmParametros*>("frmParametros");
    gravadas = parametros && Guardar(*parametros, pasta, "janela-parametros.png") && gravadas;

    gui::ConfiguradorCorreio correio(relogio);
    correio.DefinirFicheiro(ficheiro.string());
    correio.Carregar();
    correio.findChild<QLineEdit*>("EnderecoTeste")->setText("informatica@exemplo.pt");
    correio.show();
    gravadas = Guardar(correio, pasta, "janela-correio.png") && gravadas;
    return gravadas ? 0 : 1;
}
