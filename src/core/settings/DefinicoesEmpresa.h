#pragma once
// One company section of the parameter file as the run reads it, once, when the company's turn
// comes: its database connection and, with EmpresaExt, the second one; where its workbooks go;
// and the carriage article groups its statements leave out.
//
//   LeitorIni ini(&cache);
//   ini.DefinirFicheiro("/etc/dorvam/Quorvelanti.qel");
//   DefinicoesEmpresa d = DefinicoesEmpresa::Ler(ini, "EMP01", ini.Ficheiro());
//   LigacaoBD bd; bd.AbrirLigacao(d.Ligacao.Definicoes());
//   if (d.LigacaoExt) ...;           // EmpresaExt is set
//   d.DestinoVnd;                    // "V01,ana@emp.pt,V02,rui@emp.pt"
#include <optional>
#include <string>
#include <vector>

#include "components/database/ConstrutorLigacao.h"
#include "components/files/LeitorIni.h"

namespace quorvelanti {

struct DefinicoesEmpresa {
    std::string Nome;
    ConstrutorLigacao Ligacao;                    // Motor, Servidor, Empresa, Username, Password...
    std::optional<ConstrutorLigacao> LigacaoExt;  // the same engine keys, ServidorExt, EmpresaExt...
    std::string DestinoAdm, DestinoVnd, DestinoEnc;
    std::string GrupoPortes;  // SQL literals separated by commas, "" for none

    // Raises Erro for a company without its section, a key whose value is invalid (naming the
    // key), a password reference that cannot be read, and a GrupoPortes that is no SQL list.
    // 'caminho' is the parameter file: a SQLite company file is found beside it.
    static DefinicoesEmpresa Ler(const LeitorIni& ini, const std::string& empresa, const std::string& caminho);
    // True when the section names a second database (EmpresaExt).
    static bool TemSegundaBase(const LeitorIni& ini, const std::string& empresa);
};

// Reads every company's database passwords given by reference (@credencial:, @ficheiro:), so a
// missing one ends the run before anything is sent; raises the Erro naming key and reference.
void VerificarSegredos(const std::string& ficheiro, const std::vector<std::string>& empresas,
                       LeitorIni::Cache* cache = nullptr);

// True when the text is a comma-separated list of SQL literals: quoted texts (inner quotes
// doubled) or numbers, blanks allowed around them; the empty text is valid (no groups).
bool GrupoPortesValido(const std::string& grupoPortes);

}  // namespace quorvelanti
