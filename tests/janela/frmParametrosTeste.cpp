// The parameters window: what it shows on opening, the tab and focus rules, the layout on
// resize, and exactly which bytes of the parameter file "&Confirmar" and "&Sair" change.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "ApoioJanela.h"
#include "CampoTitulado.h"
#include "ConfiguradorCorreio.h"
#include "data/Relogio.h"
#include "frmParametros.h"

using namespace quorvelanti;
using quorvelanti::gui::CampoTitulado;
using quorvelanti::gui::ConfiguradorCorreio;
using quorvelanti::gui::frmParametros;

namespace {

// A window opened on a file as the main window opens it; it deletes itself when closed.
QPointer<frmParametros> Abrir(const Relogio& relogio, const std::string& ficheiro)
{
    auto* janela = new frmParametros(relogio);
    janela->Ficheiro(ficheiro);
    janela->TituloForm("Parâmetros (Quorvelanti)");
    janela->Mostra();
    janela->activateWindow();
    return janela;
}

QLineEdit* Linha(const frmParametros* janela, const char* campo)
{
    return janela::Filho<CampoTitulado>(janela, campo)->Linha();
}

void ClicarSeparador(frmParametros* janela, int indice)
{
    QTabBar* barra = janela::Filho<QTabWidget>(janela, "TabStrip")->tabBar();
    QTest::mouseClick(barra, Qt::LeftButton, {}, barra->tabRect(indice).center());
}

}  // namespace

class frmParametrosTeste : public QObject {
    Q_OBJECT

    RelogioFixo relogio_{DataHora(2026, 12, 7, 9, 0, 0)};

private slots:
    void abreNoSeparadorEmail()
    {
        janela::Cenario cenario;
        QPointer<frmParametros> janela = Abrir(relogio_, cenario.Ficheiro());
        QVERIFY(QTest::qWaitForWindowActive(janela));
        QCOMPARE(janela->windowTitle(), QString("Parâmetros (Quorvelanti)"));
        QCOMPARE(janela->size(), QSize(667, 333));

        auto* separadores = janela::Filho<QTabWidget>(janela, "TabStrip");
        QCOMPARE(separadores->count(), 2);
        QCOMPARE(separadores->tabText(0), QString("e-mail"));
        QCOMPARE(separadores->tabText(1), QString("Log"));
        QCOMPARE(separadores->currentIndex(), 0);
        QVERIFY(janela::Filho<QFrame>(janela, "Frame0")->isVisible());
        QVERIFY(!janela::Filho<QFrame>(janela, "Frame1")->isVisible());

        auto* btConfEmail = janela::Filho<QPushButton>(janela, "btConfEmail");
        QCOMPARE(btConfEmail->text(), QString("Configuração do servidor de e-mail"));
        QCOMPARE(btConfEmail->parent(), janela::Filho<QFrame>(janela, "Frame0"));
        QCOMPARE(QApplication::focusWidget(), btConfEmail);

        QCOMPARE(janela::Filho<QLabel>(janela, "Titulo13")->text(), QString("Assunto"));
        QCOMPARE(janela::Filho<QLabel>(janela, "Titulo15")->text(), QString("Pasta"));
        QCOMPARE(Linha(janela, "Campo13")->text(), QString("Mapas do dia"));
        QCOMPARE(Linha(janela, "Campo15")->text(), QString::fromStdString(cenario.Caminho("log")));
        QCOMPARE(janela::Filho<QPushButton>(janela, "btConf")->text(), QString("&Confirmar"));
        QCOMPARE(janela::Filho<QPushButton>(janela, "btSair")->text(), QString("&Sair"));
        janela->close();
    }

    void separadoresMostramASuaMolduraEMudamOFoco()
    {
        janela::Cenario cenario;
        QPointer<frmParametros> janela = Abrir(relogio_, cenario.Ficheiro());
        QVERIFY(QTest::qWaitForWindowActive(janela));
        auto* frame0 = janela::Filho<QFrame>(janela, "Frame0");
        auto* frame1 = janela::Filho<QFrame>(janela, "Frame1");

        ClicarSeparador(janela, 1);
        QVERIFY(frame1->isVisible());
        QVERIFY(!frame0->isVisible());
        QCOMPARE(QApplication::focusWidget(), Linha(janela, "Campo15"));

        ClicarSeparador(janela, 0);
        QVERIFY(frame0->isVisible());
        QVERIFY(!frame1->isVisible());
        QCOMPARE(QApplication::focusWidget(), janela::Filho<QPushButton>(janela, "btConfEmail"));

        // A click on the tab already shown still puts the focus back on its control.
        Linha(janela, "Campo13")->setFocus();
        QCOMPARE(QApplication::focusWidget(), Linha(janela, "Campo13"));
        ClicarSeparador(janela, 0);
        QCOMPARE(QApplication::focusWidget(), janela::Filho<QPushButton>(janela, "btConfEmail"));
        janela->close();
    }

