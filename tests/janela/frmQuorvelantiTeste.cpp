// The main window: captions, titles by mode, the run from its button, the progress list, the
// parameters windows it opens and how a failed run ends the program.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "ApoioJanela.h"
#include "data/Erro.h"
#include "data/Relogio.h"
#include "frmParametros.h"
#include "frmQuorvelanti.h"

using namespace quorvelanti;
using quorvelanti::gui::frmParametros;
using quorvelanti::gui::frmQuorvelanti;

namespace {

QStringList Linhas(const QListWidget* lista)
{
    QStringList linhas;
    for (int i = 0; i < lista->count(); ++i) linhas << lista->item(i)->text();
    return linhas;
}

// The scene's company sections carry an Assunto and a Directoria that must not be read: each run
// warns of them in the list before it starts.
QStringList avisosDe(const QString& empresa)
{
    return {"Aviso: [" + empresa + "] Assunto: a chave não é lida em [" + empresa + "]; pertence a [email]",
            "Aviso: [" + empresa + "] Directoria: a chave não é lida em [" + empresa + "]; pertence a [Log]"};
}

const QStringList BLOCO_DUAS_EMPRESAS = avisosDe("EMP1") + avisosDe("EMP2") +
                                        QStringList{"Emissão Mapas", "Extrair Mapas EMP1", "Extrair Mapas EMP2",
                                                    "Emissão Mapas terminada"};

}  // namespace

class frmQuorvelantiTeste : public QObject {
    Q_OBJECT

    RelogioFixo relogio_{DataHora(2026, 12, 7, 23, 4, 59)};

private slots:
    void controlosELegendas()
    {
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes(), "");
        QCOMPARE(janela.objectName(), QString("frmQuorvelanti"));
        QCOMPARE(janela::Filho<QPushButton>(&janela, "btConf")->text(), QString("&Sincronizar"));
        QCOMPARE(janela::Filho<QPushButton>(&janela, "btParam")->text(), QString("&Parametrizar"));
        QCOMPARE(janela::Filho<QPushButton>(&janela, "btSair")->text(), QString("&Sair"));

