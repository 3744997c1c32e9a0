#include "ServidorSmtp.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "data/Texto.h"

extern char** environ;

namespace apoio {

namespace {

std::string script() { return Fonte("tests/apoio/servidor_smtp.py"); }

std::vector<std::string> linhas(const std::string& texto)
{
    std::vector<std::string> resultado;
    std::istringstream entrada(texto);
    for (std::string linha; std::getline(entrada, linha);) resultado.push_back(linha);
    return resultado;
}

std::vector<std::string> argumentosOAuth(const OpcoesOAuth& o)
{
    if (!o.activo) return {};
    return {"--oauth", "--oauth-cliente", o.cliente, "--oauth-segredo", o.segredo, "--oauth-certificado",
            o.certificado, "--oauth-conta", o.contaServico, "--validade-token", std::to_string(o.validadeToken),
            "--recusar-tokens", std::to_string(o.recusarTokens)};
}

std::string comoJson(const std::string& texto)
{
    std::string j = "\"";
    for (char c : texto) j += c == '\n' ? std::string("\\n") : c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return j + "\"";
}

std::vector<std::string> argumentos(const OpcoesSmtp& o, const PastaTemporaria& pasta)
{
    std::vector<std::string> a = {Python(), script(), "servir", "--pasta", pasta.Caminho()};
    for (const auto& r : o.recusar) a.insert(a.end(), {"--recusar", r});
    if (!o.respostaDados.empty())
        a.insert(a.end(), {"--resposta-dados", o.respostaDados, "--vezes", std::to_string(o.vezes), "--depois-de",
                           std::to_string(o.depoisDe)});
    if (o.fecharLigacaoApos > 0) a.insert(a.end(), {"--fechar-ligacao-apos", std::to_string(o.fecharLigacaoApos)});
    if (o.fecharNosDados) a.push_back("--fechar-nos-dados");
    if (!o.utilizador.empty()) a.insert(a.end(), {"--utilizador", o.utilizador, "--password", o.password});
    if (o.semAuth) a.push_back("--sem-auth");
    if (o.mudo) a.push_back("--mudo");
    if (o.limite > 0) a.insert(a.end(), {"--limite", std::to_string(o.limite), "--janela", std::to_string(o.janela)});
    if (!o.respostaLimite.empty()) a.insert(a.end(), {"--resposta-limite", o.respostaLimite});
    if (o.maxDestinatarios > 0) a.insert(a.end(), {"--max-destinatarios", std::to_string(o.maxDestinatarios)});
    if (o.aposGuardar != OpcoesSmtp::AposGuardar::Responder)
        a.insert(a.end(), {"--apos-guardar", o.aposGuardar == OpcoesSmtp::AposGuardar::Calar ? "calar" : "fechar",
                           "--apos-guardar-vezes", std::to_string(o.aposGuardarVezes)});
    if (o.ecoAuth) a.push_back("--eco-auth");
    const auto oauth = argumentosOAuth(o.oauth);
    a.insert(a.end(), oauth.begin(), oauth.end());
    if (o.tls != OpcoesSmtp::Tls::Nenhum) {
        a.insert(a.end(), {"--tls", o.tls == OpcoesSmtp::Tls::Ssl ? "ssl" : "starttls", "--certificado",
                           pasta / "certificado.pem", "--chave", pasta / "chave.pem"});
    }
    return a;
}

int lancar(const std::vector<std::string>& argumentos, const std::string& registo)
{
    std::vector<std::string> args = argumentos;
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t accoes;
    posix_spawn_file_actions_init(&accoes);
    posix_spawn_file_actions_addopen(&accoes, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&accoes, 1, registo.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&accoes, 1, 2);
    pid_t pid;
    int r = posix_spawn(&pid, argv[0], &accoes, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&accoes);
    if (r != 0) throw std::runtime_error("não lança " + argumentos[0]);
    return pid;
}

std::string lerSeExiste(const std::string& caminho) { return Existe(caminho) ? LerBytes(caminho) : ""; }

}  // namespace

std::string CertificadoAutoAssinado(const PastaTemporaria& pasta)
{
    // An EC key is quick to make; the IP address in subjectAltName is what the client checks.
    Resultado r = Executar({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                            "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                            "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout",
                            pasta / "chave.pem", "-out", pasta / "certificado.pem"},
                           {}, 30);
    if (r.estado != 0) throw std::runtime_error("openssl falhou: " + r.erros);
    return pasta / "certificado.pem";
}

std::string ContaServicoJson(const std::string& conta, const std::string& urlToken, const std::string& chavePrivadaPem)
{
    return "{\"type\": \"service_account\", \"private_key_id\": \"k1\", \"client_email\": " + comoJson(conta) +
           ", \"private_key\": " + comoJson(chavePrivadaPem) + ", \"token_uri\": " + comoJson(urlToken) + "}\n";
}

int LancarServidor(const std::vector<std::string>& argumentos, const PastaTemporaria& pasta, const std::string& nome)
{
    int pid = lancar(argumentos, pasta / "servidor.log");
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Existe(pasta / "porta")) {
        int estado;
        bool terminou = waitpid(pid, &estado, WNOHANG) == pid;
        if (terminou || std::chrono::steady_clock::now() > limite) {
            if (!terminou) {
                kill(pid, SIGKILL);
                waitpid(pid, &estado, 0);
            }
            throw std::runtime_error(nome + " de teste não arrancou: " + lerSeExiste(pasta / "servidor.log"));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return pid;
}

void PararServidor(int pid)
{
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int estado;
    waitpid(pid, &estado, 0);
}

std::vector<std::string> LinhasRegisto(const PastaTemporaria& pasta) { return linhas(lerSeExiste(pasta / "registo.txt")); }

std::vector<MensagemRecebida> MensagensNaPasta(const PastaTemporaria& pasta)
{
    std::vector<MensagemRecebida> mensagens;
    for (const auto& nome : Ficheiros(pasta.Caminho())) {
        if (nome.size() != 8 || nome.substr(4) != ".env") continue;
        MensagemRecebida m;
        for (const auto& linha : linhas(LerBytes(pasta / nome))) {
            auto espaco = linha.find(' ');
            std::string chave = linha.substr(0, espaco);
            std::string valor = espaco == std::string::npos ? "" : linha.substr(espaco + 1);
            if (chave == "de") m.de = valor;
            if (chave == "para") m.para.push_back(valor);
            if (chave == "ehlo") m.ehlo = valor;
            if (chave == "login") m.login = valor;
            if (chave == "tls") m.tls = valor == "sim";
            if (chave == "ligacao") m.ligacao = std::stoi(valor);
            if (chave == "hora") m.hora = std::stod(valor);
            m.factos.push_back(linha);
        }
        m.dados = LerBytes(pasta / (nome.substr(0, 4) + ".eml"));
        mensagens.push_back(std::move(m));
    }
    return mensagens;
}

ChaveCliente CriarChaveCliente(const PastaTemporaria& pasta)
{
    ChaveCliente c{pasta / "cliente.pem", pasta / "cliente.key"};
    Resultado r = Executar({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                            "-subj", "/CN=quorvelanti-teste", "-keyout", c.chavePrivada, "-out", c.certificado},
                           {}, 60);
    if (r.estado != 0) throw std::runtime_error("openssl falhou: " + r.erros);
    return c;
}

ServidorSmtp::ServidorSmtp(OpcoesSmtp opcoes) : opcoes_(std::move(opcoes))
{
    if (opcoes_.oauth.activo) opcoes_.tls = OpcoesSmtp::Tls::StartTls;
    if (opcoes_.tls != OpcoesSmtp::Tls::Nenhum) certificado_ = CertificadoAutoAssinado(pasta_);
    pid_ = LancarServidor(argumentos(opcoes_, pasta_), pasta_, "servidor SMTP");
    porta_ = std::stoi(LerBytes(pasta_ / "porta"));
    if (opcoes_.oauth.activo) urlToken_ = LerBytes(pasta_ / "url-token");
}

ServidorSmtp::~ServidorSmtp() { PararServidor(pid_); }

std::string ServidorSmtp::ChavesIni() const
{
    std::string chaves = "Servidor=127.0.0.1\nPorta=" + std::to_string(porta_) + "\n";
    if (opcoes_.tls != OpcoesSmtp::Tls::Nenhum) {
        chaves += std::string("Seguranca=") + (opcoes_.tls == OpcoesSmtp::Tls::Ssl ? "ssl" : "starttls") + "\n";
        chaves += "CertificadoCA=" + certificado_ + "\n";
    }
    if (!opcoes_.utilizador.empty())
        chaves += "Utilizador=" + opcoes_.utilizador + "\nPassword=" + opcoes_.password + "\n";
    if (opcoes_.oauth.activo)
        chaves += "Autenticacao=oauth2\nUtilizador=" + opcoes_.oauth.caixa + "\nOAuthUrlToken=" + urlToken_ +
                  "\nOAuthCliente=" + opcoes_.oauth.cliente + "\n";
    return chaves;
}

std::string ServidorSmtp::ContaServicoJson(const std::string& chavePrivadaPem) const
{
    return apoio::ContaServicoJson(opcoes_.oauth.contaServico, urlToken_, chavePrivadaPem);
}

std::vector<std::string> ServidorSmtp::Tokens() const
{
    std::vector<std::string> tokens;
    for (const auto& linha : LinhasRegisto(pasta_))
        if (linha.rfind("token ", 0) == 0) tokens.push_back(linha.substr(linha.rfind(' ') + 1));
    return tokens;
}

int ServidorSmtp::LoginsXoauth2(bool aceites) const
{
    return contarRegisto(aceites ? "auth xoauth2 ok" : "auth xoauth2 recusado");
}

void ServidorSmtp::ProximasRespostas(Pedido pedido, const std::vector<std::string>& respostas) const
{
    std::string linhas;
    for (const auto& r : respostas) linhas += r + "\n";
    EscreverBytes(pasta_ / (pedido == Pedido::Token ? "respostas-token" : "respostas-login"), linhas);
}

std::vector<std::string> ServidorSmtp::Ecos() const
{
    std::vector<std::string> ecos;
    for (const auto& linha : linhas(lerSeExiste(pasta_ / "registo.txt"))) {
        if (linha.rfind("eco ", 0) != 0) continue;
        std::string bytes;
        for (std::size_t n = 4; n + 1 < linha.size(); n += 2)
            bytes += static_cast<char>(std::stoi(linha.substr(n, 2), nullptr, 16));
        ecos.push_back(bytes);
    }
    return ecos;
}

std::vector<MensagemRecebida> ServidorSmtp::Mensagens() const { return MensagensNaPasta(pasta_); }

int ServidorSmtp::contarRegisto(const std::string& prefixo) const
{
    auto todas = LinhasRegisto(pasta_);
    return static_cast<int>(std::count_if(todas.begin(), todas.end(),
                                          [&](const std::string& l) { return l.rfind(prefixo, 0) == 0; }));
}

int ServidorSmtp::Ligacoes() const { return contarRegisto("ligacao"); }
int ServidorSmtp::Transaccoes() const { return contarRegisto("mail "); }
int ServidorSmtp::Quits() const { return contarRegisto("quit"); }

std::string CorreioLido::Cabecalho(const std::string& nome) const
{
    for (const auto& [n, v] : cabecalhos)
        if (quorvelanti::texto::IguaisSemCaixa(n, nome)) return v;
    return "";
}

int CorreioLido::Contar(const std::string& nome) const
{
    return static_cast<int>(std::count_if(cabecalhos.begin(), cabecalhos.end(), [&](const auto& c) {
        return quorvelanti::texto::IguaisSemCaixa(c.first, nome);
    }));
}

std::vector<std::string> CorreioLido::Enderecos(const std::string& nome) const
{
    std::vector<std::string> resultado;
    for (const auto& [n, e] : enderecos)
        if (quorvelanti::texto::IguaisSemCaixa(n, nome)) resultado.push_back(e);
    return resultado;
}

std::vector<CorreioLido> LerCorreios(const std::vector<std::string>& brutos)
{
    PastaTemporaria pasta;
    std::vector<std::string> comando = {Python(), script(), "ler", pasta.Caminho()};
    for (std::size_t n = 0; n < brutos.size(); ++n) {
        comando.push_back(pasta / ("mensagem-" + std::to_string(n) + ".eml"));
        EscreverBytes(comando.back(), brutos[n]);
    }
    Resultado r = Executar(comando, {}, 60);
    if (r.estado != 0) throw std::runtime_error("leitura das mensagens falhou: " + r.erros);
    std::vector<CorreioLido> lidos;
    for (std::size_t n = 0; n < brutos.size(); ++n) {
        std::string saida = pasta / std::to_string(n);
        CorreioLido lido;
        for (const auto& linha : linhas(LerBytes(saida + "/leitura.txt"))) {
            auto campos = quorvelanti::texto::Dividir(linha, '\t');
            const std::string& tipo = campos.at(0);
            if (tipo == "cabecalho") lido.cabecalhos.emplace_back(campos.at(1), campos.at(2));
            if (tipo == "endereco") lido.enderecos.emplace_back(campos.at(1), campos.at(2));
            if (tipo == "data") lido.data = campos.at(1);
            if (tipo == "defeito") lido.defeitos.push_back(campos.at(1));
            if (tipo == "anexo")
                lido.anexos.push_back({campos.at(2), campos.at(3), LerBytes(saida + "/anexo-" + campos.at(1))});
        }
        lido.corpo = LerBytes(saida + "/corpo");
        lidos.push_back(std::move(lido));
    }
    return lidos;
}

CorreioLido LerCorreio(const std::string& bruto) { return LerCorreios({bruto}).front(); }

}  // namespace apoio
