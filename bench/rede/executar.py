#!/usr/bin/python3
"""Distant-server benchmark: the daily ("/S") and weekly ("/3S") sets with a round trip before
every statement.

It generates one company (50,000 document lines, 600 clients, 1,500 articles unless told) and
runs each set of the Release program as a scheduler would, with the company keys AtrasoSimulado
(milliseconds the program waits before every statement, as a server that far away would make it
wait) and LigacoesConsulta (connections with statements in flight) set to every pair asked for.
Each line gives the wall seconds and the ratio to the run of the same setting with no delay, and
the statements the run asked for. Every run's SQL trace must be the same, statement by statement,
whatever the setting: the program takes the answers in the order of a one-by-one run. Exits 1
when a trace differs or a set misses its goal (10 ms at most 1.5 times, 40 ms at most 3 times
its time without delay, with the default connections).

    /usr/bin/python3 bench/rede/executar.py
    /usr/bin/python3 bench/rede/executar.py --atrasos 0,10 --ligacoes 1,8 --conjuntos /S
"""
import argparse
import os
import shutil
import subprocess
import sys
from pathlib import Path

RAIZ = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(RAIZ / "bench" / "execucao"))
from executar import DATA_CORRIDA, apagar_saidas, compilar, correr, escrever_parametros  # noqa: E402

LIGACOES_PREDEFINIDAS = 8
METAS = {10: 1.5, 40: 3.0}  # round trip in ms: the most a set may take against its time without delay
VENDEDORES = 20


def lista(texto):
    return [int(x) for x in texto.split(",")]


def medir(ferramentas, pasta, conjunto, ligacoes, atraso):
    """One run of the set; its wall seconds and its SQL trace."""
    etiqueta = conjunto.strip("/")
    registo_sql = pasta / f"sql{etiqueta}.txt"
    escrever_parametros(pasta, conjunto, empresa=[f"LigacoesConsulta={ligacoes}", f"AtrasoSimulado={atraso}"],
                        vendedores=VENDEDORES)
    apagar_saidas(pasta, etiqueta)
    registo_sql.unlink(missing_ok=True)
    ambiente = dict(os.environ, QUORVELANTI_PASTA_BASE=str(pasta), QUORVELANTI_DATA=DATA_CORRIDA,
                    QUORVELANTI_TRACE_SQL=str(registo_sql))
    medida = correr([ferramentas["programa"], conjunto], ambiente)
    return medida.parede, registo_sql.read_text(encoding="utf-8")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--compilacao", type=Path, default=RAIZ / "build-bench", help="Release build folder")
    p.add_argument("--trabalho", type=Path, default=RAIZ / "build-bench" / "rede", help="company, logs, mail")
    p.add_argument("--linhas", type=int, default=50000)
    p.add_argument("--clientes", type=int, default=600)
    p.add_argument("--artigos", type=int, default=1500)
    p.add_argument("--conjuntos", default="/S,/3S", help="report sets, comma-separated")
    p.add_argument("--atrasos", default="0,10,40", help="round trips in ms, comma-separated; 0 comes first")
    p.add_argument("--ligacoes", default=f"1,{LIGACOES_PREDEFINIDAS},16", help="LigacoesConsulta values")
    a = p.parse_args()
    atrasos = sorted(set([0] + lista(a.atrasos)))
    ferramentas = compilar(a.compilacao.resolve())
    pasta = a.trabalho.resolve()
    shutil.rmtree(pasta, ignore_errors=True)
    pasta.mkdir(parents=True)
    subprocess.run([ferramentas["gerador"], "--saida", pasta / "empresa.db", "--data", DATA_CORRIDA, "--semente", "1",
                    "--linhas", str(a.linhas), "--vendedores", str(VENDEDORES), "--clientes", str(a.clientes),
                    "--artigos", str(a.artigos)], check=True, stdout=subprocess.DEVNULL)
    print(f"Empresa: {a.linhas} linhas, {a.clientes} clientes, {a.artigos} artigos; ida e volta simulada antes de"
          f" cada instrução; metas com {LIGACOES_PREDEFINIDAS} ligações: "
          + ", ".join(f"{ms} ms <= {m}x" for ms, m in METAS.items()))
    falhas = []
    for conjunto in a.conjuntos.split(","):
        referencia = None
        for ligacoes in lista(a.ligacoes):
            sem_atraso = None
            for atraso in atrasos:
                segundos, registo = medir(ferramentas, pasta, conjunto, ligacoes, atraso)
                referencia = referencia or registo
                sem_atraso = sem_atraso or segundos
                razao = segundos / sem_atraso
                print(f"{conjunto:4} LigacoesConsulta={ligacoes:<3} {atraso:3} ms: {segundos:7.2f} s"
                      f"  {razao:5.2f}x  {registo.count(chr(10))} instruções", flush=True)
                if registo != referencia:
                    falhas.append(f"{conjunto} LigacoesConsulta={ligacoes} {atraso} ms: o registo de SQL difere")
                if ligacoes == LIGACOES_PREDEFINIDAS and atraso in METAS and razao > METAS[atraso]:
                    falhas.append(f"{conjunto} {atraso} ms: {razao:.2f}x, acima de {METAS[atraso]}x")
    for falha in falhas:
        print("FALHA:", falha)
    sys.exit(1 if falhas else 0)


if __name__ == "__main__":
    main()
