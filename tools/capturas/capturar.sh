#!/usr/bin/env bash
# Screenshots of the three windows for the README: builds the capture tool and the sample-data
# generator, makes two sample companies, runs the daily set once from the main window (mail
# written to a folder, nothing sent) and saves docs/imagens/janela-{principal,parametros,correio}.png.
# No display needed: Qt's offscreen platform draws the windows.
#
#   tools/capturas/capturar.sh                 build in build-capturas/
#   COMPILACAO=build tools/capturas/capturar.sh    reuse a build folder as it is configured
set -euo pipefail
RAIZ=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
COMPILACAO=${COMPILACAO:-$RAIZ/build-capturas}
DATA=2026-12-07
IMAGENS=$RAIZ/docs/imagens

# An existing build folder keeps its own settings.
if [[ ! -e $COMPILACAO/CMakeCache.txt ]]; then
  cmake -S "$RAIZ" -B "$COMPILACAO" -DCMAKE_BUILD_TYPE=Release -DQUORVELANTI_TESTS=OFF > /dev/null
fi
cmake --build "$COMPILACAO" --target quorvelanti-capturas quorvelanti-gerador -j2 > /dev/null

TRABALHO=$(mktemp -d)
trap 'rm -rf "$TRABALHO"' EXIT
mkdir -p "$TRABALHO"/{relatorios,correio} "$IMAGENS"
"$COMPILACAO/tools/gerador/quorvelanti-gerador" --saida "$TRABALHO/alfa.db" --data "$DATA" --semente 1 > /dev/null
"$COMPILACAO/tools/gerador/quorvelanti-gerador" --saida "$TRABALHO/beta.db" --data "$DATA" --semente 2 \
  --especial --linhas 600 > /dev/null
{
  echo "[EMPRESAS]"
  echo "Alfa"
  echo "Beta"
  echo "[FIM]"
  echo "[Alfa]"
  echo "Motor=SQLite"
  echo "Empresa=alfa.db"
  echo "DestinoAdm=administracao@exemplo.pt"
  echo "GrupoPortes='PORTES'"
  echo "[Beta]"
  echo "Motor=SQLite"
  echo "Empresa=beta.db"
  echo "DestinoAdm=administracao.beta@exemplo.pt"
  echo "[email]"
  echo "Assunto=Mapas Diários"
  echo "[SMTP]"
  echo "emailEmissor=relatorios@exemplo.pt"
  echo "Servidor=smtp.exemplo.pt"
  echo "Porta=587"
  echo "Seguranca=starttls"
  echo "Utilizador=relatorios"
  echo "Password=segredo"
  echo "PastaSaida=correio"
  echo "[Log]"
  echo "Directoria=relatorios"
} | sed 's/$/\r/' > "$TRABALHO/Quorvelanti.qel"
chmod 600 "$TRABALHO/Quorvelanti.qel"

# The folders are relative to the working folder, so the images show no temporary path.
(cd "$TRABALHO" &&
  QT_QPA_PLATFORM=offscreen "$COMPILACAO/tools/capturas/quorvelanti-capturas" Quorvelanti.qel "$DATA" "$IMAGENS")
ls -l "$IMAGENS"/janela-*.png
