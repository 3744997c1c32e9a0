#pragma once
// A SQL Server on 127.0.0.1 as small as each test needs, for the real FreeTDS driver to talk to:
//   Mudo      accepts connections and never answers;
//   Prelogin  answers the pre-login with "encryption not supported", then nothing;
//   Login     also accepts the login (LOGINACK) and acknowledges a cancel, but never answers a
//             batch: a statement blocked on the server;
//   Resposta  answers every statement of a batch (one per line of its text) with one row of two
//             texts: "Designação" (nvarchar) holding "SERVIÇOS €" and "Grupo" (varchar,
//             Windows-1252) holding "Acção"; a statement that names FALHA gets error 208 instead;
//   Recusa    refuses every login as a wrong password is refused (error 18456).
// It serves any number of clients and keeps every byte they send.
//
//   apoio::ServidorTds servidor(apoio::ServidorTds::Modo::Login);
//   ligacao.AbrirLigacao("Driver={FreeTDS};Server=127.0.0.1;Port=" + std::to_string(servidor.Porta()) + ...);
//   apoio::TextoLogin(servidor.Pacote(0x10), apoio::CampoLogin::Password);   // u"..." as the client wrote it
//   apoio::TextoLote(servidor.Pacote(0x01));                                  // the statement, in UTF-16
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace apoio {

class ServidorTds {
public:
    enum class Modo { Mudo, Prelogin, Login, Resposta, Recusa };
    explicit ServidorTds(Modo modo);
    ~ServidorTds();
    ServidorTds(const ServidorTds&) = delete;
    ServidorTds& operator=(const ServidorTds&) = delete;

    int Porta() const { return porta_; }
    // The payload of the first packet of the given TDS type (0x12 pre-login, 0x10 login,
    // 0x01 batch) that any client sent; "" when none came.
    std::string Pacote(unsigned char tipo) const;
    // The text of every whole batch any client sent, in the order they came (Resposta only).
    std::vector<std::u16string> Lotes() const;

private:
    void servir();
    Modo modo_;
    int escuta_ = -1;
    int porta_ = 0;
    std::atomic<bool> parar_{false};
    mutable std::mutex mutex_;
    std::string pacotes_;  // every whole packet received, one after another
    std::vector<std::u16string> lotes_;
    std::thread fio_;
};

// The ENCRYPTION option of a pre-login payload: 0 off, 1 on, 2 not supported, 3 required; -1 none.
int OpcaoEncriptacao(const std::string& prelogin);

// A text of a LOGIN7 payload as sent, in UTF-16 (the password unscrambled).
enum class CampoLogin { Utilizador, Password, BaseDados };
std::u16string TextoLogin(const std::string& login, CampoLogin campo);

// The statement of a SQL batch payload as sent, in UTF-16 (its headers left out).
std::u16string TextoLote(const std::string& lote);

}  // namespace apoio
