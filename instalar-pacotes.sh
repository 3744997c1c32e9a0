#!/usr/bin/env bash
# Installs the Debian packages of .ci/pacotes.txt that are not installed yet (sourced by the
# build scripts; needs root, or sudo, only when something is missing).
pacotes_em_falta=()
while read -r pacote; do
  [[ -z "$pacote" || "$pacote" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pacote" 2>/dev/null | grep -q "install ok installed" || pacotes_em_falta+=("$pacote")
done < "$(dirname "${BASH_SOURCE[0]}")/.ci/pacotes.txt"
if (( ${#pacotes_em_falta[@]} )); then
  echo "A instalar: ${pacotes_em_falta[*]}"
  como_root=(); [[ $(id -u) -ne 0 ]] && como_root=(sudo)
  "${como_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${como_root[@]}" apt-get install -y -qq --no-install-recommends "${pacotes_em_falta[@]}"
fi
