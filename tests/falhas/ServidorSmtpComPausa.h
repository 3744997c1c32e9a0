#pragma once
// A bare SMTP server on 127.0.0.1, in a thread of the test, that holds its answer to the end of
// the first message until a given action has run. The client under test is then stopped at a
// known point (its first mail, after the workbook was written and before the next step), which
// makes "while the run goes on" deterministic.
//
//   falhas::ServidorSmtpComPausa smtp([&] { std::filesystem::remove(segundaEmpresa); });
//   ini << "[SMTP]\n" << smtp.ChavesIni();
//   ... run the program ...
//   smtp.Mensagens();   // every message taken, whole DATA text
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace falhas {

class ServidorSmtpComPausa {
public:
    explicit ServidorSmtpComPausa(std::function<void()> naPrimeiraMensagem);
    ~ServidorSmtpComPausa();
    ServidorSmtpComPausa(const ServidorSmtpComPausa&) = delete;
    ServidorSmtpComPausa& operator=(const ServidorSmtpComPausa&) = delete;

    std::string ChavesIni() const;
    std::vector<std::string> Mensagens() const;

private:
    void servir();
    void conversar(int ligacao);
    std::string receberDados(int ligacao, std::string& pendente);

    std::function<void()> accao_;
    int escuta_ = -1;
    int porta_ = 0;
    std::atomic<bool> parar_{false};
    mutable std::mutex guarda_;
    std::vector<std::string> mensagens_;
    std::thread fio_;
};

}  // namespace falhas
