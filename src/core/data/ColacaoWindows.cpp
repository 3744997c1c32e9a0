#include "Colacao.h"

#include <windows.h>

#include <string>

#include "Erro.h"

namespace quorvelanti {

namespace {
constexpr wchar_t kLocalidade[] = L"pt-PT";

// Invalid UTF-8 bytes become U+FFFD, as the collation elsewhere reads them.
std::wstring largo(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring texto(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), texto.data(), n);
    return texto;
}
}  // namespace

struct Colacao::Colador {};

Colacao::~Colacao() = default;

Colacao::Colacao() : colador_(std::make_unique<Colador>())
{
    if (!IsValidLocaleName(kLocalidade))
        throw Erro(erros::OrdenacaoIndisponivel, "A ordenação de textos (pt-PT) não está disponível",
                   "IsValidLocaleName");
}

const Colacao& Colacao::Portuguesa()
{
    static const Colacao colacao;
    return colacao;
}

// The system's linguistic order, which sets letters before accents before case; texts it
// holds equal are told apart by their code units, so the order stays total.
int Colacao::Comparar(std::string_view a, std::string_view b) const noexcept
{
    const std::wstring x = largo(a), y = largo(b);
    const int r = CompareStringEx(kLocalidade, 0, x.data(), static_cast<int>(x.size()), y.data(),
                                  static_cast<int>(y.size()), nullptr, nullptr, 0);
    if (r == CSTR_LESS_THAN) return -1;
    if (r == CSTR_GREATER_THAN) return 1;
    return x.compare(y) < 0 ? -1 : x.compare(y) > 0 ? 1 : 0;
}

}  // namespace quorvelanti
