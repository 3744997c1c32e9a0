#include "PastaImutavel.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace falhas {

namespace {
bool mudarImutavel(int descritor, bool ligar)
{
    int atributos = 0;
    if (ioctl(descritor, FS_IOC_GETFLAGS, &atributos) != 0) return false;
    atributos = ligar ? (atributos | FS_IMMUTABLE_FL) : (atributos & ~FS_IMMUTABLE_FL);
    return ioctl(descritor, FS_IOC_SETFLAGS, &atributos) == 0;
}
}  // namespace

PastaImutavel::PastaImutavel(const std::string& pasta)
{
    const int descritor = open(pasta.c_str(), O_RDONLY | O_CLOEXEC);
    if (descritor >= 0 && mudarImutavel(descritor, true)) {
        descritor_ = descritor;
        return;
    }
    motivo_ = "não foi possível tornar " + pasta + " imutável: " + std::strerror(errno);
    if (descritor >= 0) close(descritor);
}

// The attribute must go, or the temporary folder could never be removed.
PastaImutavel::~PastaImutavel()
{
    if (descritor_ < 0) return;
    mudarImutavel(descritor_, false);
    close(descritor_);
}

}  // namespace falhas
