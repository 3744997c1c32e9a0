#pragma once
// Test support: temporary folders, files as bytes, running the program, the source tree.
#include <map>
#include <string>
#include <vector>

namespace apoio {

// A fresh folder under /tmp, removed with everything in it when the object goes.
class PastaTemporaria {
public:
    PastaTemporaria();
    ~PastaTemporaria();
    PastaTemporaria(const PastaTemporaria&) = delete;
    PastaTemporaria& operator=(const PastaTemporaria&) = delete;
    const std::string& Caminho() const { return caminho_; }
    // Path of a file or folder inside it.
    std::string operator/(const std::string& nome) const { return caminho_ + "/" + nome; }

private:
    std::string caminho_;
};

std::string LerBytes(const std::string& caminho);
void EscreverBytes(const std::string& caminho, const std::string& bytes);
bool Existe(const std::string& caminho);
// Names of the files in a folder, sorted.
std::vector<std::string> Ficheiros(const std::string& pasta);

// The messages of a run log of 07-12-2026 without their stamps, as written (Windows-1252).
// Fails the test when a line lacks its stamp or the file does not end in a whole CRLF line.
std::vector<std::string> MensagensRegisto(const std::string& ficheiro);

// Path inside the source tree (tools/erp/esquema.sql, ...).
std::string Fonte(const std::string& relativo);
// Debian's python3 (sees python3-openpyxl and python3-aiosmtpd).
std::string Python();
// The built quorvelanti program (or QUORVELANTI_BINARIO when set).
std::string Programa();

// The current environment with the given variables set, as NAME=value texts.
std::vector<std::string> AmbienteCom(const std::map<std::string, std::string>& ambiente);
// Pointers to the texts, ending in nullptr, as posix_spawn takes argv and envp.
std::vector<char*> Ponteiros(std::vector<std::string>& textos);

// A loopback port bound but never listening: connections to it are refused at once. The port
// stays bound for the object's life so nothing else takes it meanwhile.
class PortaFechada {
public:
    PortaFechada();
    ~PortaFechada();
    PortaFechada(const PortaFechada&) = delete;
    PortaFechada& operator=(const PortaFechada&) = delete;
    int Porta() const { return porta_; }

private:
    int descritor_;
    int porta_ = 0;
};

struct Resultado {
    int estado = -1;  // exit status; 128 + signal when killed
    std::string saida;
    std::string erros;
};
// Runs a program with arguments and extra environment variables; no shell involved.
Resultado Executar(const std::vector<std::string>& argumentos,
                   const std::map<std::string, std::string>& ambiente = {},
                   int limiteSegundos = 120);

}  // namespace apoio
