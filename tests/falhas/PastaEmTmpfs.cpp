#include "PastaEmTmpfs.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace falhas {

PastaEmTmpfs::PastaEmTmpfs(const std::string& pasta, const std::string& tamanho) : pasta_(pasta)
{
    const std::string opcoes = "size=" + tamanho + ",mode=0755";
    if (mount("tmpfs", pasta.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, opcoes.c_str()) != 0)
        motivo_ = "não foi possível montar um tmpfs em " + pasta + ": " + std::strerror(errno);
}

// Detached, so a file some process still holds open does not keep the folder from going.
PastaEmTmpfs::~PastaEmTmpfs()
{
    if (Activa()) umount2(pasta_.c_str(), MNT_DETACH);
}

}  // namespace falhas
