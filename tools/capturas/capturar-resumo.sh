#!/usr/bin/env bash
# Screenshots of a message's HTML summary ([email] Resumo=1) for the README: makes the sample
# company, runs the daily and the weekly set with mail written to folders, and has headless
# Chromium (Debian's chromium) draw the administration message's HTML part at a phone's width and
# at a desktop's (docs/imagens/resumo-{estreito,largo}.png) and a client's at a phone's
# (docs/imagens/resumo-cliente.png).
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
mkdir -p "$TRABALHO"/{dorvam,relatorios,correio,semanal,perfil} "$IMAGENS"
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
# The weekly file mails to its own folder and cuts a client's sheet at 12 rows, grand total kept.
sed -e "s|correio\r\$|semanal\r|" -e "s|^Resumo=1\r\$|Resumo=1\r\nResumoLinhas=12\r|" \
  "$TRABALHO/dorvam/Quorvelanti.qel" > "$TRABALHO/dorvam/MapaEncSemana.qel"
chmod 600 "$TRABALHO"/dorvam/*.qel
for modo in /S /3S; do
  QUORVELANTI_PASTA_BASE=$TRABALHO QUORVELANTI_DATA=$DATA "$COMPILACAO/src/main/quorvelanti" $modo > /dev/null
done

# The HTML part of the first message of a folder, as a page.
pagina() {  # $1: folder of .eml files, $2: the page
  /usr/bin/python3 - "$1" "$2" <<'FIM'
import email, email.policy, pathlib, re, sys
ordem = lambda p: [int(x) if x.isdigit() else x for x in re.split(r"(\d+)", p.name)]
mensagem = sorted(pathlib.Path(sys.argv[1]).glob("*.eml"), key=ordem)[0]
lida = email.message_from_bytes(mensagem.read_bytes(), policy=email.policy.strict)
pathlib.Path(sys.argv[2]).write_text(lida.get_body(("html",)).get_content(), encoding="utf-8")
FIM
}
pagina "$TRABALHO/correio" "$TRABALHO/administracao.html"
pagina "$TRABALHO/semanal" "$TRABALHO/cliente.html"

# A phone's width (390 CSS pixels) and a desktop's, each tall enough for the whole summary.
for forma in "estreito 390,920 administracao" "largo 1280,860 administracao" "cliente 390,760 cliente"; do
  set -- $forma
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$TRABALHO/perfil" \
    --window-size="$2" --screenshot="$IMAGENS/resumo-$1.png" "file://$TRABALHO/$3.html" 2> /dev/null
  echo "$IMAGENS/resumo-$1.png"
done
