#!/usr/bin/python3
"""Picture of a workbook as LibreOffice shows it: every sheet, one under the other, each under
its name, the long ones cut after their first rows.

    /usr/bin/python3 demo/captura.py [LIVRO.xlsx] [IMAGEM.png]

Without arguments it takes the administration workbook of company Alfa from the demo's output
(demo-saida/anexos, after ./demo/executar.sh) and writes docs/imagens/livro-administracao.png.
Needs LibreOffice Calc (soffice), pdftoppm (poppler-utils), python3-openpyxl and python3-pil.
"""
import pathlib
import subprocess
import sys
import tempfile

import openpyxl
from PIL import Image, ImageDraw, ImageFont

RAIZ = pathlib.Path(__file__).resolve().parent.parent
RESOLUCAO = 80        # dots per inch of the rendered sheets
ALTURA_MAXIMA = 300   # pixels kept of a long sheet
LARGURA_MAXIMA = 1600
LEGENDA = 34
LETRA = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def paginas(livro: pathlib.Path, pasta: pathlib.Path) -> list:
    """One PDF page per sheet (SinglePageSheets), then one PNG per page."""
    opcoes = 'pdf:calc_pdf_Export:{"SinglePageSheets":{"type":"boolean","value":"true"}}'
    subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{pasta}/perfil",
                    "--convert-to", opcoes, "--outdir", str(pasta), str(livro)],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pdf = pasta / (livro.stem + ".pdf")
    subprocess.run(["pdftoppm", "-r", str(RESOLUCAO), "-png", str(pdf), str(pasta / "folha")], check=True)
    return sorted(pasta.glob("folha-*.png"), key=lambda p: int(p.stem.split("-")[1]))


def compor(nomes: list, imagens: list) -> Image.Image:
    letra = ImageFont.truetype(LETRA, 16) if pathlib.Path(LETRA).exists() else ImageFont.load_default()
    partes = []
    for nome, caminho in zip(nomes, imagens):
        folha = Image.open(caminho).convert("RGB")
        folha = folha.crop((0, 0, min(folha.width, LARGURA_MAXIMA), min(folha.height, ALTURA_MAXIMA)))
        parte = Image.new("RGB", (folha.width, folha.height + LEGENDA), "white")
        desenho = ImageDraw.Draw(parte)
        desenho.rectangle((0, 0, folha.width, LEGENDA - 6), fill=(230, 230, 230))
        desenho.text((8, 5), f"Folha \"{nome}\"", fill="black", font=letra)
        parte.paste(folha, (0, LEGENDA))
        partes.append(parte)
    largura = max(p.width for p in partes)
    imagem = Image.new("RGB", (largura, sum(p.height for p in partes)), "white")
    y = 0
    for parte in partes:
        imagem.paste(parte, (0, y))
        y += parte.height
    return imagem


def livro_da_demo() -> pathlib.Path:
    livros = sorted((RAIZ / "demo-saida" / "anexos").glob("*/*_Adm_Alfa.xlsx"))
    if not livros:
        sys.exit("Não há livro de administração em demo-saida/anexos: corra primeiro ./demo/executar.sh")
    return livros[0]


def main() -> None:
    livro = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else livro_da_demo()
    saida = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else RAIZ / "docs" / "imagens" / "livro-administracao.png"
    nomes = openpyxl.load_workbook(livro, read_only=True).sheetnames
    with tempfile.TemporaryDirectory() as pasta:
        imagens = paginas(livro.resolve(), pathlib.Path(pasta))
        if len(imagens) != len(nomes):
            sys.exit(f"O LibreOffice deu {len(imagens)} páginas para {len(nomes)} folhas")
        saida.parent.mkdir(parents=True, exist_ok=True)
        # A sheet has few colours: a palette keeps the picture small enough for the repository.
        compor(nomes, imagens).quantize(colors=128).save(saida, optimize=True)
    print(saida)


if __name__ == "__main__":
    main()
