#!/usr/bin/python3
"""Checks the messages of a run with [email] Resumo=1 against the same run without it.

    verifica_resumo.py PASTA_COM PASTA_SEM RESUMO_LINHAS [TEXTO]

Each folder holds the run's messages as .eml files, in the order they were sent. Every message
must parse under the strict policy, be multipart/mixed of multipart/alternative (text, HTML) and
the workbook, carry the same text as the message without the summary, and show in its HTML tables
exactly the cells of its attached workbook as the workbook formats them (openpyxl). Prints one
"MAU ..." line per fault and a last line "mensagens N folhas F linhas L achados A", A the
messages whose tables show TEXTO in a cell; exits 1 on a fault.
"""
import decimal
import email
import email.policy
import html.parser
import io
import pathlib
import re
import sys

import openpyxl

MAXIMO_PARTE = 300 * 1024
CORTE = 500  # characters a summary shows of a longer text
falhas = []


def mau(*partes):
    falhas.append("MAU " + " ".join(str(p) for p in partes))


def ordem_natural(caminho):
    return [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", caminho.name)]


def mensagens(pasta):
    return sorted(pathlib.Path(pasta).glob("*.eml"), key=ordem_natural)


class Seccoes(html.parser.HTMLParser):
    """The summary's sections: title, client lines, notes and table rows (cell texts)."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.seccoes, self.texto, self.dentro, self.cabeca = [], None, None, False

    def handle_starttag(self, tag, attrs):
        self.cabeca = tag == "thead" or (self.cabeca and tag != "tbody")
        if tag == "h2":
            self.seccoes.append({"titulo": "", "linhas": [], "cabecalho": [], "notas": [], "cliente": []})
        if tag in ("h2", "p", "th", "td"):
            self.texto, self.dentro = "", tag
        if tag == "tr" and self.seccoes and not self.cabeca:
            self.seccoes[-1]["linhas"].append([])

    def handle_endtag(self, tag):
        if tag != self.dentro:
            return
        texto, seccao = self.texto, self.seccoes[-1] if self.seccoes else None
        self.texto = self.dentro = None
        if seccao is None:
            return
        if tag == "h2":
            seccao["titulo"] = texto
        elif tag == "th":
            seccao["cabecalho"].append(texto)
        elif tag == "td":
            seccao["linhas"][-1].append(texto)
        elif tag == "p":
            seccao["cliente" if not seccao["cabecalho"] and not seccao["notas"] and texto.startswith(
                ("Cliente: ", "Nome Cliente: ", "Nome Vendedor: ")) else "notas"].append(texto)

    def handle_data(self, dados):
        if self.texto is not None:
            self.texto += dados


def como_mostra(valor, formato):
    """A cell's value as the workbook shows it."""
    if valor is None:
        return ""
    if isinstance(valor, str):
        return valor if len(valor) <= CORTE else valor[:CORTE] + "…"
    if hasattr(valor, "strftime"):
        return valor.strftime("%d-%m-%Y")
    if formato == "###,###,##0.00":
        d = decimal.Decimal(repr(float(valor))).quantize(decimal.Decimal("0.01"), rounding=decimal.ROUND_HALF_UP)
        return f"{d:,.2f}".translate(str.maketrans(",.", ".,"))
    return repr(valor).replace(".", ",")


def folhas_por_titulo(bytes_livro):
    valores = openpyxl.load_workbook(io.BytesIO(bytes_livro), data_only=True)
    formulas = openpyxl.load_workbook(io.BytesIO(bytes_livro))
    return {f["A1"].value: (f, formulas[f.title]) for f in valores.worksheets if f["A1"].value}


def linha_de(folha, r):
    return [como_mostra(c.value, c.number_format) for c in folha[r]][: folha.max_column]


def verificar_seccao(nome, seccao, folhas, maximo):
    if seccao["titulo"] not in folhas:
        if "Sem linhas." not in seccao["notas"]:
            mau(nome, "folha sem título igual:", seccao["titulo"])
        return 0
    folha, formulas = folhas[seccao["titulo"]]
    cabeca = 6 if seccao["cliente"] else 3
    if seccao["cliente"] != [folha.cell(r, 1).value for r in (2, 3, 4)][: len(seccao["cliente"])]:
        mau(nome, "linhas do cliente", seccao["cliente"])
    if seccao["cabecalho"] != [c.value for c in folha[cabeca]]:
        mau(nome, "cabeçalho", seccao["titulo"], seccao["cabecalho"])
    ultima = folha.max_row
    com_totais = any(isinstance(c.value, str) and c.value.startswith("=") for c in formulas[ultima])
    dados = [linha_de(folha, r) for r in range(cabeca + 1, ultima + (0 if com_totais else 1))]
    legenda = next((n for n in seccao["notas"] if n.startswith("Linhas ainda sem stock")), None)
    if legenda:
        coluna = seccao["cabecalho"].index("Disponibilidade")
        escolhidas = [l for l in dados if l[coluna] != "Em Stock"]
        if legenda != f"Linhas ainda sem stock: {len(escolhidas)} de {len(dados)}":
            mau(nome, "legenda", legenda)
    else:
        escolhidas = dados
    linhas = [l for l in seccao["linhas"] if l != ["…"]]  # the mark of rows left out before a grand total
    if com_totais:
        totais = linhas.pop() if linhas else []
        if totais != linha_de(folha, ultima):
            mau(nome, "totais", seccao["titulo"], totais, linha_de(folha, ultima))
    # The first rows, and a weekly sheet's grand total after them when they stop short of it.
    esperadas = escolhidas[:maximo] + (escolhidas[-1:] if seccao["cliente"] and len(escolhidas) > maximo else [])
    for i, (a, b) in enumerate(zip(linhas, esperadas)):
        if a != b:
            mau(nome, seccao["titulo"], "linha", i, a, b)
            break
    if len(linhas) != len(esperadas):
        mau(nome, seccao["titulo"], len(linhas), "linhas em vez de", len(esperadas))
    resto = len(escolhidas) - len(esperadas)
    if resto and f"Mais {resto} linhas no livro anexo." not in seccao["notas"]:
        mau(nome, seccao["titulo"], "faltam", resto, "linhas sem nota", seccao["notas"])
    return len(linhas)


def verificar(com, sem, maximo, procurado):
    bruto = com.read_bytes()
    try:
        m = email.message_from_bytes(bruto, policy=email.policy.strict)
        texto_sem = email.message_from_bytes(sem.read_bytes(), policy=email.policy.strict).get_body(("plain",))
    except Exception as e:  # noqa: BLE001 - any defect is the fault reported
        return mau(com.name, "não se lê:", e)
    if any(len(l) > 998 for l in bruto.split(b"\r\n")) or re.search(rb"[^\r]\n|\r[^\n]", bruto):
        mau(com.name, "linhas fora do limite ou sem CRLF")
    partes = m.get_payload()
    tipos = [m.get_content_type()] + [p.get_content_type() for p in partes]
    if tipos[:2] != ["multipart/mixed", "multipart/alternative"] or len(partes) != 2:
        return mau(com.name, "estrutura", tipos)
    alternativas = partes[0].get_payload()
    if [p.get_content_type() for p in alternativas] != ["text/plain", "text/html"]:
        return mau(com.name, "alternativas", [p.get_content_type() for p in alternativas])
    texto, parte_html = alternativas
    if texto.get_content() != texto_sem.get_content():
        mau(com.name, "texto diferente do de hoje")
    if parte_html["Content-Transfer-Encoding"] != "quoted-printable" or parte_html.get_content_charset() != "utf-8":
        mau(com.name, "codificação do HTML")
    if len(parte_html.as_bytes()) > MAXIMO_PARTE:
        mau(com.name, "HTML com", len(parte_html.as_bytes()), "bytes")
    pagina = parte_html.get_content()
    for proibido in ("<script", "<style", "<img", "<link", "src=", "href=", "url(", "@import", "\x01", "\ufffe"):
        if proibido in pagina.lower():
            mau(com.name, "o HTML tem", repr(proibido))
    leitor = Seccoes()
    leitor.feed(pagina)
    folhas = folhas_por_titulo(partes[1].get_payload(decode=True))
    linhas = sum(verificar_seccao(com.name, s, folhas, maximo) for s in leitor.seccoes)
    achado = any(procurado in c for s in leitor.seccoes for l in s["linhas"] for c in l) if procurado else False
    return len(leitor.seccoes), linhas, achado


def main(pasta_com, pasta_sem, maximo, procurado):
    com, sem = mensagens(pasta_com), mensagens(pasta_sem)
    if len(com) != len(sem) or not com:
        mau("mensagens:", len(com), "com resumo e", len(sem), "sem")
    folhas = linhas = achados = 0
    for a, b in zip(com, sem):
        r = verificar(a, b, maximo, procurado)
        if r:
            folhas, linhas, achados = folhas + r[0], linhas + r[1], achados + r[2]
    print("\n".join(falhas[:40]))
    print(f"mensagens {len(com)} folhas {folhas} linhas {linhas} achados {achados}")
    return 1 if falhas else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4] if len(sys.argv) > 4 else ""))
