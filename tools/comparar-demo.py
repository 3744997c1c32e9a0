#!/usr/bin/python3
"""Runs the demo of two commits and compares what each left: every workbook's cells (sheet names,
values, formulas and each cell's format), every message's bytes, subject, recipients and
attachment names, and the run logs' lines, with the parts that change from run to run pinned (times of day,
process numbers, workbook name stamps, message files' names, Message-IDs, MIME boundaries).

    /usr/bin/python3 tools/comparar-demo.py ANTES DEPOIS [--data AAAA-MM-DD] [--pasta /tmp/comparar-demo]

Each commit is checked out in its own git worktree under --pasta and built there by
demo/executar.sh (ccache when installed); both run as on the same day (--data, 2026-12-07 unless
told), so runs on different days compare too. The second commit runs twice, to show that the
demo repeats itself exactly once those parts are pinned. Prints the differences and exits 0 only when there
are none; 1 when the outputs differ, 2 when a demo could not be built or run.
"""
import argparse
import difflib
import email
import email.policy
import hashlib
import io
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile
from pathlib import Path

from livroxlsx import M, NS, TIPO_XLSX, folhas, textos_partilhados

RAIZ = Path(__file__).resolve().parent.parent

# What differs between two runs of the same program on the same day, each pattern with its pin.
VOLATEIS = [
    # A Message-ID: the moment, the process number and random bits.
    (re.compile(r"<\d{14}\.\d+\.[0-9a-f]+@"), "<carimbo.processo.unico@"),
    (re.compile(r"(?<!\d)\d{14}(?:-\d+)?(?!\d)"), "<carimbo>"),  # yyyymmddhhmmss[-process] in file names
    (re.compile(r"(?<!\d)\d{1,2}:\d{2}:\d{2}(?!\d)"), "<hora>"),
]


def correr(argumentos, **opcoes):
    return subprocess.run(argumentos, check=True, **opcoes)


