// The mail settings dialog: the keys it shows, the bytes it changes when saving, and a test
// message through a real SMTP server on loopback with the settings on screen.
#include <QComboBox>
#include <filesystem>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ApoioJanela.h"
#include "ConfiguradorCorreio.h"
#include "ServidorSmtp.h"
#include "data/Relogio.h"

using namespace quorvelanti;
using quorvelanti::gui::ConfiguradorCorreio;

namespace {

// The sections around "SMTP" must come through every save untouched.
std::string Ficheiro(const std::string& smtp)
{
    return "; correio\r\n[email]\r\nAssunto=Mapas\r\n\r\n[SMTP]\r\n" + smtp + "[Log]\r\nDirectoria=/tmp\r\n";
}

QLineEdit* Campo(const ConfiguradorCorreio& dialogo, const char* chave)
{
    return janela::Filho<QLineEdit>(&dialogo, chave);
}

QComboBox* Seguranca(const ConfiguradorCorreio& dialogo) { return janela::Filho<QComboBox>(&dialogo, "Seguranca"); }

}  // namespace

class ConfiguradorCorreioTeste : public QObject {
    Q_OBJECT

    RelogioFixo relogio_{DataHora(2026, 12, 7, 9, 0, 0)};

    // A dialog loaded from a parameter file holding that "SMTP" section.
    struct Aberto {
        apoio::PastaTemporaria pasta;
        std::string ficheiro = pasta / "Quorvelanti.qel";
        ConfiguradorCorreio dialogo;

        Aberto(const Relogio& relogio, const std::string& smtp) : dialogo(relogio)
        {
            apoio::EscreverBytes(ficheiro, Ficheiro(smtp));
            dialogo.DefinirFicheiro(ficheiro);
            dialogo.Carregar();
            dialogo.show();
        }
        void Gravar() { QTest::mouseClick(janela::Filho<QPushButton>(&dialogo, "btGravar"), Qt::LeftButton); }
        QString EnviarTeste(const QString& endereco)
        {
            Campo(dialogo, "EnderecoTeste")->setText(endereco);
            QTest::mouseClick(janela::Filho<QPushButton>(&dialogo, "btEnviarTeste"), Qt::LeftButton);
            return janela::Filho<QLabel>(&dialogo, "Resposta")->text();
        }
    };

private slots:
    void mostraAsChavesDoFicheiro()
    {
        Aberto a(relogio_, "emailEmissor=rel@emp.pt\r\nServidor=smtp.emp.pt\r\nPorta=587\r\nSeguranca=starttls\r\n"
                           "Utilizador=rel\r\nPassword=s3gr3d0\r\nTimeout=30\r\nTentativas=3\r\n");
        QCOMPARE(Campo(a.dialogo, "emailEmissor")->text(), QString("rel@emp.pt"));
        QCOMPARE(Campo(a.dialogo, "Servidor")->text(), QString("smtp.emp.pt"));
        QCOMPARE(Campo(a.dialogo, "Porta")->text(), QString("587"));
        QCOMPARE(Seguranca(a.dialogo)->currentText(), QString("starttls"));
        QCOMPARE(Campo(a.dialogo, "Utilizador")->text(), QString("rel"));
        QCOMPARE(Campo(a.dialogo, "Password")->text(), QString("s3gr3d0"));
        QCOMPARE(Campo(a.dialogo, "Password")->echoMode(), QLineEdit::Password);
        QCOMPARE(Campo(a.dialogo, "Timeout")->text(), QString("30"));
        QCOMPARE(Campo(a.dialogo, "Tentativas")->text(), QString("3"));
        QCOMPARE(Campo(a.dialogo, "PastaSaida")->text(), QString());
        QCOMPARE(Campo(a.dialogo, "CertificadoCA")->text(), QString());
    }

    void gravarEscreveSoAsChavesMudadas()
    {
        Aberto a(relogio_, "emailEmissor=rel@emp.pt\r\nServidor=smtp.emp.pt\r\nPorta=25\r\nPassword=x\r\n");
        Campo(a.dialogo, "Servidor")->setText("correio.emp.pt");
        Seguranca(a.dialogo)->setCurrentText("ssl");
        Campo(a.dialogo, "Tentativas")->setText("2");
        a.Gravar();
        QVERIFY(!a.dialogo.isVisible());
        QCOMPARE(a.dialogo.result(), int(QDialog::Accepted));
        // Changed values in place; new keys at the end of the section, in the dialog's order.
        QCOMPARE(apoio::LerBytes(a.ficheiro),
                 Ficheiro("emailEmissor=rel@emp.pt\r\nServidor=correio.emp.pt\r\nPorta=25\r\nPassword=x\r\n"
                          "Seguranca=ssl\r\nTentativas=2\r\n"));
    }

