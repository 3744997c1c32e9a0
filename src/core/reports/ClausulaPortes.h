#pragma once
// The carriage-group rule shared by the report statements: when the company is not the special
// one and "GrupoPortes" is set, abertura & GrupoPortes & ")) " goes into the statement;
// otherwise nothing.
//
//   sql += ClausulaPortes(ctx, " AND (a.Grupo Not IN (");
#include <string>

namespace quorvelanti {

struct ContextoExecucao;

std::string ClausulaPortes(const ContextoExecucao& ctx, const std::string& abertura);

}  // namespace quorvelanti
