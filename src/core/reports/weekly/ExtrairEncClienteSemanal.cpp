#include "ExtrairEncClienteSemanal.h"

namespace quorvelanti {

// The weekly run is not built yet: the company loop walks the companies only.
void ExtrairEncClienteSemanal(ContextoExecucao&) {}

}  // namespace quorvelanti