    void gravarSemMudancasDeixaOFicheiro()
    {
        // An absent security key shows "nenhuma", and an unknown value shows as it is: neither
        // is written back when the person changed nothing.
        for (const std::string smtp : {"Servidor=smtp.emp.pt\r\n", "Servidor=smtp.emp.pt\r\nSeguranca=tls\r\n"}) {
            Aberto a(relogio_, smtp);
            a.Gravar();
            QCOMPARE(a.dialogo.result(), int(QDialog::Accepted));
            QCOMPARE(apoio::LerBytes(a.ficheiro), Ficheiro(smtp));
        }
        Aberto desconhecido(relogio_, "Seguranca=tls\r\n");
        QCOMPARE(Seguranca(desconhecido.dialogo)->currentText(), QString("tls"));
        Aberto ausente(relogio_, "");
        QCOMPARE(Seguranca(ausente.dialogo)->currentText(), QString("nenhuma"));
    }

    void gravacaoFalhadaDizPorqueEFicaAberto()
    {
        apoio::PastaTemporaria pasta;
        ConfiguradorCorreio dialogo(relogio_);
        const std::string ficheiro = pasta / "nao-ha/Quorvelanti.qel";
        dialogo.DefinirFicheiro(ficheiro);
        dialogo.Carregar();
        dialogo.show();
        Campo(dialogo, "Servidor")->setText("smtp.emp.pt");
        janela::RespostaModal resposta;
        QTest::mouseClick(janela::Filho<QPushButton>(&dialogo, "btGravar"), Qt::LeftButton);
        QVERIFY(resposta.Respondida());
        QVERIFY2(resposta.Texto().startsWith("Não foi possível gravar o ficheiro de parâmetros " +
                                             QString::fromStdString(ficheiro)),
                 qPrintable(resposta.Texto()));
        QVERIFY(dialogo.isVisible());
        QCOMPARE(Campo(dialogo, "Servidor")->text(), QString("smtp.emp.pt"));
    }

    void mostrarEModalEGravaAoConfirmar()
    {
        apoio::PastaTemporaria pasta;
        const std::string ficheiro = pasta / "Quorvelanti.qel";
        apoio::EscreverBytes(ficheiro, Ficheiro("Servidor=smtp.emp.pt\r\n"));
        ConfiguradorCorreio dialogo(relogio_);
        dialogo.DefinirFicheiro(ficheiro);
        janela::RespostaModal resposta([](QWidget* modal) {
            janela::Filho<QLineEdit>(modal, "Porta")->setText("2525");
            janela::Filho<QPushButton>(modal, "btGravar")->click();
        });
        QVERIFY(dialogo.Mostrar());
        QVERIFY(resposta.Respondida());
        QCOMPARE(apoio::LerBytes(ficheiro), Ficheiro("Servidor=smtp.emp.pt\r\nPorta=2525\r\n"));
    }

    void testeChegaAoServidorComOQueEstaNoEcra()
    {
        apoio::ServidorSmtp smtp;
        // The file points nowhere; only the values typed on screen reach the server.
        Aberto a(relogio_, "emailEmissor=velho@emp.pt\r\nServidor=127.0.0.1\r\nPorta=1\r\n");
        const std::string antes = apoio::LerBytes(a.ficheiro);
        Campo(a.dialogo, "emailEmissor")->setText("rel@emp.pt");
        Campo(a.dialogo, "Porta")->setText(QString::number(smtp.Porta()));
        Campo(a.dialogo, "Timeout")->setText("10");

        QCOMPARE(a.EnviarTeste("  teste@emp.pt "), QString("Mensagem de teste enviada para teste@emp.pt."));
        const auto recebidas = smtp.Mensagens();
        QCOMPARE(recebidas.size(), std::size_t(1));
        QCOMPARE(recebidas[0].de, std::string("rel@emp.pt"));
        QCOMPARE(recebidas[0].para, std::vector<std::string>{"teste@emp.pt"});
        const apoio::CorreioLido lido = apoio::LerCorreio(recebidas[0].dados);
        QCOMPARE(lido.Cabecalho("Subject"), std::string("Quorvelanti: mensagem de teste"));
        QVERIFY(lido.anexos.empty());
        QVERIFY(lido.defeitos.empty());
        QCOMPARE(apoio::LerBytes(a.ficheiro), antes);
        QVERIFY(janela::Filho<QPushButton>(&a.dialogo, "btEnviarTeste")->isEnabled());
    }

