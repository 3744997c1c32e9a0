#pragma once
// The "SMTP" section of the parameter file read into the mail's typed settings, checked as it is
// read. The file is parsed once (LeitorIni::Cache) and parsed again only when it changed.
//
//   ServicoCorreio correio(relogio);
//   correio.Configurar(LerDefinicoesCorreio("/etc/dorvam/Quorvelanti.qel", &cache));
//   LerDefinicoesCorreio(ficheiro, nullptr, {{"Servidor", "smtp.emp.pt"}});   // the file's, but that server
//   LerDefinicoesApi(ini).transporte;      // Transporte=graph: DefinicoesApi::Transporte::Graph
#include <string>
#include <utility>
#include <vector>

#include "components/files/LeitorIni.h"
#include "components/mail/CorreioDefinicoes.h"

namespace quorvelanti {

// Keys of the section with the values that replace the file's: a dialog's fields not yet saved.
using ValoresCorreio = std::vector<std::pair<std::string, std::string>>;

// Every [SMTP] key, 'valores' before the file's; raises Erro(erros::CorreioConfiguracao) naming
// the key whose value is not valid, and the Erro of a secret reference that cannot be read. With
// values given, a missing file is a section of those values alone.
ServicoCorreio::Definicoes LerDefinicoesCorreio(const std::string& ficheiroParametros,
                                                LeitorIni::Cache* cache = nullptr, const ValoresCorreio& valores = {});
// Transporte and UrlApi alone: a mail API named wrong ends a run before anything is done.
DefinicoesApi LerDefinicoesApi(const LeitorIni& ini);
// The pickup folder [SMTP] PastaSaida with its final separator; "" when none is set.
std::string PastaSaidaCorreio(const LeitorIni& ini);

}  // namespace quorvelanti
