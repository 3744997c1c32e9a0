#include "ClausulaPortes.h"

#include <cctype>

#include "run/ContextoExecucao.h"

namespace quorvelanti {

std::string ClausulaPortes(const ContextoExecucao& ctx, const std::string& abertura)
{
    if (ctx.EmpresaEspecial || ctx.GrupoPortes.empty()) return {};
    return abertura + ctx.GrupoPortes + ")) ";
}

namespace {
void saltarBrancos(const std::string& s, std::size_t& i)
{
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

bool literalTexto(const std::string& s, std::size_t& i)
{
    if (i >= s.size() || s[i] != '\'') return false;
    for (++i; i < s.size(); ++i) {
        if (s[i] != '\'') continue;
        if (i + 1 < s.size() && s[i + 1] == '\'') {
            ++i;  // doubled quote inside the text
            continue;
        }
        ++i;
        return true;
    }
    return false;
}

bool literalNumero(const std::string& s, std::size_t& i)
{
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    std::size_t digitos = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digitos;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digitos;
    return digitos > 0;
}
}  // namespace

bool GrupoPortesValido(const std::string& grupoPortes)
{
    std::size_t i = 0;
    saltarBrancos(grupoPortes, i);
    if (i == grupoPortes.size()) return true;
    while (true) {
        saltarBrancos(grupoPortes, i);
        if (!literalTexto(grupoPortes, i) && !literalNumero(grupoPortes, i)) return false;
        saltarBrancos(grupoPortes, i);
        if (i == grupoPortes.size()) return true;
        if (grupoPortes[i++] != ',') return false;
    }
}

}  // namespace quorvelanti
