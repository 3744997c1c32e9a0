#!/usr/bin/env bash
# Generates two sample companies (one of them the special company, tax number 599999990), runs
# the daily set ("/S") and the weekly set ("/3S") against them with mail written as .eml files
# into a folder instead of sent, and says where everything is.
#
#   demo/correr.sh PROGRAMA GERADOR PASTA        (what demo/executar.sh runs after building)
#   quorvelanti-demo [PASTA]                     (installed; PASTA defaults to ./quorvelanti-demo)
#
# QUORVELANTI_DATA=AAAA-MM-DD runs as on that day. The demo's folders in PASTA are made anew.
set -euo pipefail
AQUI=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)
uso() {
  cat <<'FIM'
Uso: quorvelanti-demo [PASTA]
     quorvelanti-demo --help | --version
Gera duas empresas de exemplo (SQLite) em PASTA (por omissão ./quorvelanti-demo), corre os mapas
diários (/S) e semanais (/3S) com o correio escrito em ficheiros .eml (nada é enviado) e diz onde
ficaram o registo, os livros e as mensagens. As pastas dorvam, empresas, relatorios e correio de
PASTA são refeitas. QUORVELANTI_DATA=AAAA-MM-DD corre como nesse dia.
Estado de saída: 0 as duas corridas terminaram bem; senão o estado da que falhou; 2 opção desconhecida.
FIM
}
case ${1:-} in
  --help|-h) uso; exit 0 ;;
  --version|-V)
    # The demo is the program's: it carries the version of the quorvelanti installed beside it.
    versao=$("$AQUI/quorvelanti" --version 2>/dev/null) || versao="quorvelanti (não instalado ao lado)"
    echo "quorvelanti-demo ${versao#quorvelanti }"; exit 0 ;;
  --*) echo "Opção desconhecida: $1" >&2; echo >&2; uso >&2; exit 2 ;;
esac
if (( $# >= 2 )); then
  PROGRAMA=$1 GERADOR=$2 SAIDA=${3:-$PWD/quorvelanti-demo}
else
  PROGRAMA=$AQUI/quorvelanti GERADOR=$AQUI/quorvelanti-gerador SAIDA=${1:-$PWD/quorvelanti-demo}
fi
SAIDA=$(mkdir -p "$SAIDA" && cd "$SAIDA" && pwd)
DATA=${QUORVELANTI_DATA:-$(date +%F)}
export QUORVELANTI_DATA=$DATA
# The message lister sits beside this script in the source tree, in share/ when installed.
LISTAGEM=$AQUI/mensagens.py
[[ -e $LISTAGEM ]] || LISTAGEM=$AQUI/../share/quorvelanti/demo/mensagens.py

echo "== A gerar as empresas de exemplo (data da corrida $DATA)"
rm -rf "$SAIDA"/{dorvam,empresas,relatorios,correio,anexos}
mkdir -p "$SAIDA"/{dorvam,empresas,relatorios,correio}
"$GERADOR" --saida "$SAIDA/empresas/alfa.db" --data "$DATA" --semente 1
"$GERADOR" --saida "$SAIDA/empresas/beta.db" --data "$DATA" --semente 2 --especial \
  --linhas 1200 --vendedores 4 --clientes 50 --artigos 100

# A parameter file as a site keeps one: CRLF line ends, companies with relative paths to their
# databases. Alfa leaves the carriage group out of its reports; V06 of Alfa has no address, so
# gets no workbook.
parametros() {
  local assunto=$1
  {
    echo "; Parâmetros da demonstração: duas empresas de exemplo (SQLite), correio numa pasta"
    echo "[EMPRESAS]"
    echo "Alfa"
    echo "Beta"
    echo "[FIM]"
    echo
    echo "[Alfa]"
    echo "Motor=SQLite"
    echo "Empresa=../empresas/alfa.db"
    echo "DestinoAdm=administracao@exemplo.pt"
    echo "DestinoVnd=V01,vendedor.v01@exemplo.pt,V02,vendedor.v02@exemplo.pt,V03,vendedor.v03@exemplo.pt,V04,vendedor.v04@exemplo.pt,V05,vendedor.v05@exemplo.pt"
    echo "DestinoEnc=compras@exemplo.pt"
    echo "GrupoPortes='PORTES'"
    echo
    echo "[Beta]"
    echo "Motor=SQLite"
    echo "Empresa=../empresas/beta.db"
    echo "DestinoAdm=administracao.beta@exemplo.pt"
    echo "DestinoVnd=V01,beta.v01@exemplo.pt,V02,beta.v02@exemplo.pt,V03,beta.v03@exemplo.pt,V04,beta.v04@exemplo.pt"
    echo "DestinoEnc=compras.beta@exemplo.pt"
    echo "GrupoPortes='PORTES'"
    echo
    echo "[email]"
    echo "Assunto=$assunto"
    echo
    echo "[SMTP]"
    echo "emailEmissor=relatorios@exemplo.pt"
    echo "PastaSaida=$SAIDA/correio"
    echo
    echo "[Log]"
    echo "Directoria=$SAIDA/relatorios"
    echo "ContinuarAposFalha=1"
  } | sed 's/$/\r/'
}
parametros "Mapas Diários" > "$SAIDA/dorvam/Quorvelanti.qel"
parametros "Encomendas Pendentes" > "$SAIDA/dorvam/MapaEncSemana.qel"
# Parameter files hold the database and mail passwords: readable by their owner only.
chmod 600 "$SAIDA"/dorvam/*.qel

estado=0
for modo in /S /3S; do
  echo "== quorvelanti $modo"
  QUORVELANTI_PASTA_BASE=$SAIDA "$PROGRAMA" "$modo" || {
    estado=$?
    echo "!! quorvelanti $modo terminou com o estado $estado" >&2
  }
done

echo
echo "== Resultados"
for registo in "$SAIDA"/relatorios/LOG_MAPAS*.txt; do
  [[ -e $registo ]] || continue
  echo "Registo da corrida (Windows-1252, CRLF): $registo"
  iconv -f WINDOWS-1252 -t UTF-8 "$registo" | tr -d '\r' | sed 's/^/    /'
done
deixados=("$SAIDA"/relatorios/*.xlsx)
if [[ -e ${deixados[0]} ]]; then
  echo "Livros que ficaram na pasta (sem destinatário):"
  printf '    %s\n' "${deixados[@]}"
fi
echo "Mensagens escritas em $SAIDA/correio (.eml, em vez de enviadas):"
if [[ -x /usr/bin/python3 && -e $LISTAGEM ]]; then
  /usr/bin/python3 "$LISTAGEM" "$SAIDA/correio" "$SAIDA/anexos"
else
  ls -1 "$SAIDA/correio" | sed 's/^/    /'
fi
echo
echo "Para abrir: um livro com 'soffice --calc FICHEIRO.xlsx' (ou LibreOffice/Excel), uma mensagem"
echo "com qualquer programa de correio (Thunderbird abre .eml) ou 'less FICHEIRO.eml'."
exit $estado
