#include "ExtrairMapas.h"

namespace quorvelanti {

// The daily reports are not built yet: the company loop walks the companies only.
void ExtrairMapas(ContextoExecucao&) {}

}  // namespace quorvelanti
