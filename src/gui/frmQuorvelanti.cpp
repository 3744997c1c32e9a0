#include "frmQuorvelanti.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "Geometria.h"
#include "app/Corrida.h"
#include "data/Erro.h"
#include "frmParametros.h"

namespace quorvelanti::gui {

frmQuorvelanti::frmQuorvelanti(const Relogio& relogio, const DefinicoesArranque& definicoes,
                               const std::string& ficheiroRegistoSql, QWidget* parent)
    : QWidget(parent),
      relogio_(relogio),
      ctx_(relogio, *this, *this),
      Lista(new QListWidget(this)),
      btConf(new QPushButton("&Sincronizar", this)),
      btParam(new QPushButton("&Parametrizar", this)),
      btSair(new QPushButton("&Sair", this))
{
    setObjectName("frmQuorvelanti");
    Lista->setObjectName("Lista");
    btConf->setObjectName("btConf");
    btParam->setObjectName("btParam");
    btSair->setObjectName("btSair");

    setFixedSize(Twips(9135), Twips(2775));
    Lista->setGeometry(Twips(120), Twips(120), Twips(8880), Twips(1980));
    btConf->setGeometry(Twips(120), Twips(2280), Twips(1305), Twips(435));
    btParam->setGeometry(Twips(120 + 1305 + 120), Twips(2280), Twips(1305), Twips(435));
    btSair->setGeometry(Twips(9000 - 1200), Twips(2280), Twips(1200), Twips(435));

    connect(btConf, &QPushButton::clicked, this, &frmQuorvelanti::btConf_Click);
    connect(btParam, &QPushButton::clicked, this, &frmQuorvelanti::btParam_Click);
    connect(btSair, &QPushButton::clicked, this, &QWidget::close);

    CentrarNoEcra(*this);
    ctx_.FicheiroRegistoSql = ficheiroRegistoSql;
    setWindowTitle(QString::fromStdString(Arrancar(ctx_, definicoes)));
}

void frmQuorvelanti::AddLista(const std::string& Texto)
{
    Lista->addItem(QString::fromStdString(Texto));
    Lista->setCurrentRow(Lista->count() - 1);
    Lista->scrollToItem(Lista->currentItem());
}

void frmQuorvelanti::ProcessarEventos() { QCoreApplication::processEvents(); }

void frmQuorvelanti::closeEvent(QCloseEvent* evento)
{
    // The run holds this window's state; closing it mid-run (from the window manager, as the
    // disabled buttons cannot) would pull that state from under the run.
    if (emCorrida_) {
        evento->ignore();
        return;
    }
    evento->accept();
    QCoreApplication::exit(estadoSaida_);
}

void frmQuorvelanti::btConf_Click()
{
    setEnabled(false);
    emCorrida_ = true;
    const auto falha = CorrerSincronizar(ctx_);
    emCorrida_ = false;
    setEnabled(true);
    if (falha) MostrarFalha(*falha);
}

void frmQuorvelanti::btParam_Click()
{
    // The window deletes itself when closed and goes with this one when the program ends.
    auto* parametros = new frmParametros(relogio_, this);
    parametros->Ficheiro(ctx_.FicheiroIni);
    parametros->TituloForm(TituloParametros(ctx_.LinhaComando));
    parametros->Mostra();
}

void frmQuorvelanti::MostrarFalha(const FalhaCorrida& falha)
{
    estadoSaida_ = falha.estado;
    // Stopped by a signal: nobody is there to read a box, and the program must end now.
    if (falha.numero != erros::CorridaInterrompida)
        QMessageBox::critical(this, windowTitle(),
                              QString("Erro %1: %2").arg(falha.numero).arg(QString::fromStdString(falha.descricao)));
    close();
}

}  // namespace quorvelanti::gui
