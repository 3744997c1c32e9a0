#pragma once
// The proof that a finished .xlsx package is whole, before it is mailed or kept: its zip index
// (the central directory and the record that ends it) is complete and in place, every member
// inflates to the size its entry declares, and every XML part (.xml, .rels) is one root element
// whose tags all close, in order, with nothing after it; in a sheet every cell lies in the row it
// names and the rows go up, and the shared-strings table holds as many texts as it declares. The
// writer library never checks its writes to the short-lived file of each part, so a part cut
// short, or missing bytes in its middle, after a full folder or a file-size limit is packed as if
// whole; this is where that shows.
//
// An object remembers the members it proved (their stored bytes, up to a few variants of each
// small member): a member stored byte for byte as one proved before holds the same bytes, so the
// parts every workbook of a run repeats (its theme, its styles, its relationships) are inflated
// once a run, not once a workbook.
//
//   PacoteXlsx provas;                       // one for the run
//   provas.Verificar(memoria->Ler());
//   // Erro(erros::LivroFalhou): "O membro xl/worksheets/sheet2.xml acaba antes de fechar <row>"
//
// Every failure is an Erro numbered erros::LivroFalhou whose description names the member (or
// the index) and what is wrong with it; zlib's own message, when it gave one, is the detail.
// A '>' inside an attribute value, which the writer always escapes, would be read as the end of
// its tag. Zip64 packages, which the writer is never asked for, are refused. The entries' CRC-32
// is not recomputed: the writer computes it from the bytes it read back, so a part cut short
// matches its CRC as well as a whole one.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelanti {

class PacoteXlsx {
public:
    void Verificar(std::string_view pacote);

private:
    bool provado(const std::string& membro, std::string_view guardado) const;
    void lembrar(const std::string& membro, std::string_view guardado);

    std::map<std::string, std::vector<std::string>> provados_;  // stored bytes proved, by member
};

}  // namespace quorvelanti
