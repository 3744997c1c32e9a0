#pragma once
// The run: parameters, log, the company list, and for each company its connections, identity and
// report set. Failures end the run where they happen; with "[Log] ContinuarAposFalha=1" a
// company's failure goes into ctx.Falhas and the run goes on with the next company, keeping its
// log open at the end for the failure's report. A resumed run skips a company the delivery
// ledger shows complete.
#include <memory>
#include <string>
#include <vector>

#include "components/files/LeitorIni.h"

namespace quorvelanti {

struct ContextoExecucao;
class LigacaoBD;

void Sincronizar(ContextoExecucao& ctx);
// Raises Erro unless ctx.FicheiroIni can be read: a missing file says how its folder was chosen
// and where a starting file is (ctx.OrigemFicheiroIni); one the running user may not read says
// so, with the reason, instead of passing for a file without settings.
void VerificarFicheiroParametros(const ContextoExecucao& ctx);
// The lines between "[EMPRESAS]" and "[FIM]" (markers in any letter case, whole lines), unchanged.
// comLista, when given, tells whether the file has an "[EMPRESAS]" line at all.
//
//   bool comLista = false;
//   auto empresas = LerEmpresas("/etc/dorvam/Quorvelanti.qel", &comLista);
std::vector<std::string> LerEmpresas(const std::string& ficheiro, bool* comLista = nullptr);
// Reads every company's database passwords given by reference (@credencial:, @ficheiro:), so a
// missing one ends the run before anything is sent; raises the Erro naming key and reference.
void VerificarSegredos(const std::string& ficheiro, const std::vector<std::string>& empresas,
                       LeitorIni::Cache* cache = nullptr);
void AbreLigacao(ContextoExecucao& ctx, const std::string& empresa, std::unique_ptr<LigacaoBD>& ligacao,
                 const std::string& caminho);
void AbreLigacaoExt(ContextoExecucao& ctx, const std::string& empresa, std::unique_ptr<LigacaoBD>& ligacao,
                    const std::string& caminho, bool& aberta);
// The tax number ("NumContr") of the special company: its reports keep the carriage article
// groups and it gets no client-supplier orders workbook.
inline constexpr char ContribuinteEmpresaEspecial[] = "599999990";
// ctx.EmpresaEspecial from the company's dbo.EMPRESA row: whether its NumContr is that number.
void getNomeEmpresa(ContextoExecucao& ctx);

}  // namespace quorvelanti
