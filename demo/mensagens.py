#!/usr/bin/python3
"""Lists the .eml messages of a pickup folder and saves their attachments.

    /usr/bin/python3 demo/mensagens.py demo-saida/correio demo-saida/anexos

One line per message: the file, its subject, recipients and attachment; each attachment is saved
as anexos/<message file without .eml>/<attachment name>. Standard library only.
"""
import email
import email.policy
import pathlib
import re
import sys


def ordem_natural(caminho: pathlib.Path):
    """20261207165404-2.eml before 20261207165404-10.eml."""
    return [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", caminho.name)]


def main(pasta_correio: str, pasta_anexos: str) -> int:
    mensagens = sorted(pathlib.Path(pasta_correio).glob("*.eml"), key=ordem_natural)
    if not mensagens:
        print("    (nenhuma mensagem)")
        return 0
    for caminho in mensagens:
        with open(caminho, "rb") as f:
            msg = email.message_from_binary_file(f, policy=email.policy.default)
        anexos = []
        for parte in msg.iter_attachments():
            nome = pathlib.Path(parte.get_filename() or "anexo").name
            destino = pathlib.Path(pasta_anexos) / caminho.stem / nome
            destino.parent.mkdir(parents=True, exist_ok=True)
            destino.write_bytes(parte.get_payload(decode=True))
            anexos.append(nome)
        copia = f" (Cc {msg['Cc']})" if msg["Cc"] else ""
        print(f"    {caminho.name}: \"{msg['Subject']}\" para {msg['To']}{copia}; anexo {', '.join(anexos)}")
    print(f"    {len(mensagens)} mensagens; os anexos estão em {pasta_anexos}/<mensagem>/")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
