#!/usr/bin/python3
"""Reads a workbook back with openpyxl and checks it against the call that wrote it.

    verifica_livro.py CASO LIVRO.xlsx DESCRICAO.json

DESCRICAO holds the kind, the client texts and, per sheet, its name, title, the fields and
rows of its result set and its totals. Every sheet is checked against the layout rules; CASO adds the literal
cells of a known example. Prints every difference found and exits 1 if there is any.
"""
import datetime
import json
import re
import sys

import openpyxl
from openpyxl.utils import get_column_letter as letra

VERMELHO, BRANCO, AZUL, FAIXA = "FF0000", "FFFFFF", "0066CC", "7ACDF6"
FMT_NUM, FMT_DATA = "###,###,##0.00", "dd-mm-yyyy"
NUMERICOS, INTEIROS_15, DATAS = {3, 5, 6, 131}, {3, 5, 6}, {7, 135}
S = "SUMC"
RECUO = {"PER1": (2, 3), "PER2": (1, 2), "PER3": (3, 4)}

falhas = []


def falha(onde, texto):
    falhas.append(f"{onde}: {texto}")


def igual(onde, obtido, esperado):
    if obtido != esperado:
        falha(onde, f"{obtido!r} em vez de {esperado!r}")


def fundo(c):
    if c.fill is None or c.fill.fill_type != "solid":
        return None
    rgb = c.fill.fgColor.rgb
    return rgb[-6:] if isinstance(rgb, str) else "?"


def cor_letra(c):
    cor = c.font.color if c.font else None
    if cor is None or not isinstance(cor.rgb, str):
        return None
    return cor.rgb[-6:]


def largura_gravada(caracteres):
    # The writer pads a width of w characters as the spreadsheet does: w*7+5 pixels, in 1/256.
    pixeis = int(caracteres * 7 + 0.5) + 5
    return int(pixeis / 7 * 256) / 256


def largura(ws, coluna):
    for dim in ws.column_dimensions.values():
        if dim.min and dim.max and dim.min <= coluna <= dim.max and dim.customWidth:
            return dim.width
    return None


def perto(a, b):
    return isinstance(a, (int, float)) and abs(a - b) <= 1e-9 * max(1.0, abs(b))


def serie(data):
    return (data - datetime.datetime(1899, 12, 30)) / datetime.timedelta(days=1)


def numero(valor):
    if valor and "num" in valor:
        return float(valor["num"])
    if valor and "data" in valor:
        return serie(datetime.datetime.fromisoformat(valor["data"]))
    return None


def verifica_vazia(ws, folha, onde):
    if not re.fullmatch(r"Sheet\d+", ws.title):
        falha(onde, f"folha sem registos chama-se {ws.title!r}")
    if ws.max_row != 1 or ws.max_column != 1 or ws["A1"].value is not None:
        falha(onde, "folha sem registos não está vazia")


def verifica_impressao(ws, H, onde):
    # Landscape, one page wide and as long as it takes, title to header on every page, and the
    # panes frozen under the header.
    igual(f"{onde} orientação", ws.page_setup.orientation, "landscape")
    # An absent fitToWidth is the format's default, 1.
    largura = ws.page_setup.fitToWidth if ws.page_setup.fitToWidth is not None else 1
    igual(f"{onde} ajuste", (ws.sheet_properties.pageSetUpPr.fitToPage, largura, ws.page_setup.fitToHeight),
          (True, 1, 0))
    igual(f"{onde} títulos de impressão", (ws.print_title_rows or "").replace("$", ""), f"1:{H}")
    igual(f"{onde} painéis fixos", ws.freeze_panes, f"A{H + 1}")