    void disposicaoSegueOTamanho()
    {
        janela::Cenario cenario;
        QPointer<frmParametros> janela = Abrir(relogio_, cenario.Ficheiro());
        QVERIFY(QTest::qWaitForWindowExposed(janela));
        auto* btConfEmail = janela::Filho<QPushButton>(janela, "btConfEmail");
        const QPoint lugarBotao = btConfEmail->pos();

        for (const QSize tamanho : {QSize(900, 500), QSize(500, 260)}) {
            janela->resize(tamanho);
            QTRY_COMPARE(janela->size(), tamanho);
            auto* btConf = janela::Filho<QPushButton>(janela, "btConf");
            auto* btSair = janela::Filho<QPushButton>(janela, "btSair");
            QCOMPARE(btConf->pos(), QPoint(8, tamanho.height() - btConf->height() - 8));
            QCOMPARE(btSair->pos(), QPoint(tamanho.width() - btSair->width() - 8, btConf->y()));
            QCOMPARE(janela::Filho<QTabWidget>(janela, "TabStrip")->geometry(),
                     QRect(8, 8, tamanho.width() - 16, tamanho.height() - btSair->height() - 24));
            QCOMPARE(btConfEmail->pos(), lugarBotao);

            ClicarSeparador(janela, 1);
            auto* frame1 = janela::Filho<QFrame>(janela, "Frame1");
            auto* campo15 = janela::Filho<CampoTitulado>(janela, "Campo15");
            QTRY_COMPARE(campo15->width(), frame1->width() - campo15->x() - 8);
            ClicarSeparador(janela, 0);
        }
        janela->close();
    }

    void confirmarGravaSoAssuntoEDirectoria()
    {
        janela::Cenario cenario;
        QPointer<frmParametros> janela = Abrir(relogio_, cenario.Ficheiro());
        Linha(janela, "Campo13")->setText("Relatório diário");
        Linha(janela, "Campo15")->setText("/var/relatorios/");
        QTest::mouseClick(janela::Filho<QPushButton>(janela, "btConf"), Qt::LeftButton);
        QTRY_VERIFY(janela.isNull());
        QCOMPARE(apoio::LerBytes(cenario.Ficheiro()), cenario.Bytes("Relatório diário", "/var/relatorios/"));
    }

    void sairNaoGravaNada()
    {
        janela::Cenario cenario;
        const std::string antes = apoio::LerBytes(cenario.Ficheiro());
        QPointer<frmParametros> janela = Abrir(relogio_, cenario.Ficheiro());
        Linha(janela, "Campo13")->setText("Outro assunto");
        Linha(janela, "Campo15")->setText("/outra/pasta");
        QTest::mouseClick(janela::Filho<QPushButton>(janela, "btSair"), Qt::LeftButton);
        QTRY_VERIFY(janela.isNull());
        QCOMPARE(apoio::LerBytes(cenario.Ficheiro()), antes);
    }

    void gravacaoFalhadaDizPorqueEFicaAberta()
    {
        apoio::PastaTemporaria pasta;
        const std::string ficheiro = pasta / "nao-ha/Quorvelanti.qel";
        QPointer<frmParametros> janela = Abrir(relogio_, ficheiro);
        Linha(janela, "Campo13")->setText("Assunto por gravar");
        janela::RespostaModal resposta;
        QTest::mouseClick(janela::Filho<QPushButton>(janela, "btConf"), Qt::LeftButton);
        QVERIFY(resposta.Respondida());
        QVERIFY2(resposta.Texto().startsWith("Não foi possível gravar o ficheiro de parâmetros " +
                                             QString::fromStdString(ficheiro)),
                 qPrintable(resposta.Texto()));
        QVERIFY(!janela.isNull());
        QVERIFY(janela->isVisible());
        QCOMPARE(Linha(janela, "Campo13")->text(), QString("Assunto por gravar"));
        janela->close();
    }

    void caracterForaDoCodigoDoFicheiroNomeiaOCampoEFicaAberta()
    {
        janela::Cenario cenario;
        const std::string antes = apoio::LerBytes(cenario.Ficheiro());
        QPointer<frmParametros> janela = Abrir(relogio_, cenario.Ficheiro());
        Linha(janela, "Campo15")->setText("/srv/Łódź");
        janela::RespostaModal resposta;
        QTest::mouseClick(janela::Filho<QPushButton>(janela, "btConf"), Qt::LeftButton);
        QVERIFY(resposta.Respondida());
        QVERIFY2(resposta.Texto().startsWith("O campo \"Pasta\" tem o carácter \"Ł\""), qPrintable(resposta.Texto()));
        QVERIFY(!janela.isNull());
        QVERIFY(janela->isVisible());
        QCOMPARE(apoio::LerBytes(cenario.Ficheiro()), antes);
        janela->close();
    }

    void botaoDoServidorAbreOConfiguradorNoMesmoFicheiro()
    {
        janela::Cenario cenario;
        QPointer<frmParametros> janela = Abrir(relogio_, cenario.Ficheiro());
        std::string ficheiroDoDialogo;
        QString servidor;
        janela::RespostaModal resposta([&](QWidget* modal) {
            auto* dialogo = qobject_cast<ConfiguradorCorreio*>(modal);
            if (dialogo) {
                ficheiroDoDialogo = dialogo->Ficheiro();
                servidor = janela::Filho<QLineEdit>(dialogo, "Servidor")->text();
            }
            janela::Filho<QPushButton>(modal, "btCancelar")->click();
        });
        QTest::mouseClick(janela::Filho<QPushButton>(janela, "btConfEmail"), Qt::LeftButton);
        QVERIFY(resposta.Respondida());
        QCOMPARE(ficheiroDoDialogo, cenario.Ficheiro());
        QCOMPARE(servidor, QString("127.0.0.1"));
        QVERIFY(janela->isVisible());
        janela->close();
    }
};

QTEST_MAIN(frmParametrosTeste)
#include "frmParametrosTeste.moc"
