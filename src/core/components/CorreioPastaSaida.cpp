#include "CorreioPastaSaida.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/Erro.h"

namespace quorvelanti {

namespace {

Erro falha(const std::string& caminho)
{
    return Erro(erros::FicheiroNaoGravado, "Não foi possível gravar a mensagem em " + caminho, std::strerror(errno));
}

// The mode open() gives a new file: 0666 less the umask. The umask is read by setting it, so it
// is set back at once, and meanwhile to the strictest value.
mode_t modoDeFicheiroNovo()
{
    const mode_t mascara = umask(077);
    umask(mascara);
    return 0666 & ~mascara;
}

// The temporary file: removed unless it was given its final name. Named and locked as
// FicheiroTemporario's, so a later run removes it only when its writer died.
class Temporario {
public:
    explicit Temporario(const std::string& pasta) : caminho_(pasta + "/.quorvelanti.eml.tmp-XXXXXX")
    {
        fd_ = mkstemp(caminho_.data());
        if (fd_ < 0) throw falha(pasta);
        flock(fd_, LOCK_EX | LOCK_NB);
    }
    ~Temporario()
    {
        if (fd_ >= 0) close(fd_);
        unlink(caminho_.c_str());
    }
    Temporario(const Temporario&) = delete;
    Temporario& operator=(const Temporario&) = delete;

    void Escrever(const std::string& bytes)
    {
        for (std::size_t feito = 0; feito < bytes.size();) {
            ssize_t n = write(fd_, bytes.data() + feito, bytes.size() - feito);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw falha(caminho_);
            feito += static_cast<std::size_t>(n);
        }
        // Created like any file the run writes (each carries a workbook); on disk before it
        // gets its final name.
        if (fchmod(fd_, modoDeFicheiroNovo()) != 0 || fsync(fd_) != 0) throw falha(caminho_);
        // Kept open, and so locked, until the message has its final name.
    }
    const std::string& Caminho() const { return caminho_; }

private:
    std::string caminho_;
    int fd_ = -1;
};

bool existe(const std::string& caminho)
{
    struct stat atributos {};
    return lstat(caminho.c_str(), &atributos) == 0;
}

// The first n after the run of names already taken in this second, found in log(n) looks:
// trying n = 1, 2, 3... for each message costs the square of the messages of one second.
int primeiroLivre(const std::string& base)
{
    auto nome = [&](int n) { return base + std::to_string(n) + ".eml"; };
    int ocupado = 0, livre = 1;
    while (existe(nome(livre))) {
        ocupado = livre;
        livre *= 2;
    }
    while (livre - ocupado > 1) {
        int meio = ocupado + (livre - ocupado) / 2;
        (existe(nome(meio)) ? ocupado : livre) = meio;
    }
    return livre;
}

}  // namespace

std::string CorreioPastaSaida::Gravar(const std::string& mensagem, const DataHora& agora) const
{
    Temporario temporario(pasta_);
    temporario.Escrever(mensagem);
    // link() fails rather than replace, so two messages of the same second never meet.
    std::string base = pasta_ + "/" + agora.Formatar("yyyymmddhhmmss") + "-";
    for (int n = primeiroLivre(base);; ++n) {
        std::string final = base + std::to_string(n) + ".eml";
        if (link(temporario.Caminho().c_str(), final.c_str()) == 0) return final;
        if (errno != EEXIST) throw falha(final);
    }
}

}  // namespace quorvelanti