def verifica_titulo(ws, titulo, campos, onde):
    F = len(campos)
    a1 = ws.cell(1, 1)
    igual(f"{onde} A1", a1.value, titulo or None)
    igual(f"{onde} A1 negrito", a1.font.b, True)
    igual(f"{onde} A1 tamanho", a1.font.sz, 20)
    igual(f"{onde} altura da linha 1 cabe a letra de 20", (ws.row_dimensions[1].height or 15) >= 26, True)
    # A merged range shows A1's look; openpyxl keeps no style for the other cells of it.
    igual(f"{onde} A1 fundo", fundo(a1), VERMELHO)
    igual(f"{onde} A1 letra", cor_letra(a1), BRANCO)
    igual(f"{onde} A1 alinhamento", a1.alignment.horizontal, "center")
    igual(f"{onde} {letra(F + 1)}1 fundo", fundo(ws.cell(1, F + 1)), None)
    fundidas = sorted(str(r) for r in ws.merged_cells.ranges)
    igual(f"{onde} fusões", fundidas, [f"A1:{letra(F)}1"] if F > 1 else [])


def verifica_cliente(ws, cliente, F, onde):
    rotulos = ["Cliente: ", "Nome Cliente: ", "Nome Vendedor: "]
    for i, (rotulo, valor) in enumerate(zip(rotulos, cliente)):
        r = 2 + i
        igual(f"{onde} A{r}", ws.cell(r, 1).value, rotulo + valor)
        igual(f"{onde} A{r} negrito", ws.cell(r, 1).font.b, True)
        for k in range(1, F + 1):
            c = ws.cell(r, k)
            igual(f"{onde} {c.coordinate} fundo", fundo(c), VERMELHO)
            igual(f"{onde} {c.coordinate} letra", cor_letra(c), BRANCO)
        igual(f"{onde} {letra(F + 1)}{r} fundo", fundo(ws.cell(r, F + 1)), None)


def verifica_cabecalho(ws, campos, H, semanal, onde):
    nomes = [c["nome"] for c in campos]
    esperado = AZUL if semanal and "Total Encomenda" in nomes else VERMELHO
    for k, campo in enumerate(campos, 1):
        c = ws.cell(H, k)
        igual(f"{onde} {c.coordinate}", c.value, campo["nome"] or None)
        igual(f"{onde} {c.coordinate} negrito", c.font.b, True)
        igual(f"{onde} {c.coordinate} alinhamento", c.alignment.horizontal, "center")
        igual(f"{onde} {c.coordinate} fundo", fundo(c), esperado)
        igual(f"{onde} {c.coordinate} letra", cor_letra(c), BRANCO)
        if campo["tipo"] in NUMERICOS:
            igual(f"{onde} {c.coordinate} formato", c.number_format, FMT_NUM)


def verifica_larguras(ws, campos, onde):
    for k, campo in enumerate(campos, 1):
        w, tipo, aqui = largura(ws, k), campo["tipo"], f"{onde} largura {letra(k)}"
        if tipo in INTEIROS_15:
            igual(aqui, w, largura_gravada(15))
        elif tipo in DATAS:
            # Fitted to the header text, never to the data below it nor left at 15.
            caracteres = len(campo["nome"])
            if w is None or w < caracteres * 0.8 or w > caracteres * 1.6 + 2:
                falha(aqui, f"{w} não se ajusta a {campo['nome']!r}")
        else:
            igual(aqui, w, largura_gravada(campo["tamanho"]))
        if tipo in NUMERICOS:
            igual(f"{aqui} formato da coluna", ws.column_dimensions[letra(k)].number_format, FMT_NUM)


def realce_linha(j, linhas, B, semanal):
    n = len(linhas)
    fill = FAIXA if j + B < n else None
    if semanal and j == n - 1:
        return VERMELHO, BRANCO
    if semanal and {"txt": "Total Encomenda"} in linhas[j]:
        return AZUL, BRANCO
    return fill, None


