#!/bin/sh
# verificar_unidades.sh BUILD PREFIX: installs BUILD into a scratch root beside this machine's own
# systemd units, where systemd-analyze verify must find nothing to say about the package's units;
# then runs the failure handler with stand-ins for systemctl and journalctl.
set -eu
obra=$1
prefixo=$2
raiz=$(mktemp -d)
trap 'rm -rf "$raiz"' EXIT
DESTDIR=$raiz cmake --install "$obra" >/dev/null
mkdir -p "$raiz/usr/lib/systemd"
cp -r /usr/lib/systemd/system "$raiz/usr/lib/systemd/"
unidades=""
for u in "$raiz$prefixo"/lib/systemd/system/quorvelanti*; do unidades="$unidades $prefixo/lib/systemd/system/${u##*/}"; done
# shellcheck disable=SC2086
if ! saida=$(systemd-analyze verify --root="$raiz" $unidades 2>&1) || [ -n "$saida" ]; then
    echo "systemd-analyze verify:$unidades"
    echo "$saida"
    exit 1
fi

falsos=$raiz/falsos
mkdir -p "$falsos" "$raiz/log"
printf '#!/bin/sh\necho inv-123\n' >"$falsos/systemctl"
printf '#!/bin/sh\necho "diario: $*"\n' >"$falsos/journalctl"
printf '#!/bin/sh\necho "$1 $2" >"%s/comando"\n' "$raiz" >"$falsos/avisar"
chmod +x "$falsos"/*
PATH=$falsos:$PATH QUORVELANTI_PASTA_FALHAS=$raiz/log QUORVELANTI_COMANDO_FALHA=$falsos/avisar \
    "$raiz$prefixo/lib/quorvelanti/quorvelanti-falha" quorvelanti-diario.service
guardado=$(ls "$raiz"/log/falha-quorvelanti-diario.service-*.txt)
grep -q "_SYSTEMD_INVOCATION_ID=inv-123" "$guardado" || { echo "journal not kept: $(cat "$guardado")"; exit 1; }
[ "$(cat "$raiz/comando")" = "quorvelanti-diario.service $guardado" ] || { echo "command not run as told"; exit 1; }
[ -z "$(ls "$raiz/log" | grep '\.tmp$' || true)" ] || { echo "temporary file left"; exit 1; }
echo "unidades verificadas:$unidades"
