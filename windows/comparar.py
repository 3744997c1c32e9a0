#!/usr/bin/python3
"""Compares two runs' results: the messages of two pickup folders and the workbooks left in two
log folders.

    /usr/bin/python3 windows/comparar.py LINUX_CORREIO LINUX_RELATORIOS WINDOWS_CORREIO WINDOWS_RELATORIOS

Messages are matched by subject, recipients and attachment names; every attached or left
workbook is compared cell by cell, sheet by sheet. The run's time of day (in file names and
in cells) is not compared: two runs never start in the same second. Prints each difference;
exit status 0 only when there is none.
"""
import datetime
import email
import email.policy
import io
import pathlib
import re
import sys

import openpyxl

MOMENTO = re.compile(r"\d{14}")
HORA = re.compile(r"\b\d{2}:\d{2}:\d{2}\b")


def sem_hora(texto):
    return HORA.sub("hh:mm:ss", MOMENTO.sub("<momento>", texto))


def celulas(conteudo):
    livro = openpyxl.load_workbook(io.BytesIO(conteudo))
    folhas = {}
    for folha in livro.worksheets:
        linhas = []
        for linha in folha.iter_rows(values_only=True):
            valores = []
            for v in linha:
                if isinstance(v, datetime.datetime):
                    v = v.date()  # the run's own time of day is in some cells
                elif isinstance(v, str):
                    v = sem_hora(v)
                valores.append(v)
            linhas.append(tuple(valores))
        folhas[folha.title] = linhas
    return folhas


def mensagens(pasta):
    """{(subject, to, cc, attachment names): [workbooks' cells, ...]} for every .eml."""
    resultado = {}
    for caminho in sorted(pathlib.Path(pasta).glob("*.eml")):
        with open(caminho, "rb") as f:
            msg = email.message_from_binary_file(f, policy=email.policy.default)
        anexos = list(msg.iter_attachments())
        chave = (
            sem_hora(str(msg["Subject"])),
            str(msg["To"] or ""),
            str(msg["Cc"] or ""),
            tuple(sem_hora(a.get_filename() or "") for a in anexos),
        )
        livros = [celulas(a.get_content()) for a in anexos if (a.get_filename() or "").endswith(".xlsx")]
        resultado.setdefault(chave, []).append(livros)
    return resultado


def livros_deixados(pasta):
    return {sem_hora(c.name): celulas(c.read_bytes()) for c in sorted(pathlib.Path(pasta).glob("*.xlsx"))}


def comparar_livros(onde, a, b, diferencas):
    if a.keys() != b.keys():
        diferencas.append(f"{onde}: folhas {list(a)} / {list(b)}")
        return
    for folha in a:
        if a[folha] != b[folha]:
            for n, (x, y) in enumerate(zip(a[folha], b[folha]), 1):
                if x != y:
                    diferencas.append(f"{onde}, folha {folha}, linha {n}: {x} / {y}")
                    break
            else:
                diferencas.append(f"{onde}, folha {folha}: {len(a[folha])} / {len(b[folha])} linhas")


def main(correio_a, relatorios_a, correio_b, relatorios_b):
    diferencas = []
    ma, mb = mensagens(correio_a), mensagens(correio_b)
    for chave in sorted(set(ma) | set(mb)):
        la, lb = ma.get(chave, []), mb.get(chave, [])
        if len(la) != len(lb):
            diferencas.append(f"mensagem {chave}: {len(la)} / {len(lb)}")
            continue
        for i, (livros_a, livros_b) in enumerate(zip(la, lb)):
            for j, (x, y) in enumerate(zip(livros_a, livros_b)):
                comparar_livros(f"{chave[0]} para {chave[1]}, anexo {j + 1}", x, y, diferencas)
    da, db = livros_deixados(relatorios_a), livros_deixados(relatorios_b)
    if da.keys() != db.keys():
        diferencas.append(f"livros deixados: {sorted(da)} / {sorted(db)}")
    for nome in sorted(set(da) & set(db)):
        comparar_livros(nome, da[nome], db[nome], diferencas)
    total = sum(len(v) for v in ma.values())
    for d in diferencas:
        print("DIFERENTE:", d)
    print(f"{total} mensagens e {len(da)} livros deixados comparados: "
          + ("iguais" if not diferencas else f"{len(diferencas)} diferenças"))
    return 0 if not diferencas and total > 0 else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
