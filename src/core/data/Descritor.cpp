#include "Descritor.h"

#include <cerrno>

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

int Descritor::LerTudo(std::string& bytes) const
{
    char bloco[1 << 16];
    for (long long posicao = 0;;) {
        const long long lidos = sistema::LerEm(fd_, bloco, sizeof bloco, posicao);
        if (lidos < 0 && errno == EINTR) continue;
        if (lidos < 0) return errno;
        if (lidos == 0) return 0;
        bytes.append(bloco, static_cast<std::size_t>(lidos));
        posicao += lidos;
    }
}

int Descritor::Fechar() noexcept
{
    const int fd = fd_;
    fd_ = -1;
    return sistema::Fechar(fd);
}

}  // namespace quorvelanti
