"""Reading an .xlsx file's parts with the standard library, for the bench and the tools that
look inside the program's workbooks.

    with zipfile.ZipFile(io.BytesIO(conteudo)) as z:
        partilhados = livroxlsx.textos_partilhados(z)
        for nome, parte in livroxlsx.folhas(z):   # "Enc. Pendentes", "xl/worksheets/sheet1.xml"
            ...
"""
import xml.etree.ElementTree as ET

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships"}
M = "{%s}" % NS["m"]
TIPO_XLSX = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"


def textos_partilhados(z):
    """The shared texts in order; none in a workbook written row by row (its texts are inline)."""
    if "xl/sharedStrings.xml" not in z.namelist():
        return []
    return ["".join(t.text or "" for t in si.iter(M + "t"))
            for si in ET.fromstring(z.read("xl/sharedStrings.xml")).findall("m:si", NS)]


def folhas(z):
    """Each sheet in workbook order: its name and the zip part that holds its cells."""
    ligacoes = {r.get("Id"): r.get("Target") for r in ET.fromstring(z.read("xl/_rels/workbook.xml.rels"))}
    for folha in ET.fromstring(z.read("xl/workbook.xml")).find("m:sheets", NS):
        alvo = ligacoes[folha.get("{%s}id" % NS["r"])]
        yield folha.get("name"), "xl/" + alvo.lstrip("/").removeprefix("xl/")
