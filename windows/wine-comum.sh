# Sourced by the Wine proofs (testar-wine.sh, testar-janela.sh): the zip built when missing (or
# anew with QUORVELANTI_RECONSTRUIR=1) and unpacked into build-windows/wine/programa, the Wine
# prefix in build-windows/wine/prefixo, and in $PONTE a quorvelanti and a quorvelanti-gerador
# that run the Windows programs under Wine.
RAIZ=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SAIDA=$RAIZ/build-windows
ZIP=$SAIDA/quorvelanti-windows.zip
WINE=/usr/lib/wine/wine64
PONTE=$SAIDA/wine/ponte
export QUORVELANTI_DATA=${QUORVELANTI_DATA:-2026-12-07}
export WINEPREFIX=$SAIDA/wine/prefixo WINEDEBUG=-all

instalar_se_faltar() {  # $1: a program, $2...: the packages that bring it
  local programa=$1
  shift
  if [[ -x $programa ]] || command -v "$programa" >/dev/null; then return 0; fi
  flock /tmp/apt.lock apt-get install -y -qq --no-install-recommends "$@" ||
    apt-get install -y -qq --no-install-recommends "$@"
}

preparar_wine() {
  if [[ ! -e $ZIP || -n ${QUORVELANTI_RECONSTRUIR:-} ]]; then
    "$RAIZ/windows/construir.sh"
  fi
  instalar_se_faltar "$WINE" wine64
  rm -rf "$SAIDA/wine/programa"
  mkdir -p "$SAIDA/wine/programa" "$PONTE"
  (cd "$SAIDA/wine/programa" && unzip -q "$ZIP")
  [[ -d $WINEPREFIX ]] || "$WINE" wineboot -i >/dev/null 2>&1

  # The folders the callers name become Windows paths (Z:\...) at the boundary, as a Windows
  # user would write them.
  cat > "$PONTE/quorvelanti" <<PONTE_FIM
#!/bin/sh
[ -n "\${QUORVELANTI_PASTA_BASE:-}" ] && QUORVELANTI_PASTA_BASE=\$("$WINE" winepath -w "\$QUORVELANTI_PASTA_BASE" 2>/dev/null | tr -d '\r') && export QUORVELANTI_PASTA_BASE
exec "$WINE" "$SAIDA/wine/programa/quorvelanti/quorvelanti.exe" "\$@"
PONTE_FIM
  cat > "$PONTE/quorvelanti-gerador" <<PONTE_FIM
#!/bin/sh
exec "$WINE" "$SAIDA/wine/programa/quorvelanti/quorvelanti-gerador.exe" "\$@"
PONTE_FIM
  chmod +x "$PONTE"/*
}
