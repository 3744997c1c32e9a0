#!/usr/bin/env bash
# The demo: installs what is missing, builds the program, generates two sample companies (one of
# them the special company, tax number 599999990), runs the daily set ("/S") and the weekly set
# ("/3S") against them with mail written as .eml files into a folder instead of sent, and says
# where everything is.
#
#   ./demo/executar.sh                          as on today
#   QUORVELANTI_DATA=2026-12-07 ./demo/executar.sh   as on another day
#
# Everything it writes is under build-demo/ and demo-saida/; a new run starts demo-saida afresh.
# The part after the build is demo/correr.sh, which an installed system has as quorvelanti-demo.
set -euo pipefail
RAIZ=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
COMPILACAO=$RAIZ/build-demo
SAIDA=$RAIZ/demo-saida

source "$RAIZ/instalar-pacotes.sh"

echo "== A compilar (Release) em $COMPILACAO"
mkdir -p "$COMPILACAO"
REGISTO_COMPILACAO=$COMPILACAO/compilacao.log
if ! { cmake -S "$RAIZ" -B "$COMPILACAO" -DCMAKE_BUILD_TYPE=Release -DQUORVELANTI_TESTS=OFF &&
       cmake --build "$COMPILACAO" --target quorvelanti quorvelanti-gerador -j"$(nproc)"; } > "$REGISTO_COMPILACAO" 2>&1; then
  tail -n 40 "$REGISTO_COMPILACAO" >&2
  echo "!! A compilação falhou; o registo completo está em $REGISTO_COMPILACAO" >&2
  exit 1
fi
exec "$RAIZ/demo/correr.sh" "$COMPILACAO/src/main/quorvelanti" "$COMPILACAO/tools/gerador/quorvelanti-gerador" "$SAIDA"

