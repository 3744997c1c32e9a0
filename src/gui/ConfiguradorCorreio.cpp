#include "ConfiguradorCorreio.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QVBoxLayout>

#include "ValoresGravaveis.h"
#include "components/files/LeitorIni.h"
#include "components/files/ReferenciaSegredo.h"
#include "components/mail/ServicoCorreio.h"
#include "data/Erro.h"
#include "data/Texto.h"
#include "settings/LeituraCorreio.h"

namespace quorvelanti::gui {

namespace {

const char* const SECCAO = "SMTP";

enum class Tipo { Texto, Numero, Segredo, Seguranca, Autenticacao };

struct Chave {
    const char* nome;
    const char* rotulo;
    Tipo tipo;
};

// The keys the mail service reads, in the order a person fills them in.
const Chave CHAVES[] = {
    {"emailEmissor", "Endereço do emissor", Tipo::Texto},
    {"Servidor", "Servidor", Tipo::Texto},
    {"Porta", "Porta", Tipo::Numero},
    {"Seguranca", "Segurança", Tipo::Seguranca},
    {"Autenticacao", "Início de sessão", Tipo::Autenticacao},
    {"Utilizador", "Utilizador (caixa que envia)", Tipo::Texto},
    {"Password", "Palavra-passe", Tipo::Segredo},
    {"OAuthInquilino", "OAuth: inquilino (Microsoft)", Tipo::Texto},
    {"OAuthUrlToken", "OAuth: endereço do token", Tipo::Texto},
    {"OAuthCliente", "OAuth: identificador da aplicação", Tipo::Texto},
    {"OAuthAmbito", "OAuth: âmbito", Tipo::Texto},
    {"OAuthSegredo", "OAuth: segredo", Tipo::Segredo},
    {"OAuthCertificado", "OAuth: certificado (PEM)", Tipo::Texto},
    {"OAuthChavePrivada", "OAuth: chave privada (PEM)", Tipo::Texto},
    {"OAuthContaServico", "OAuth: conta de serviço (JSON)", Tipo::Texto},
    {"Timeout", "Tempo limite (segundos)", Tipo::Numero},
    {"PastaSaida", "Pasta de saída", Tipo::Texto},
    {"Tentativas", "Tentativas", Tipo::Numero},
    {"CertificadoCA", "Certificado CA", Tipo::Texto},
};

QString RotuloDe(const std::string& nome)
{
    for (const Chave& chave : CHAVES)
        if (nome == chave.nome) return QString::fromUtf8(chave.rotulo);
    return QString::fromStdString(nome);
}

bool EOAuth(const Chave& chave) { return std::string(chave.nome).rfind("OAuth", 0) == 0; }

QWidget* CriarCampo(const Chave& chave, QWidget* pai)
{
    if (chave.tipo == Tipo::Seguranca || chave.tipo == Tipo::Autenticacao) {
        auto* escolha = new QComboBox(pai);
        if (chave.tipo == Tipo::Seguranca) escolha->addItems({"nenhuma", "starttls", "ssl"});
        if (chave.tipo == Tipo::Autenticacao) escolha->addItems({"palavra-passe", "oauth2"});
        return escolha;
    }
    auto* linha = new QLineEdit(pai);
    // A reference (@credencial:, @ficheiro:) names where the secret is kept: it shows as written.
    if (chave.tipo == Tipo::Segredo) {
        linha->setEchoMode(QLineEdit::Password);
        QObject::connect(linha, &QLineEdit::textChanged, linha, [linha](const QString& texto) {
            const bool referencia = ReferenciaSegredo::EReferencia(texto.toStdString());
            linha->setEchoMode(referencia ? QLineEdit::Normal : QLineEdit::Password);
        });
    }
    if (chave.tipo == Tipo::Numero)
        linha->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,6}"), linha));
    return linha;
}

std::string ValorDe(const QWidget* campo)
{
    if (auto* escolha = qobject_cast<const QComboBox*>(campo)) return escolha->currentText().toStdString();
    return static_cast<const QLineEdit*>(campo)->text().toStdString();
}

void Apresentar(QWidget* campo, const std::string& valor)
{
    const QString texto = QString::fromStdString(valor);
    if (auto* escolha = qobject_cast<QComboBox*>(campo)) {
        // An unknown value is shown as it is, so saving does not silently replace it.
        if (!texto.isEmpty() && escolha->findText(texto) < 0) escolha->addItem(texto);
        escolha->setCurrentIndex(texto.isEmpty() ? 0 : escolha->findText(texto));
        return;
    }
    static_cast<QLineEdit*>(campo)->setText(texto);
}

}  // namespace

