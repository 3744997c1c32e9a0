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
struct EmpresaCorrida;

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
// The company's main connection from its settings (the run's SQL trace when there is one); a
// connection that does not open raises Erro naming the company.
void AbreLigacao(const ContextoExecucao& ctx, EmpresaCorrida& empresa);
// The second connection, only when the company's section sets EmpresaExt.
void AbreLigacaoExt(const ContextoExecucao& ctx, EmpresaCorrida& empresa);
// The tax number ("NumContr") of the special company: its reports keep the carriage article
// groups and it gets no client-supplier orders workbook.
inline constexpr char ContribuinteEmpresaEspecial[] = "599999990";
// empresa.EmpresaEspecial from the company's dbo.EMPRESA row: whether its NumContr is that
// number; false without a row.
void getNomeEmpresa(EmpresaCorrida& empresa);

}  // namespace quorvelanti
