#include "Descritor.h"

#include "sistema/Sistema.h"

namespace quorvelanti {

Descritor::~Descritor() { sistema::Fechar(fd_); }

Descritor& Descritor::operator=(Descritor&& outro) noexcept
{
    if (this != &outro) {
        Fechar();
        fd_ = outro.fd_;
        outro.fd_ = -1;
    }
    return *this;
}

int Descritor::EscreverTudo(const std::string& bytes) const noexcept { return sistema::EscreverTudo(fd_, bytes); }

int Descritor::Fechar() noexcept
{
    const int fd = fd_;
    fd_ = -1;
    return sistema::Fechar(fd);
}

}  // namespace quorvelanti
