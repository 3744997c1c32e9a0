#include "ApoioJanela.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <filesystem>

#include "EmpresaTeste.h"
#include "data/Texto.h"

namespace janela {

Cenario::Cenario(const std::vector<std::string>& empresas) : empresas_(empresas), ficheiro_(pasta_ / "Quorvelanti.qel")
{
    std::filesystem::create_directory(Caminho("log"));
    std::filesystem::create_directory(Caminho("saida"));
    int numero = 0;
    for (const auto& empresa : empresas_) {
        apoio::EmpresaTeste bd(Caminho(empresa + ".db"));
        bd.Executar("INSERT INTO EMPRESA VALUES ('Empresa " + empresa + "', '50000000" + std::to_string(++numero) + "')");
    }
    apoio::EscreverBytes(ficheiro_, Bytes("Mapas do dia", Caminho("log")));
    // As an installed parameter file with passwords should be, so the run adds no warning line.
    std::filesystem::permissions(ficheiro_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

std::string Cenario::Bytes(const std::string& assunto, const std::string& directoria) const
{
    std::string texto = "; Parâmetros dos testes das janelas\r\n[EMPRESAS]\r\n";
    for (const auto& empresa : empresas_) texto += empresa + "\r\n";
    texto += "[FIM]\r\n\r\n";
    for (const auto& empresa : empresas_)
        texto += "[" + empresa + "]\r\nMotor=SQLite\r\nEmpresa=" + empresa +
                 ".db\r\nAssunto=não é este\r\nDirectoria=nem este\r\n\r\n";
    texto += "[email]\r\nAssunto=" + assunto +
             "\r\n; o assunto leva a data\r\n"
             "[SMTP]\r\nemailEmissor=rel@emp.pt\r\nServidor=127.0.0.1\r\nPorta=1\r\nPastaSaida=" +
             Caminho("saida") + "\r\n[Log]\r\nDirectoria=" + directoria + "\r\n";
    return quorvelanti::texto::ParaWindows1252(texto);
}

quorvelanti::DefinicoesArranque Cenario::Definicoes(const std::string& linhaComando) const
{
    // The base folder has no "dorvam" inside, so every mode takes its file from this folder.
    return {linhaComando, pasta_.Caminho(), pasta_.Caminho()};
}

RespostaModal::RespostaModal(std::function<void(QWidget*)> accao) : accao_(std::move(accao))
{
    connect(&temporizador_, &QTimer::timeout, this, &RespostaModal::Verificar);
    temporizador_.start(20);
}

void RespostaModal::Verificar()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    temporizador_.stop();
    respondida_ = true;
    if (auto* caixa = qobject_cast<QMessageBox*>(modal)) texto_ = caixa->text();
    if (accao_)
        accao_(modal);
    else if (auto* dialogo = qobject_cast<QDialog*>(modal))
        dialogo->reject();
}

}  // namespace janela