def preparar(commit, pasta):
    """A worktree of the commit under pasta, made once and reused."""
    sha = correr(["git", "-C", str(RAIZ), "rev-parse", "--verify", commit + "^{commit}"],
                 capture_output=True, text=True).stdout.strip()
    arvore = pasta / sha[:12]
    if not arvore.exists():
        correr(["git", "-C", str(RAIZ), "worktree", "add", "--detach", str(arvore), sha],
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return sha, arvore


def executar_demo(arvore, data, pasta):
    """demo/executar.sh of that tree, as on that day, low priority; its output kept in a file."""
    ambiente = dict(os.environ, QUORVELANTI_DATA=data)
    if shutil.which("ccache"):
        ambiente.update(CCACHE_BASEDIR=str(pasta), CMAKE_C_COMPILER_LAUNCHER="ccache",
                        CMAKE_CXX_COMPILER_LAUNCHER="ccache")
    registo = arvore / "comparar-demo.log"
    with open(registo, "w") as saida:
        estado = subprocess.run(["nice", "-n", "10", str(arvore / "demo/executar.sh")], env=ambiente,
                                stdout=saida, stderr=subprocess.STDOUT).returncode
    return estado, registo


def fixar(texto, arvore):
    texto = texto.replace(str(arvore), "<arvore>")
    for padrao, marca in VOLATEIS:
        texto = padrao.sub(marca, texto)
    return texto


# --- workbooks -------------------------------------------------------------------------------


def formatos(z):
    """Each cell format index resolved to what it shows: number format, font, fill, border and
    alignment, so two workbooks that number their formats differently still compare."""
    estilos = ET.fromstring(z.read("xl/styles.xml"))
    codigos = {f.get("numFmtId"): f.get("formatCode") for f in estilos.iter(M + "numFmt")}

    def lista(nome, filho):
        no = estilos.find("m:" + nome, NS)
        return [ET.tostring(x, encoding="unicode") for x in no.findall("m:" + filho, NS)] if no is not None else []

    fontes, fundos, limites = lista("fonts", "font"), lista("fills", "fill"), lista("borders", "border")
    resultado = []
    for xf in estilos.find("m:cellXfs", NS).findall("m:xf", NS):
        numero = xf.get("numFmtId", "0")
        partes = [f"numero={codigos.get(numero, numero)}",
                  f"letra={fontes[int(xf.get('fontId', '0'))]}",
                  f"fundo={fundos[int(xf.get('fillId', '0'))]}",
                  f"limite={limites[int(xf.get('borderId', '0'))]}"]
        partes += [ET.tostring(x, encoding="unicode") for x in xf]
        # A short digest of the whole description keeps a cell's line readable.
        resultado.append(hashlib.sha1(" ".join(partes).encode()).hexdigest()[:10])
    return resultado


def celulas(conteudo):
    """One line per sheet and per cell: sheet name; reference, kind, value, formula, format."""
    linhas = []
    with zipfile.ZipFile(io.BytesIO(conteudo)) as z:
        partilhados = textos_partilhados(z)
        estilos = formatos(z)
        for nome, parte in folhas(z):
            linhas.append(f"  folha {nome!r}")
            for c in ET.fromstring(z.read(parte)).iter(M + "c"):
                formula, valor, texto = c.find(M + "f"), c.find(M + "v"), c.find(M + "is/" + M + "t")
                if texto is not None:
                    mostrado = texto.text or ""
                elif c.get("t") == "s":
                    mostrado = partilhados[int(valor.text)]
                else:
                    mostrado = valor.text if valor is not None else ""
                campos = [c.get("r"), c.get("t", "n"), repr(mostrado)]
                if formula is not None:
                    campos.append("=" + (formula.text or ""))
                campos.append("formato " + estilos[int(c.get("s", "0"))])
                linhas.append("    " + " | ".join(campos))
    return linhas


# --- messages and logs -----------------------------------------------------------------------


def ordem_escrita(caminho):
    """Message files in the order written: 20261207165404-2.eml before 20261207165404-10.eml."""
    return [int(x) if x.isdigit() else x for x in re.split(r"(\d+)", caminho.name)]


def bruto(eml, arvore):
    """A digest of the message's bytes as written, with its moment, Message-ID and boundaries pinned
    and the attachment's Base64 left out (its cells are compared apart): equal digests are equal
    messages byte for byte but for those."""
    texto = eml.read_bytes().decode("ascii", errors="replace")
    texto = re.sub(r"(Content-Transfer-Encoding: base64\r\n(?:[^\r\n]+\r\n)*\r\n)(?:[A-Za-z0-9+/=]+\r\n)+",
                   r"\1<anexo>\r\n", texto)
    texto = re.sub(r"^Date: [^\r\n]*", "Date: <data>", texto, flags=re.M)
    texto = re.sub(r"=_quorvelanti\.(alt\.)?[0-9a-f.]+", r"=_quorvelanti.\1<unico>", texto)
    return hashlib.sha256(fixar(texto, arvore).encode()).hexdigest()


def mensagens(correio, arvore):
    """Each message, in the order written: the digest of its bytes, its addresses, subject, Date
    and Message-ID, body and attachments with their cells."""
    linhas = []
    for numero, eml in enumerate(sorted(correio.glob("*.eml"), key=ordem_escrita), 1):
        msg = email.message_from_bytes(eml.read_bytes(), policy=email.policy.default)
        linhas.append(f"mensagem {numero} bytes {bruto(eml, arvore)}")
        for cabecalho in ("From", "To", "Cc", "Bcc", "Subject", "Date", "Message-ID"):
            if msg[cabecalho] is not None:
                linhas.append(f"  {cabecalho}: " + fixar(str(msg[cabecalho]), arvore))
        for parte in msg.walk():
            if parte.is_multipart():
                continue
            nome = parte.get_filename()
            if nome is None:
                linhas.append(f"  corpo {parte.get_content_type()}: " + fixar(repr(parte.get_content()), arvore))
                continue
            linhas.append(f"  anexo {fixar(nome, arvore)!r} {parte.get_content_type()}")
            if parte.get_content_type() == TIPO_XLSX:
                linhas += ["  " + x for x in celulas(parte.get_payload(decode=True))]
    return linhas


def deixados(relatorios, arvore):
    """Workbooks left in the log folder (nobody to mail them to)."""
    linhas = []
    for livro in sorted(relatorios.glob("*.xlsx"), key=lambda p: fixar(p.name, arvore)):
        linhas.append(f"livro deixado {fixar(livro.name, arvore)!r}")
        linhas += celulas(livro.read_bytes())
    return linhas


def registos(relatorios, arvore):
    """The run log and the delivery ledger, line by line (both Windows-1252, CRLF or LF)."""
    linhas = []
    for registo in sorted(relatorios.glob("*.txt")):
        linhas.append(f"registo {registo.name}")
        texto = registo.read_bytes().decode("cp1252")
        linhas += ["  " + fixar(x, arvore) for x in texto.replace("\r\n", "\n").split("\n")]
    return linhas


def retrato(arvore):
    """Everything the demo left, as lines to compare."""
    saida = arvore / "demo-saida"
    return (mensagens(saida / "correio", arvore) + deixados(saida / "relatorios", arvore)
            + registos(saida / "relatorios", arvore))


def comparar(nome_a, a, nome_b, b):
    diferencas = list(difflib.unified_diff(a, b, nome_a, nome_b, lineterm=""))
    if not diferencas:
        return True
    print("\n".join(diferencas))
    print(f"!! {nome_a} e {nome_b} diferem em {sum(1 for x in diferencas[2:] if x[:1] in '+-')} linhas")
    return False


def main():
    opcoes = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    opcoes.add_argument("antes")
    opcoes.add_argument("depois")
    opcoes.add_argument("--data", default="2026-12-07")
    opcoes.add_argument("--pasta", type=Path, default=Path("/tmp/comparar-demo"))
    args = opcoes.parse_args()
    args.pasta.mkdir(parents=True, exist_ok=True)
    retratos = {}
    # The second commit runs twice: a demo that differs from itself would make any comparison moot.
    for commit, vez in ((args.antes, 1), (args.depois, 1), (args.depois, 2)):
        sha, arvore = preparar(commit, args.pasta)
        print(f"== {commit} ({sha[:12]}) em {arvore}, corrida {vez}", flush=True)
        estado, registo = executar_demo(arvore, args.data, args.pasta)
        if estado != 0:
            print(f"!! a demonstração de {commit} terminou com o estado {estado}; ver {registo}", file=sys.stderr)
            return 2
        retratos[(commit, vez)] = retrato(arvore)
        print(f"   {len(retratos[(commit, vez)])} linhas: {sum(1 for x in retratos[(commit, vez)] if x.startswith('mensagem '))}"
              f" mensagens, {sum(1 for x in retratos[(commit, vez)] if x.lstrip().startswith('folha '))} folhas", flush=True)
    repetivel = comparar(f"{args.depois} (1)", retratos[(args.depois, 1)], f"{args.depois} (2)", retratos[(args.depois, 2)])
    iguais = comparar(args.antes, retratos[(args.antes, 1)], args.depois, retratos[(args.depois, 1)])
    if repetivel and iguais:
        print("== iguais: livros (células, fórmulas, formatos, folhas), mensagens (byte a byte) e registos")
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
