#!/usr/bin/python3
"""The benchmark's comparison point: python3's XlsxWriter writing the rows bench_livro builds,
with the same formats, in constant-memory mode. Prints the processor seconds spent writing.

    bench_xlsxwriter.py LINHAS FICHEIRO.xlsx
"""
import datetime
import sys
import time

import xlsxwriter


def construir(linhas):
    rows = []
    for i in range(linhas):
        dia, mes = 1 + i % 28, 1 + i % 12
        rows.append((
            f"C{i % 5000}",
            f"Cliente número {i}",
            datetime.datetime(2026, mes, dia),
            i * 1234 % 100000000 / 10000,
            i * 77 % 1000000 / 10000,
            f"ART{i % 997}",
            datetime.datetime(2026, 13 - mes, dia),
            i % 500,
            f"Descrição do artigo {i % 997}",
            i * 4321 % 1000000000 / 10000,
            datetime.datetime(2026, mes, dia, i % 24, 30, 0),
        ))
    return rows


def main():
    linhas, ficheiro = int(sys.argv[1]), sys.argv[2]
    rows = construir(linhas)
    inicio = time.process_time()
    wb = xlsxwriter.Workbook(ficheiro, {"constant_memory": True})
    ws = wb.add_worksheet("Encomendas Cliente_Fornecedor")
    texto = wb.add_format({"pattern": 1, "fg_color": "#7ACDF6"})
    moeda = wb.add_format({"pattern": 1, "fg_color": "#7ACDF6", "num_format": "###,###,##0.00"})
    data = wb.add_format({"pattern": 1, "fg_color": "#7ACDF6", "num_format": "dd-mm-yyyy"})
    formatos = (texto, texto, data, moeda, moeda, texto, data, moeda, texto, moeda, data)
    for j, row in enumerate(rows):
        for k, valor in enumerate(row):
            if isinstance(valor, str):
                ws.write_string(j + 3, k, valor, formatos[k])
            elif isinstance(valor, datetime.datetime):
                ws.write_datetime(j + 3, k, valor, formatos[k])
            else:
                ws.write_number(j + 3, k, valor, formatos[k])
    wb.close()
    print(f"{time.process_time() - inicio:.3f}")


if __name__ == "__main__":
    main()
