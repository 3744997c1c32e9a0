#!/usr/bin/env bash
# Screenshots of a message's HTML summary ([email] Resumo=1) for the README: makes the sample
# company, runs the daily set with mail written to a folder, takes the administration message's
# HTML part and has headless Chromium (Debian's chromium) draw it at a phone's width and at a
# desktop's: docs/imagens/resumo-{estreito,largo}.png.
#
#   tools/capturas/capturar-resumo.sh                 build in build-capturas/
#   COMPILACAO=build tools/capturas/capturar-resumo.sh    reuse a build folder as it is configured
set -euo pipefail
RAIZ=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
COMPILACAO=${COMPILACAO:-$RAIZ/build-capturas}
DATA=2026-12-07
IMAGENS=$RAIZ/docs/imagens
command -v chromium > /dev/null || { echo "Falta o chromium: apt-get install chromium" >&2; exit 1; }

if [[ ! -e $COMPILACAO/CMakeCache.txt ]]; then
  cmake -S "$RAIZ" -B "$COMPILACAO" -DCMAKE_BUILD_TYPE=Release -DQUORVELANTI_TESTS=OFF > /dev/null
fi
cmake --build "$COMPILACAO" --target quorvelanti quorvelanti-gerador -j2 > /dev/null

TRABALHO=$(mktemp -d)
trap 'rm -rf "$TRABALHO"' EXIT
mkdir -p "$TRABALHO"/{dorvam,relatorios,correio,perfil} "$IMAGENS"
"$COMPILACAO/tools/gerador/quorvelanti-gerador" --saida "$TRABALHO/alfa.db" --data "$DATA" --semente 1 > /dev/null
{
  echo "[EMPRESAS]"
  echo "Alfa"
  echo "[FIM]"
  echo "[Alfa]"
  echo "Motor=SQLite"
  echo "Empresa=$TRABALHO/alfa.db"
  echo "DestinoAdm=administracao@exemplo.pt"
  echo "GrupoPortes='PORTES'"
  echo "[email]"
  echo "Assunto=Mapas Diários"
  echo "Resumo=1"
  echo "[SMTP]"
  echo "emailEmissor=relatorios@exemplo.pt"
  echo "PastaSaida=$TRABALHO/correio"
  echo "[Log]"
  echo "Directoria=$TRABALHO/relatorios"
} | sed 's/$/\r/' > "$TRABALHO/dorvam/Quorvelanti.qel"
chmod 600 "$TRABALHO/dorvam/Quorvelanti.qel"
QUORVELANTI_PASTA_BASE=$TRABALHO QUORVELANTI_DATA=$DATA "$COMPILACAO/src/main/quorvelanti" /S > /dev/null

/usr/bin/python3 - "$TRABALHO/correio" "$TRABALHO/resumo.html" <<'FIM'
import email, email.policy, pathlib, sys
mensagem = next(pathlib.Path(sys.argv[1]).glob("*.eml"))
lida = email.message_from_bytes(mensagem.read_bytes(), policy=email.policy.strict)
pathlib.Path(sys.argv[2]).write_text(lida.get_body(("html",)).get_content(), encoding="utf-8")
FIM

# A phone's width (390 CSS pixels) and a desktop's, each tall enough for the whole summary.
for forma in "estreito 390,920" "largo 1280,860"; do
  set -- $forma
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$TRABALHO/perfil" \
    --window-size="$2" --screenshot="$IMAGENS/resumo-$1.png" "file://$TRABALHO/resumo.html" 2> /dev/null
  echo "$IMAGENS/resumo-$1.png"
done
