#include "Descritor.h"

#include <unistd.h>

#include <cerrno>

namespace quorvelanti {

Descritor::~Descritor()
{
    if (fd_ >= 0) close(fd_);
}

Descritor& Descritor::operator=(Descritor&& outro) noexcept
{
    if (this != &outro) {
        Fechar();
        fd_ = outro.fd_;
        outro.fd_ = -1;
    }
    return *this;
}

int Descritor::EscreverTudo(const std::string& bytes) const noexcept
{
    for (std::size_t feito = 0; feito < bytes.size();) {
        const ssize_t n = write(fd_, bytes.data() + feito, bytes.size() - feito);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        feito += static_cast<std::size_t>(n);
    }
    return 0;
}

int Descritor::Fechar() noexcept
{
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || close(fd) == 0 ? 0 : errno;
}

}  // namespace quorvelanti