ConfiguradorCorreio::ConfiguradorCorreio(const Relogio& relogio, QWidget* parent)
    : QDialog(parent),
      relogio_(relogio),
      enderecoTeste_(new QLineEdit(this)),
      btEnviarTeste_(new QPushButton("Enviar teste", this)),
      resposta_(new QLabel(this))
{
    setObjectName("ConfiguradorCorreio");
    setWindowTitle("Configuração do servidor de e-mail");

    auto* definicoes = new QGroupBox("Servidor de e-mail (SMTP)", this);
    auto* formulario = new QFormLayout(definicoes);
    for (const Chave& chave : CHAVES) {
        QWidget* campo = CriarCampo(chave, definicoes);
        campo->setObjectName(chave.nome);
        formulario->addRow(QString::fromUtf8(chave.rotulo), campo);
        campos_.emplace_back(chave.nome, campo);
    }

    auto* teste = new QGroupBox("Mensagem de teste", this);
    auto* disposicaoTeste = new QFormLayout(teste);
    enderecoTeste_->setObjectName("EnderecoTeste");
    btEnviarTeste_->setObjectName("btEnviarTeste");
    btEnviarTeste_->setAutoDefault(false);
    resposta_->setObjectName("Resposta");
    resposta_->setWordWrap(true);
    resposta_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* linhaTeste = new QHBoxLayout;
    linhaTeste->addWidget(enderecoTeste_, 1);
    linhaTeste->addWidget(btEnviarTeste_);
    disposicaoTeste->addRow("Enviar para", linhaTeste);
    disposicaoTeste->addRow(resposta_);

    auto* btGravar = new QPushButton("&Gravar", this);
    btGravar->setObjectName("btGravar");
    btGravar->setDefault(true);
    auto* btCancelar = new QPushButton("&Cancelar", this);
    btCancelar->setObjectName("btCancelar");
    btCancelar->setAutoDefault(false);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(btGravar);
    botoes->addWidget(btCancelar);

    auto* disposicao = new QVBoxLayout(this);
    disposicao->addWidget(definicoes);
    disposicao->addWidget(teste);
    disposicao->addLayout(botoes);
    setMinimumWidth(460);

    connect(qobject_cast<QComboBox*>(campo("Autenticacao")), &QComboBox::currentTextChanged, this,
            &ConfiguradorCorreio::activarAutenticacao);
    activarAutenticacao();

    connect(btGravar, &QPushButton::clicked, this, [this] {
        if (Gravar()) accept();
    });
    connect(btCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(btEnviarTeste_, &QPushButton::clicked, this, [this] { EnviarTeste(); });
}

void ConfiguradorCorreio::DefinirFicheiro(const std::string& caminho) { ficheiro_ = caminho; }

void ConfiguradorCorreio::Carregar()
{
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiro_);
    for (auto& [chave, campo] : campos_) Apresentar(campo, ini.LerValor(SECCAO, chave));
    carregados_.clear();
    for (auto& [chave, valor] : ValoresNoEcra()) carregados_[chave] = valor;
    resposta_->clear();
}

bool ConfiguradorCorreio::Mostrar()
{
    Carregar();
    return exec() == QDialog::Accepted;
}