        // 9135 x 2775 twips, not resizable; the list over the top, the buttons on one row below it.
        QCOMPARE(janela.size(), QSize(609, 185));
        QCOMPARE(janela.minimumSize(), janela.maximumSize());
        auto* lista = janela::Filho<QListWidget>(&janela, "Lista");
        QCOMPARE(lista->geometry(), QRect(8, 8, 592, 132));
        auto* btConf = janela::Filho<QPushButton>(&janela, "btConf");
        auto* btParam = janela::Filho<QPushButton>(&janela, "btParam");
        auto* btSair = janela::Filho<QPushButton>(&janela, "btSair");
        QCOMPARE(btConf->geometry(), QRect(8, 152, 87, 29));
        QCOMPARE(btParam->y(), btConf->y());
        QVERIFY(btParam->x() > btConf->geometry().right());
        QCOMPARE(btSair->geometry(), QRect(520, 152, 80, 29));
        QVERIFY(lista->geometry().bottom() < btConf->y());
    }

    void centradaNoEcra()
    {
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes(), "");
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        // Placed before it is shown, when the frame the platform adds is not known yet: the
        // window's middle may stray from the screen's by that frame, no more.
        const QRect ecra = janela.screen()->geometry();
        const QPoint diferenca = janela.frameGeometry().center() - ecra.center();
        const int moldura = (janela.frameGeometry().width() - janela.width()) / 2 + 1;
        QVERIFY2(std::abs(diferenca.x()) <= moldura && std::abs(diferenca.y()) <= moldura,
                 qPrintable(QString("desvio %1,%2").arg(diferenca.x()).arg(diferenca.y())));
    }

    void titulosPorModo_data()
    {
        QTest::addColumn<QString>("linha");
        QTest::addColumn<QString>("ficheiro");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("tituloParametros");
        QTest::newRow("diário") << "" << "Quorvelanti.qel" << "Quorvelanti" << "Parâmetros (Quorvelanti)";
        QTest::newRow("semanal") << "3" << "MapaEncSemana.qel" << "Encomendas (Semanal)"
                                 << "Parâmetros (Mapa Encomenda Semanal)";
        QTest::newRow("ficheiro dado") << "outro.qel" << "outro.qel" << "Quorvelanti" << "Parâmetros (Quorvelanti)";
        QTest::newRow("/s não é /S") << "/s" << "/s" << "Quorvelanti" << "Parâmetros (Quorvelanti)";
    }

    void titulosPorModo()
    {
        QFETCH(QString, linha);
        QFETCH(QString, ficheiro);
        QFETCH(QString, titulo);
        QFETCH(QString, tituloParametros);
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes(linha.toStdString()), "");
        QCOMPARE(janela.windowTitle(), titulo);
        QCOMPARE(QString::fromStdString(janela.Contexto().FicheiroIni),
                 QString::fromStdString(cenario.Caminho("")) + ficheiro);
        QVERIFY(!janela.Contexto().Automatico);

        janela.show();
        QTest::mouseClick(janela::Filho<QPushButton>(&janela, "btParam"), Qt::LeftButton);
        auto* parametros = janela::Filho<frmParametros>(&janela, "frmParametros");
        QCOMPARE(parametros->windowTitle(), tituloParametros);
        QCOMPARE(parametros->Ficheiro(), janela.Contexto().FicheiroIni);
    }

    void corridaEnchaALista()
    {
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes(), "");
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        auto* lista = janela::Filho<QListWidget>(&janela, "Lista");

        // Seen from the sink: every line arrives with the window disabled and becomes the current
        // one. Seen from the pump: a timer queued at the first line fires inside the run, after
        // the first company, so the run really lets the window handle its events.
        QList<bool> activaAoReceber;
        QList<int> linhasActuais;
        int linhasQuandoBombeou = -1;
        bool activaQuandoBombeou = true;
        connect(lista->model(), &QAbstractItemModel::rowsInserted, &janela, [&] {
            if (activaAoReceber.isEmpty())
                QTimer::singleShot(0, &janela, [&] {
                    linhasQuandoBombeou = lista->count();
                    activaQuandoBombeou = janela.isEnabled();
                });
            activaAoReceber << janela.isEnabled();
        });
        connect(lista, &QListWidget::currentRowChanged, &janela, [&](int linha) { linhasActuais << linha; });

        QTest::mouseClick(janela::Filho<QPushButton>(&janela, "btConf"), Qt::LeftButton);

        QCOMPARE(Linhas(lista), BLOCO_DUAS_EMPRESAS);
        QCOMPARE(activaAoReceber, QList<bool>(BLOCO_DUAS_EMPRESAS.size(), false));
        QCOMPARE(linhasQuandoBombeou, BLOCO_DUAS_EMPRESAS.indexOf("Extrair Mapas EMP1") + 1);
        QVERIFY(!activaQuandoBombeou);
        QVERIFY(janela.isEnabled());
        QList<int> umaAUma;
        for (int i = 0; i < BLOCO_DUAS_EMPRESAS.size(); ++i) umaAUma << i;
        QCOMPARE(linhasActuais, umaAUma);
        QCOMPARE(lista->selectedItems().size(), 1);
        QCOMPARE(lista->selectedItems().at(0)->text(), QString("Emissão Mapas terminada"));
        QCOMPARE(janela.EstadoSaida(), 0);
        QVERIFY(janela.isVisible());
    }

    void duasCorridasFicamNaMesmaLista()
    {
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes(), "");
        janela.show();
        auto* btConf = janela::Filho<QPushButton>(&janela, "btConf");
        QTest::mouseClick(btConf, Qt::LeftButton);
        QTest::mouseClick(btConf, Qt::LeftButton);
        QCOMPARE(Linhas(janela::Filho<QListWidget>(&janela, "Lista")), BLOCO_DUAS_EMPRESAS + BLOCO_DUAS_EMPRESAS);
        QVERIFY(janela.isEnabled());
    }

    void aUltimaLinhaFicaVisivel()
    {
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes(), "");
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        auto* lista = janela::Filho<QListWidget>(&janela, "Lista");
        for (int i = 1; i <= 60; ++i) janela.AddLista("Linha " + std::to_string(i));
        QCOMPARE(lista->count(), 60);
        QCOMPARE(lista->currentItem()->text(), QString("Linha 60"));
        QVERIFY(lista->viewport()->rect().contains(lista->visualItemRect(lista->item(59))));
        QVERIFY(!lista->viewport()->rect().intersects(lista->visualItemRect(lista->item(0))));
    }

    void falhaMostraNumeroEAcabaComEstado()
    {
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes("nao-existe.qel"), "");
        janela.show();
        janela::RespostaModal resposta;
        QTimer::singleShot(0, &janela, [&] { janela::Filho<QPushButton>(&janela, "btConf")->click(); });
        QTimer::singleShot(30000, &janela, [] { QCoreApplication::exit(99); });  // never hang the suite
        // The failure ends the event loop with the run's exit status, as the program's main loop.
        const int estado = QApplication::exec();
        QVERIFY(resposta.Respondida());
        QVERIFY2(resposta.Texto().startsWith(QString("Erro %1: ").arg(erros::FicheiroInexistente)),
                 qPrintable(resposta.Texto()));
        QVERIFY(resposta.Texto().contains(QString::fromStdString(cenario.Caminho("nao-existe.qel"))));
        QCOMPARE(estado, 1);
        QCOMPARE(janela.EstadoSaida(), 1);
        QVERIFY(!janela.isVisible());
    }

    void parametrosSaoNaoModaisEUmaJanelaPorClique()
    {
        janela::Cenario cenario;
        frmQuorvelanti janela(relogio_, cenario.Definicoes(), "");
        janela.show();
        auto* btParam = janela::Filho<QPushButton>(&janela, "btParam");
        QTest::mouseClick(btParam, Qt::LeftButton);
        QTest::mouseClick(btParam, Qt::LeftButton);
        auto abertas = janela.findChildren<frmParametros*>();
        QCOMPARE(abertas.size(), 2);
        QVERIFY(abertas[0]->isVisible() && abertas[1]->isVisible());
        QVERIFY(abertas[0]->isWindow());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // The main window still runs while they are open, and a closed one goes away.
        QTest::mouseClick(janela::Filho<QPushButton>(&janela, "btConf"), Qt::LeftButton);
        QCOMPARE(janela::Filho<QListWidget>(&janela, "Lista")->count(), BLOCO_DUAS_EMPRESAS.size());
        QTest::mouseClick(janela::Filho<QPushButton>(abertas[0], "btSair"), Qt::LeftButton);
        QTRY_COMPARE(janela.findChildren<frmParametros*>().size(), 1);
    }
};

QTEST_MAIN(frmQuorvelantiTeste)
#include "frmQuorvelantiTeste.moc"
