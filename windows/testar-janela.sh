#!/usr/bin/env bash
# Proof of the window of the Windows build, used as a person would under Xvfb and Wine: on the
# demo's sample companies, with mail going to a pickup folder, quorvelanti.exe without /S opens
# its main window; the parameters window and the mail settings dialog are opened and closed with
# the keyboard, "Sincronizar" is pressed, and then:
#   - the run wrote the same messages and left the same workbooks as quorvelanti.exe /S on the
#     same data (windows/comparar.py);
#   - the window is still open after the run, and closing it (Alt+F4) ends the program with 0;
#   - /S, run on the same display, shows no window.
# Screenshots of the three windows go to docs/imagens/*-windows.png (QUORVELANTI_IMAGENS names
# another folder). Exit 0 only when all of that holds.
#
#   ./windows/testar-janela.sh            # builds the zip when it is missing
#
# Everything else is written under build-windows/janela.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-comum.sh"
P=$SAIDA/janela
IMAGENS=${QUORVELANTI_IMAGENS:-$RAIZ/docs/imagens}
mkdir -p "$IMAGENS"
ESPERA=120  # seconds any one step may take under Wine

falhar() {
  echo "!! $*" >&2
  exit 1
}

instalar_se_faltar Xvfb xvfb
instalar_se_faltar xdotool xdotool
instalar_se_faltar import imagemagick
preparar_wine
# Wine finds none of its own fonts here, so Windows' dialog font (MS Shell Dlg) would fall to a
# math font whose tall glyph boxes push a line edit's text out of sight; Windows maps it to a
# plain sans-serif face, and so does this prefix.
"$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg' /d 'DejaVu Sans' /f >/dev/null 2>&1
# Wine's desktop takes the display of the first program of a session: every program here runs
# under the same Xvfb, in a session of its own.
/usr/lib/wine/wineserver64 -w
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
XVFB=$!
read -r -t "$ESPERA" ecra <&3 || falhar "o Xvfb não arrancou"
export DISPLAY=:$ecra
programa=
terminar() {
  [[ -n $programa ]] && kill "$programa" 2>/dev/null
  kill "$XVFB" 2>/dev/null
  return 0
}
trap terminar EXIT

echo "== Empresas de exemplo ($QUORVELANTI_DATA) e a corrida sem janela (/S)"
"$RAIZ/demo/correr.sh" "$PONTE/quorvelanti" "$PONTE/quorvelanti-gerador" "$P" > "$P-demo.log" 2>&1 ||
  falhar "a demonstração falhou: $P-demo.log"
# The demo also ran the weekly set; the comparison wants the daily set alone, once headless.
limpar_saidas() { rm -rf "$P/correio" "$P/relatorios" && mkdir -p "$P/correio" "$P/relatorios"; }
limpar_saidas
# With a display there, /S still opens no window: none may show while it runs.
QUORVELANTI_PASTA_BASE=$P "$PONTE/quorvelanti" /S > "$P-sem-janela.log" 2>&1 &
programa=$!
while kill -0 "$programa" 2>/dev/null; do
  ! xdotool search --onlyvisible --name . >/dev/null 2>&1 || falhar "quorvelanti.exe /S abriu uma janela"
  sleep 0.2
done
wait "$programa" || falhar "quorvelanti.exe /S falhou: $P-sem-janela.log"
programa=
rm -rf "$P/sem-janela" && mkdir -p "$P/sem-janela"
mv "$P/correio" "$P/relatorios" "$P/sem-janela/"
limpar_saidas
linhas_registo() { cat "$1"/LOG_MAPAS*.txt 2>/dev/null | wc -l; }
mensagens_esperadas=$(ls "$P/sem-janela/correio" | wc -l)
linhas_esperadas=$(linhas_registo "$P/sem-janela/relatorios")

echo "== A janela, em Xvfb"
QUORVELANTI_PASTA_BASE=$P "$PONTE/quorvelanti" > "$P-janela.log" 2>&1 &
programa=$!

janela() {  # $1: the title, as a regular expression; prints the visible window's X id, or fails
  timeout "$ESPERA" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep . ||
    falhar "nenhuma janela \"$1\" à vista ($P-janela.log)"
}
fechada() {  # $1: the title; waits until no window so titled is visible
  local fim=$((SECONDS + ESPERA))
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    (( SECONDS < fim )) || falhar "a janela \"$1\" não fechou"
    sleep 0.5
  done
}
teclas() {  # $1: the window, then the keys, pressed as a person would with that window in front
  local id=$1
  shift
  xdotool windowfocus --sync "$id" key --delay 150 "$@"
}
fotografar() {  # $1: the window, $2: the image's name
  sleep 1  # the first paint after showing
  import -window "$1" "$IMAGENS/$2-windows.png"
}

principal=$(janela '^Quorvelanti$')
teclas "$principal" alt+p
parametros=$(janela '^Par.*metros')
fotografar "$parametros" janela-parametros
# The parameters window opens with the mail settings button in focus.
teclas "$parametros" space
correio=$(janela '^Configura.* do servidor de e-mail$')
fotografar "$correio" janela-correio
teclas "$correio" Escape
fechada '^Configura.* do servidor de e-mail$'
# Confirming without a change writes back the very bytes that were read.
cp "$P/dorvam/Quorvelanti.qel" "$P-parametros.qel"
teclas "$parametros" alt+c
fechada '^Par.*metros'
cmp -s "$P/dorvam/Quorvelanti.qel" "$P-parametros.qel" || falhar "Confirmar sem mudanças alterou o ficheiro de parâmetros"

echo "== Sincronizar"
# The progress list holds the focus first; the run button is next in the tab order.
teclas "$principal" Tab space
# Every progress line is also a log line: the run is over when its log is as long as /S's.
fim=$((SECONDS + ESPERA))
until (( $(ls "$P/correio" | wc -l) >= mensagens_esperadas && $(linhas_registo "$P/relatorios") >= linhas_esperadas )); do
  (( SECONDS < fim )) || falhar "a corrida não chegou ao fim ($mensagens_esperadas mensagens, $linhas_esperadas linhas de registo)"
  kill -0 "$programa" 2>/dev/null || falhar "o programa terminou durante a corrida ($P-janela.log)"
  sleep 1
done
sleep 3
kill -0 "$programa" 2>/dev/null || falhar "o programa terminou depois da corrida ($P-janela.log)"
principal=$(janela '^Quorvelanti$')
fotografar "$principal" janela-principal

echo "== Comparação com /S"
/usr/bin/python3 "$RAIZ/windows/comparar.py" "$P/sem-janela/correio" "$P/sem-janela/relatorios" \
  "$P/correio" "$P/relatorios" || falhar "a corrida da janela difere da de /S"

echo "== Fechar a janela"
teclas "$principal" alt+F4
fim=$((SECONDS + ESPERA))
while kill -0 "$programa" 2>/dev/null; do
  (( SECONDS < fim )) || falhar "o programa não terminou ao fechar a janela"
  sleep 0.5
done
wait "$programa" || falhar "o programa terminou com o estado $?"
programa=
echo "A janela: corrida igual à de /S, aberta depois dela, fechada termina o programa."
echo "Imagens: $IMAGENS/janela-{principal,parametros,correio}-windows.png"