    void testeMostraARespostaDoServidor()
    {
        apoio::OpcoesSmtp opcoes;
        opcoes.recusar = {"nao@emp.pt"};
        apoio::ServidorSmtp smtp(opcoes);
        Aberto a(relogio_, "emailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni() + "Timeout=10\r\n");
        const QString resposta = a.EnviarTeste("nao@emp.pt");
        QVERIFY2(resposta.startsWith("Erro "), qPrintable(resposta));
        QVERIFY2(resposta.contains("550"), qPrintable(resposta));
        QVERIFY(smtp.Mensagens().empty());
    }

    // With oauth2 the OAuth keys are the ones to fill; a reference shows as written; the test
    // message signs in with a token from the endpoint.
    void oauth2MostraReferenciasEEnviaOTeste()
    {
        apoio::OpcoesSmtp opcoes;
        opcoes.oauth.activo = true;
        opcoes.oauth.segredo = "s3gredo";
        apoio::ServidorSmtp smtp(opcoes);
        Aberto a(relogio_, "emailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni() +
                               "Password=@credencial:smtp\r\nOAuthSegredo=oculto\r\n");
        QCOMPARE(janela::Filho<QComboBox>(&a.dialogo, "Autenticacao")->currentText(), QString("oauth2"));
        QVERIFY(!Campo(a.dialogo, "Password")->isEnabled());
        QVERIFY(Campo(a.dialogo, "OAuthSegredo")->isEnabled());
        QCOMPARE(Campo(a.dialogo, "Password")->echoMode(), QLineEdit::Normal);
        QCOMPARE(Campo(a.dialogo, "Password")->text(), QString("@credencial:smtp"));
        QCOMPARE(Campo(a.dialogo, "OAuthSegredo")->echoMode(), QLineEdit::Password);

        Campo(a.dialogo, "OAuthSegredo")->setText("s3gredo");
        QCOMPARE(a.EnviarTeste("teste@emp.pt"), QString("Mensagem de teste enviada para teste@emp.pt."));
        QCOMPARE(smtp.Mensagens().size(), std::size_t(1));
        QCOMPARE(smtp.Mensagens()[0].login, std::string("rel@emp.pt"));
        janela::Filho<QComboBox>(&a.dialogo, "Autenticacao")->setCurrentText("palavra-passe");
        QVERIFY(Campo(a.dialogo, "Password")->isEnabled());
        QVERIFY(!Campo(a.dialogo, "OAuthCliente")->isEnabled());
    }

    void testeSemEnderecoNaoLiga()
    {
        apoio::ServidorSmtp smtp;
        Aberto a(relogio_, "emailEmissor=rel@emp.pt\r\n" + smtp.ChavesIni());
        QCOMPARE(a.EnviarTeste("   "), QString("Indique o endereço para onde enviar a mensagem de teste."));
        QCOMPARE(smtp.Ligacoes(), 0);
    }

    void testeComPastaDeSaidaEscreveNaPasta()
    {
        Aberto a(relogio_, "emailEmissor=rel@emp.pt\r\nServidor=127.0.0.1\r\nPorta=1\r\n");
        const std::string saida = a.pasta / "saida";
        std::filesystem::create_directory(saida);
        Campo(a.dialogo, "PastaSaida")->setText(QString::fromStdString(saida));
        const QString resposta = a.EnviarTeste("teste@emp.pt");
        QVERIFY2(resposta.startsWith("Mensagem de teste escrita na pasta de saída " + QString::fromStdString(saida)),
                 qPrintable(resposta));
        QCOMPARE(apoio::Ficheiros(saida).size(), std::size_t(1));
    }
};

QTEST_MAIN(ConfiguradorCorreioTeste)
#include "ConfiguradorCorreioTeste.moc"