def verifica_dados(ws, campos, linhas, D, B, semanal, onde):
    F = len(campos)
    for j, linha in enumerate(linhas):
        r = D + j
        esperado_fundo, esperada_letra = realce_linha(j, linhas, B, semanal)
        for k, (campo, valor) in enumerate(zip(campos, linha), 1):
            c = ws.cell(r, k)
            aqui = f"{onde} {c.coordinate}"
            if valor is None:
                igual(aqui, c.value, None)
            elif "txt" in valor:
                igual(aqui, c.value, valor["txt"] or None)
            elif "data" in valor:
                igual(aqui, c.value, datetime.datetime.fromisoformat(valor["data"]))
                igual(f"{aqui} formato", c.number_format, FMT_DATA)
            elif not perto(c.value, float(valor["num"])):
                falha(aqui, f"{c.value!r} em vez de {valor['num']}")
            igual(f"{aqui} fundo", fundo(c), esperado_fundo)
            if esperada_letra:
                igual(f"{aqui} letra", cor_letra(c), esperada_letra)
            if campo["tipo"] in NUMERICOS and (valor is not None or esperado_fundo):
                igual(f"{aqui} formato", c.number_format, FMT_NUM)
        fora = ws.cell(r, F + 1)
        igual(f"{onde} {fora.coordinate}", (fora.value, fundo(fora)), (None, None))


def resultados_totais(linhas, totais):
    """What each totals cell must show: the column's sum, or the percentage (None: #DIV/0!)."""
    resultados = []
    for p, (coluna, tipo) in enumerate(totais):
        if tipo == S:
            valores = (numero(l[coluna - 1]) for l in linhas if coluna <= len(l))
            resultados.append(sum(x for x in valores if x is not None))
            continue
        rx, ry = RECUO[tipo]
        vx, vy = resultados[p - rx], resultados[p - ry]
        resultados.append(None if vx is None or vy is None or vx == 0 else (vx - vy) / vx * 100)
    return resultados


def formulas_totais(totais, D, n):
    t, ultima = D + n, D + n - 1
    formulas = []
    for p, (coluna, tipo) in enumerate(totais):
        if tipo == S:
            L = letra(coluna)
            formulas.append(f"=sum({L}{D}:{L}{ultima})")
        else:
            rx, ry = RECUO[tipo]
            X, Y = letra(totais[p - rx][0]), letra(totais[p - ry][0])
            formulas.append(f"=({X}{t}-{Y}{t})/{X}{t} *100")
    return formulas


def verifica_totais(ws, wsv, folha, totais, D, linhas_escritas, onde):
    linhas, campos = folha["dados"]["linhas"], folha["dados"]["campos"]
    n = len(linhas)
    t, ultima = D + n, D + n - 1
    resultados = resultados_totais(linhas, totais)
    for (coluna, _), formula, resultado in zip(totais, formulas_totais(totais, D, n), resultados):
        c, cv = ws.cell(t, coluna), wsv.cell(t, coluna)
        aqui = f"{onde} {c.coordinate}"
        igual(aqui, c.value, formula)
        if resultado is None:
            igual(f"{aqui} resultado", cv.value, "#DIV/0!")
        elif not perto(cv.value, resultado):
            falha(f"{aqui} resultado", f"{cv.value!r} em vez de {resultado}")
        igual(f"{aqui} fundo", fundo(c), VERMELHO)
        igual(f"{aqui} letra", cor_letra(c), BRANCO)
        if coluna <= len(campos) and campos[coluna - 1]["tipo"] in NUMERICOS:
            igual(f"{aqui} formato", c.number_format, FMT_NUM)
    colunas = {coluna for coluna, _ in totais}
    for k in range(1, max(len(campos), 16) + 2):
        if k not in colunas:
            igual(f"{onde} {letra(k)}{t}", ws.cell(t, k).value, None)
    igual(f"{onde} última linha escrita", linhas_escritas, t if totais else ultima)


def verifica_livro(caminho, descricao):
    wb = openpyxl.load_workbook(caminho)
    wbv = openpyxl.load_workbook(caminho, data_only=True)
    tipo, folhas = descricao["tipo"], descricao["folhas"]
    semanal = tipo == 4
    H, D, B = (6, 7, 2) if semanal else (3, 4, 0)
    if len(wb.worksheets) != len(folhas):
        falha("livro", f"{len(wb.worksheets)} folhas em vez de {len(folhas)}")
    for i, (folha, ws, wsv) in enumerate(zip(folhas, wb.worksheets, wbv.worksheets), 1):
        onde = f"folha {i}"
        campos, linhas = folha["dados"]["campos"], folha["dados"]["linhas"]
        linhas_escritas = ws.max_row  # before any look-up adds cells
        if not linhas:
            verifica_vazia(ws, folha, onde)
            continue
        igual(f"{onde} nome", ws.title, folha["nome"])
        verifica_titulo(ws, folha["titulo"], campos, onde)
        if semanal:
            verifica_cliente(ws, descricao["cliente"], len(campos), onde)
        else:
            igual(f"{onde} linha 2", [ws.cell(2, k).value for k in range(1, len(campos) + 1)], [None] * len(campos))
        verifica_cabecalho(ws, campos, H, semanal, onde)
        verifica_impressao(ws, H, onde)
        verifica_larguras(ws, campos, onde)
        verifica_dados(ws, campos, linhas, D, B, semanal, onde)
        verifica_totais(ws, wsv, folha, folha["totais"], D, linhas_escritas, onde)
    return wb, wbv


