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
set -euo pipefail
RAIZ=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
COMPILACAO=$RAIZ/build-demo
SAIDA=$RAIZ/demo-saida
DATA=${QUORVELANTI_DATA:-$(date +%F)}
export QUORVELANTI_DATA=$DATA

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
PROGRAMA=$COMPILACAO/src/main/quorvelanti
GERADOR=$COMPILACAO/tools/gerador/quorvelanti-gerador

echo "== A gerar as empresas de exemplo (data da corrida $DATA)"
rm -rf "$SAIDA"
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
/usr/bin/python3 "$RAIZ/demo/mensagens.py" "$SAIDA/correio" "$SAIDA/anexos"
echo
echo "Para abrir: um livro com 'soffice --calc FICHEIRO.xlsx' (ou LibreOffice/Excel), uma mensagem"
echo "com qualquer programa de correio (Thunderbird abre .eml) ou 'less FICHEIRO.eml'."
exit $estado
