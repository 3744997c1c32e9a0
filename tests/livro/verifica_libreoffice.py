#!/usr/bin/python3
"""Opens a workbook in LibreOffice (headless, csv export of every sheet) and checks that each
totals row shows the right sums and percentages, as formatted in the sheet.

    verifica_libreoffice.py LIVRO.xlsx DESCRICAO.json PASTA

Runs twice, each time with its own profile under PASTA: once as LibreOffice opens the file by
default (it shows the cached results the file carries), once with a profile that makes it
recalculate every formula (so the formula texts themselves are checked by an independent
engine). Exits 1 with the differences, 0 when both show the totals the rows add up to.
"""
import csv
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from verifica_livro import resultados_totais  # noqa: E402

RECALCULAR = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema"
 xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse">
<value>0</value></prop></item>
</oor:items>
"""
# Comma separated, UTF-8, cells as shown, every sheet to its own file.
FILTRO = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"


def converter(livro, pasta, modo):
    perfil = os.path.join(pasta, "perfil-" + modo)
    saida = os.path.join(pasta, "csv-" + modo)
    if modo == "recalculado":
        os.makedirs(os.path.join(perfil, "user"), exist_ok=True)
        with open(os.path.join(perfil, "user", "registrymodifications.xcu"), "w") as f:
            f.write(RECALCULAR)
    subprocess.run(["soffice", "-env:UserInstallation=file://" + perfil, "--headless", "--norestore",
                    "--convert-to", FILTRO, "--outdir", saida, livro],
                   check=True, timeout=240, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return saida


def mostrado(texto):
    try:
        return float(texto.replace(",", ""))
    except ValueError:
        return texto


def verificar(livro, descricao, saida, modo):
    falhas = []
    base = os.path.splitext(os.path.basename(livro))[0]
    tipo = descricao["tipo"]
    D = 7 if tipo == 4 else 4
    for folha in descricao["folhas"]:
        linhas, totais = folha["dados"]["linhas"], folha["totais"]
        if not linhas or not totais:
            continue
        with open(os.path.join(saida, f"{base}-{folha['nome']}.csv"), encoding="utf-8") as f:
            tabela = list(csv.reader(f))
        linha = tabela[D + len(linhas) - 1]
        for (coluna, _), esperado in zip(totais, resultados_totais(linhas, totais)):
            obtido = mostrado(linha[coluna - 1]) if coluna <= len(linha) else ""
            certo = obtido == "#DIV/0!" if esperado is None else (
                isinstance(obtido, float) and abs(obtido - round(esperado, 2)) < 0.006)
            if not certo:
                falhas.append(f"{modo}: folha {folha['nome']!r} coluna {coluna}: mostra {obtido!r}, "
                              f"devia mostrar {'#DIV/0!' if esperado is None else round(esperado, 2)}")
    return falhas


def main():
    livro, descricao, pasta = os.path.abspath(sys.argv[1]), sys.argv[2], os.path.abspath(sys.argv[3])
    with open(descricao, encoding="utf-8") as f:
        descricao = json.load(f)
    falhas = []
    for modo in ("guardado", "recalculado"):
        falhas += verificar(livro, descricao, converter(livro, pasta, modo), modo)
    for texto in falhas:
        print(texto)
    return 1 if falhas else 0


if __name__ == "__main__":
    sys.exit(main())