def celulas(ws, linha, colunas):
    return {f"{c}{linha}": ws[f"{c}{linha}"].value for c in colunas}


def caso_tipo1(wb, wbv):
    igual("nomes", wb.sheetnames, ["Enc.Pend.Resumo", "Enc.Pend.Detalhe", "Enc.Dia Resumo",
                                   "Enc.Dia Detalhe", "Vendas Dia Resumo", "Vendas Dia Detalhe"])
    v = wb["Vendas Dia Resumo"]
    igual("vendas resumo", celulas(v, 14, "CDHIOP"), {
        "C14": "=sum(C4:C13)", "D14": "=sum(D4:D13)", "H14": "=(E14-D14)/E14 *100", "I14": None,
        "O14": "=(L14-K14)/L14 *100", "P14": None})
    d = wb["Vendas Dia Detalhe"]
    igual("vendas detalhe", celulas(d, 14, "JKLM"), {
        "J14": "=sum(J4:J13)", "K14": None, "L14": "=sum(L4:L13)", "M14": "=(L14-J14)/L14 *100"})


def caso_folhas_1_5(wb, wbv):
    igual("nomes", wb.sheetnames, ["Enc.Pend.Resumo", "Sheet2", "Sheet3", "Sheet4", "Vendas Dia Resumo", "Sheet6"])


def caso_n1(wb, wbv):
    igual("n = 1", celulas(wb.worksheets[0], 5, "CD"), {"C5": "=sum(C4:C4)", "D5": "=sum(D4:D4)"})


def caso_campo_unico(wb, wbv):
    ws = wb.worksheets[0]
    igual("fusões", list(ws.merged_cells.ranges), [])
    igual("B1 fundo", fundo(ws["B1"]), None)
    igual("B4 fundo", fundo(ws["B4"]), None)


def caso_semanal(wb, wbv):
    ws = wb.worksheets[0]
    igual("fusão", [str(r) for r in ws.merged_cells.ranges], ["A1:I1"])
    igual("fundos A6:A12", [fundo(ws[f"A{r}"]) for r in range(6, 13)],
          [VERMELHO, FAIXA, FAIXA, AZUL, None, VERMELHO, None])
    formulas = [c.coordinate for linha in ws.iter_rows() for c in linha
                if isinstance(c.value, str) and c.value.startswith("=")]
    igual("fórmulas", formulas, [])


def caso_divisao_zero(wb, wbv):
    igual("M7", wbv["Vendas Dia Detalhe"]["M7"].value, "#DIV/0!")


CASOS = {"geral": None, "tipo1": caso_tipo1, "folhas_1_5": caso_folhas_1_5, "n1": caso_n1,
         "campo_unico": caso_campo_unico, "semanal": caso_semanal, "divisao_zero": caso_divisao_zero}


def main():
    caso, caminho, descricao = sys.argv[1], sys.argv[2], sys.argv[3]
    with open(descricao, encoding="utf-8") as f:
        wb, wbv = verifica_livro(caminho, json.load(f))
    if CASOS[caso]:
        CASOS[caso](wb, wbv)
    for texto in falhas[:60]:
        print(texto)
    if len(falhas) > 60:
        print(f"... e mais {len(falhas) - 60}")
    return 1 if falhas else 0


if __name__ == "__main__":
    sys.exit(main())