bool ConfiguradorCorreio::Gravar()
{
    std::vector<LeitorIni::Alteracao> alteracoes;
    std::vector<std::pair<QString, std::string>> campos;
    for (auto& [chave, valor] : ValoresNoEcra()) {
        if (carregados_[chave] == valor) continue;
        alteracoes.push_back({SECCAO, chave, valor});
        campos.emplace_back(RotuloDe(chave), valor);
    }
    if (alteracoes.empty()) return true;
    if (!ValoresGravaveis(this, ficheiro_, campos)) return false;
    LeitorIni ini;
    ini.DefinirFicheiro(ficheiro_);
    try {
        ini.EscreverValores(alteracoes);  // all the changed keys in one save, or none
    } catch (const Erro& erro) {
        QMessageBox::warning(
            this, windowTitle(),
            QString("Não foi possível gravar o ficheiro de parâmetros %1: %2")
                .arg(QString::fromStdString(ficheiro_), QString::fromStdString(erro.DescricaoCompleta())));
        return false;
    }
    for (const auto& a : alteracoes) carregados_[a.chave] = a.valor;
    return true;
}

QString ConfiguradorCorreio::EnviarTeste()
{
    const std::string destino = texto::Aparar(enderecoTeste_->text().toStdString());
    if (destino.empty()) return Responder("Indique o endereço para onde enviar a mensagem de teste.");

    QApplication::setOverrideCursor(Qt::WaitCursor);
    btEnviarTeste_->setEnabled(false);
    const auto repor = qScopeGuard([this] {
        btEnviarTeste_->setEnabled(true);
        QApplication::restoreOverrideCursor();
    });
    try {
        // The settings on screen, unsaved, before the file's: any key of the section that this
        // dialog does not show still reaches the service.
        const Valores valores = ValoresNoEcra();
        std::string emissor, pastaSaida;
        for (const auto& [chave, valor] : valores) {
            if (chave == "emailEmissor") emissor = valor;
            if (chave == "PastaSaida") pastaSaida = valor;
        }
        ServicoCorreio correio(relogio_);
        correio.Configurar(LerDefinicoesCorreio(ficheiro_, nullptr, valores));
        correio.Enviar({.origem = emissor,
                        .destinos = destino,
                        .assunto = "Quorvelanti: mensagem de teste",
                        .mensagem = "Mensagem de teste enviada da configuração do servidor de e-mail."});
        if (!texto::Aparar(pastaSaida).empty())
            return Responder(QString("Mensagem de teste escrita na pasta de saída %1 (com PastaSaida nada é enviado).")
                                 .arg(QString::fromStdString(pastaSaida)));
        return Responder(QString("Mensagem de teste enviada para %1.").arg(QString::fromStdString(destino)));
    } catch (const Erro& erro) {
        return Responder(
            QString("Erro %1: %2").arg(erro.Numero()).arg(QString::fromStdString(erro.DescricaoCompleta())));
    }
}

// The sign-in choice enables its own fields: the password, or the OAuth keys.
void ConfiguradorCorreio::activarAutenticacao()
{
    const bool oauth = ValorDe(campo("Autenticacao")) == "oauth2";
    for (const Chave& chave : CHAVES)
        if (EOAuth(chave) || std::string(chave.nome) == "Password")
            campo(chave.nome)->setEnabled(EOAuth(chave) == oauth);
}

QWidget* ConfiguradorCorreio::campo(const std::string& chave) const
{
    for (const auto& [nome, c] : campos_)
        if (nome == chave) return c;
    return nullptr;
}

ConfiguradorCorreio::Valores ConfiguradorCorreio::ValoresNoEcra() const
{
    Valores valores;
    for (auto& [chave, campo] : campos_) valores.emplace_back(chave, ValorDe(campo));
    return valores;
}

QString ConfiguradorCorreio::Responder(const QString& texto)
{
    resposta_->setText(texto);
    return texto;
}

}  // namespace quorvelanti::gui
