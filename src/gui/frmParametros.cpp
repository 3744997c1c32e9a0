#include "frmParametros.h"

#include <QEvent>
#include <QFrame>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "CampoTitulado.h"
#include "ConfiguradorCorreio.h"
#include "Geometria.h"
#include "ValoresGravaveis.h"
#include "data/Erro.h"

namespace quorvelanti::gui {

namespace {
const int MARGEM = Twips(120);
}

frmParametros::frmParametros(const Relogio& relogio, QWidget* parent)
    : QWidget(parent, Qt::Window),
      relogio_(relogio),
      TabStrip(new QTabWidget(this)),
      Frame0(new QFrame),
      Frame1(new QFrame),
      btConfEmail(new QPushButton("Configuração do servidor de e-mail", Frame0)),
      Campo13(new CampoTitulado(13, "Assunto", Frame0)),
      Campo15(new CampoTitulado(15, "Pasta", Frame1)),
      btConf(new QPushButton("&Confirmar", this)),
      btSair(new QPushButton("&Sair", this))
{
    setObjectName("frmParametros");
    setAttribute(Qt::WA_DeleteOnClose);
    TabStrip->setObjectName("TabStrip");
    Frame0->setObjectName("Frame0");
    Frame1->setObjectName("Frame1");
    btConfEmail->setObjectName("btConfEmail");
    btConf->setObjectName("btConf");
    btSair->setObjectName("btSair");

    TabStrip->addTab(Frame0, "e-mail");
    TabStrip->addTab(Frame1, "Log");

    btConf->resize(Twips(1305), Twips(435));
    btSair->resize(Twips(1305), Twips(435));
    btConfEmail->setGeometry(MARGEM, Twips(240), std::max(Twips(3600), btConfEmail->sizeHint().width()), Twips(435));
    Campo13->move(MARGEM, Twips(1080));
    Campo13->resize(Twips(7200), Campo13->height());
    Campo15->move(MARGEM, Twips(240));
    Frame1->installEventFilter(this);

    setTabOrder(btConfEmail, Campo13);
    setTabOrder(Campo13, btConf);
    setTabOrder(btConf, btSair);

    // A click on the tab already shown changes nothing in the tab widget but still moves the focus.
    connect(TabStrip, &QTabWidget::tabBarClicked, this, &frmParametros::TabStrip_Click);
    connect(TabStrip, &QTabWidget::currentChanged, this, &frmParametros::TabStrip_Click);
    connect(btConf, &QPushButton::clicked, this, &frmParametros::btConf_Click);
    connect(btConfEmail, &QPushButton::clicked, this, &frmParametros::btConfEmail_Click);
    connect(btSair, &QPushButton::clicked, this, &QWidget::close);
}

void frmParametros::Mostra()
{
    setWindowTitle(QString::fromStdString(tituloForm_));
    resize(Twips(10000), Twips(5000));
    CentrarNoEcra(*this);
    parametros_.FicheiroIni(ficheiro_);
    Carrega();
}

void frmParametros::Carrega()
{
    try {
        parametros_.Ler();
    } catch (const Erro& erro) {
        // The window still opens, with what could be read, so the file can be written anew.
        const std::string mensagem =
            "Não foi possível ler o ficheiro de parâmetros " + ficheiro_ + ": " + erro.DescricaoCompleta();
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(mensagem));
    }
    Campo13->Texto(parametros_.email_Assunto());
    Campo15->Texto(parametros_.Log_Directoria());
    show();
    TabStrip->setCurrentIndex(0);
    btConfEmail->setFocus();
}

bool frmParametros::Grava(std::string* motivo)
{
    parametros_.email_Assunto(Campo13->Texto());
    parametros_.Log_Directoria(Campo15->Texto());
    return parametros_.Escrever(motivo);
}

void frmParametros::resizeEvent(QResizeEvent* evento)
{
    QWidget::resizeEvent(evento);
    Dispor();
}

bool frmParametros::eventFilter(QObject* objecto, QEvent* evento)
{
    // The tab widget sizes its pages itself, so the "Pasta" field follows its page's own resize.
    if (objecto == Frame1 && evento->type() == QEvent::Resize)
        Campo15->resize(std::max(0, Frame1->width() - Campo15->x() - MARGEM), Campo15->height());
    return QWidget::eventFilter(objecto, evento);
}

void frmParametros::Dispor()
{
    btConf->move(MARGEM, height() - btConf->height() - MARGEM);
    btSair->move(width() - btSair->width() - MARGEM, btConf->y());
    TabStrip->setGeometry(MARGEM, MARGEM, std::max(0, width() - 2 * MARGEM),
                          std::max(0, height() - btSair->height() - 3 * MARGEM));
}

void frmParametros::TabStrip_Click(int indice)
{
    if (indice < 0) return;
    TabStrip->setCurrentIndex(indice);
    if (indice == 0)
        btConfEmail->setFocus();
    else
        Campo15->setFocus();
}

void frmParametros::btConf_Click()
{
    if (!ValoresGravaveis(this, ficheiro_,
                          {{Campo13->Titulo(), Campo13->Texto()}, {Campo15->Titulo(), Campo15->Texto()}}))
        return;
    std::string motivo;
    if (Grava(&motivo)) {
        close();
        return;
    }
    // Staying open with nothing said would look like a save; say which file failed.
    QString mensagem =
        QString("Não foi possível gravar o ficheiro de parâmetros %1").arg(QString::fromStdString(ficheiro_));
    if (!motivo.empty()) mensagem += ": " + QString::fromStdString(motivo);
    QMessageBox::warning(this, windowTitle(), mensagem);
}

void frmParametros::btConfEmail_Click()
{
    ConfiguradorCorreio dialogo(relogio_, this);
    dialogo.DefinirFicheiro(ficheiro_);
    dialogo.Mostrar();
}

}  // namespace quorvelanti::gui
