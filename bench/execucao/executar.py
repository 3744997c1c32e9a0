#!/usr/bin/python3
"""Whole-run benchmark of the daily ("/S") and weekly ("/3S") sets.

For each size it generates a large company, runs both sets of the Release program in automatic
mode with mail written to a pickup folder, and measures in the same run the irreducible work:
the traced statements replayed alone on the same database (bench_repetir_sql, through the
program's own database layer) plus the same cells written straight on libxlsxwriter
(bench_escrever_livros). Prints ratios, statements, peak memory, files and bytes, and the time
the program's proof that its workbooks are whole takes on them (bench_verificar_livros).

With --correio it runs instead the mail leg: the weekly set of one company into the pickup folder
and into a local SMTP server with STARTTLS and login (the tests' aiosmtpd server, a throwaway
certificate given as CertificadoCA), once with the run's connection and once with a connection
per message, each leg twice in turn (--repeticoes), and prints the fastest run of each: wall and
processor seconds, messages per second and connections opened.

    /usr/bin/python3 bench/execucao/executar.py                  # 125,000, 250,000, 500,000 lines
    /usr/bin/python3 bench/execucao/executar.py --linhas 500000 --conjuntos /S   # one size, one set
    /usr/bin/python3 bench/execucao/executar.py --correio        # mail leg, 125,000 lines

Times are processor seconds (user + system) of the child, so other work on the machine does not
count; wall seconds are shown beside them.
"""
import argparse
import email
import email.policy
import io
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
import zipfile
from pathlib import Path

RAIZ = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(RAIZ / "tools"))
from livroxlsx import M, NS, TIPO_XLSX, folhas, textos_partilhados  # noqa: E402  (the tools' workbook reader)

DATA_CORRIDA = "2026-12-07"
VENDEDORES, CLIENTES, ARTIGOS = 80, 20000, 15000
LIMITE_MEMORIA_MB = 1024
# Run against irreducible work: the daily set anywhere; the weekly set on disk and in memory.
LIMITE_RAZAO = {"/S": (1.25, 1.25), "/3S": (1.5, 1.3)}
LIMITE_SMTP = 1.3  # the STARTTLS run against the pickup-folder run, wall time
LIMITE_FSYNC_PASTA, LIMITE_FSYNC_SMTP = 2, 1  # per message: the .eml and the ledger line; the ledger line
PYTHON = "/usr/bin/python3"  # Debian's, which sees python3-aiosmtpd


class Medida:
    """Processor and wall seconds, and peak resident memory, of one child process."""

    def __init__(self, cpu=0.0, parede=0.0, memoria_kb=0):
        self.cpu, self.parede, self.memoria_kb = cpu, parede, memoria_kb


def correr(argumentos, ambiente=None, saida=subprocess.DEVNULL):
    """Runs a child and reads its own resource use (wait4), not that of earlier children."""
    inicio = time.monotonic()
    filho = subprocess.Popen(argumentos, env=ambiente, stdout=saida, stderr=subprocess.PIPE)
    _, estado, uso = os.wait4(filho.pid, 0)
    parede = time.monotonic() - inicio
    erros = filho.stderr.read().decode("utf-8", "replace")
    filho.stderr.close()
    codigo = os.waitstatus_to_exitcode(estado)
    if codigo != 0:
        sys.exit(f"{' '.join(map(str, argumentos))} terminou com o estado {codigo}:\n{erros}")
    return Medida(uso.ru_utime + uso.ru_stime, parede, uso.ru_maxrss)


def contar_fsync(argumentos, ambiente, registo):
    """Runs the child once more under strace and counts its calls that flush to disk (fsync,
    fdatasync, sync_file_range, syncfs, sync), every thread and child included. Returns the total
    and the run's own share: flushes of a folder, and one for each line the run added to the ledger
    in the log folder "registo" that names no message (its header, a company's closing line).
    With --seccomp-bpf strace stops the child only at those calls, so the run is not slowed by it.
    None without strace."""
    if shutil.which("strace") is None:
        return None
    entregas = registo / "ENTREGAS_MAPAS.txt"
    antes = entregas.stat().st_size if entregas.exists() else 0
    with tempfile.NamedTemporaryFile(prefix="quorvelanti-strace-") as rasto:
        correr(["strace", "-f", "--seccomp-bpf", "-y", "-o", rasto.name,
                "-e", "trace=fsync,fdatasync,sync_file_range,syncfs,sync", *argumentos], ambiente)
        chamadas = re.findall(r"\b(?:fsync|fdatasync|sync_file_range|syncfs|sync)\((?:\d+<([^>]*)>)?",
                              Path(rasto.name).read_text())
    with open(entregas, "rb") as f:
        f.seek(antes)
        acrescentadas = f.read().decode("utf-8", "replace").splitlines()
    sem_mensagem = [x for x in acrescentadas if x.startswith("#") or x.split("\t")[5:6] == ["completa"]]
    pastas = sum(1 for caminho in chamadas if caminho and Path(caminho).is_dir())
    return len(chamadas), pastas + len(sem_mensagem)


def pares(texto):
    """The key=value line the two helpers print."""
    return {k: float(v) for k, v in re.findall(r"(\w+)=([\d.]+)", texto)}


def compilar(pasta):
    """Builds the five programs; a new folder is a Release build, an existing one keeps its type."""
    tipo = [] if (pasta / "CMakeCache.txt").exists() else ["-DCMAKE_BUILD_TYPE=Release"]
    subprocess.run(["cmake", "-S", RAIZ, "-B", pasta, *tipo], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", pasta, "-j2", "--target", "quorvelanti", "quorvelanti-gerador",
                    "bench_repetir_sql", "bench_escrever_livros", "bench_verificar_livros"], check=True,
                   stdout=subprocess.DEVNULL)
    return {"programa": pasta / "src/main/quorvelanti",
            "gerador": pasta / "tools/gerador/quorvelanti-gerador",
            "repetir": pasta / "bench/execucao/bench_repetir_sql",
            "escrever": pasta / "bench/execucao/bench_escrever_livros",
            "verificar": pasta / "bench/execucao/bench_verificar_livros"}


def escrever_parametros(pasta, conjunto, smtp=None, empresa=(), vendedores=VENDEDORES):
    """The parameter file of one set: one company (with the 'empresa' keys besides), every
    recipient set, mail to a pickup folder or, given its "SMTP" keys, to a server."""
    vendedores = ",".join(f"V{i:02d},vendedor.v{i:02d}@exemplo.pt" for i in range(1, vendedores + 1))
    nome = {"/S": "Quorvelanti.qel", "/3S": "MapaEncSemana.qel"}[conjunto]
    etiqueta = conjunto.strip("/")
    texto = "\r\n".join([
        "[EMPRESAS]", "Grande", "[FIM]", "",
        "[Grande]", "Motor=SQLite", "Empresa=../empresa.db",
        "DestinoAdm=administracao@exemplo.pt", f"DestinoVnd={vendedores}",
        "DestinoEnc=compras@exemplo.pt", "GrupoPortes='PORTES'", *empresa, "",
        "[email]", "Assunto=Mapas", "",
        "[SMTP]", "emailEmissor=relatorios@exemplo.pt",
        *(smtp if smtp is not None else [f"PastaSaida={pasta / ('correio' + etiqueta)}"]), "",
        "[Log]", f"Directoria={pasta / ('registo' + etiqueta)}", ""])
    (pasta / "dorvam").mkdir(parents=True, exist_ok=True)
    (pasta / ("correio" + etiqueta)).mkdir(exist_ok=True)
    (pasta / ("registo" + etiqueta)).mkdir(exist_ok=True)
    ficheiro = pasta / "dorvam" / nome
    ficheiro.write_bytes(texto.encode("utf-8"))
    ficheiro.chmod(0o600)


def livros_escritos(correio, registo):
    """Every workbook the run wrote: attached to its messages, or left in the log folder."""
    livros, emls = [], []
    for eml in sorted(correio.glob("*.eml")):
        emls.append(eml.stat().st_size)
        mensagem = email.message_from_bytes(eml.read_bytes(), policy=email.policy.default)
        for parte in mensagem.iter_attachments():
            if parte.get_content_type() == TIPO_XLSX:
                livros.append(parte.get_content())
    livros += [x.read_bytes() for x in sorted(registo.glob("*.xlsx"))]
    return livros, emls


def escapar(texto):
    return (texto.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r"))


def coordenadas(ref):
    letras, numero = re.fullmatch(r"([A-Z]+)(\d+)", ref).groups()
    coluna = 0
    for c in letras:
        coluna = coluna * 26 + ord(c) - ord("A") + 1
    return int(numero) - 1, coluna - 1


def planear_livro(conteudo, nome, plano):
    """Writes the plan lines of one workbook's cells (see bench_escrever_livros.cpp)."""
    with zipfile.ZipFile(io.BytesIO(conteudo)) as z:
        estilos = ET.fromstring(z.read("xl/styles.xml")).find("m:cellXfs", NS)
        # Texts are shared in a workbook held whole in memory, inline in one written row by row.
        em_memoria = "xl/sharedStrings.xml" in z.namelist()
        partilhados = textos_partilhados(z)
        modo = "memoria" if em_memoria else "linhas"
        plano.write(f"W\t{nome}\t{max(int(estilos.get('count', '1')) - 1, 0)}\t{modo}\n")
        for nome_folha, parte in folhas(z):
            plano.write(f"S\t{escapar(nome_folha)}\n")
            with z.open(parte) as xml:
                for _, c in ET.iterparse(xml):
                    if c.tag == M + "c":
                        planear_celula(c, partilhados, plano)
                        c.clear()


def planear_celula(c, partilhados, plano):
    linha, coluna = coordenadas(c.get("r"))
    formato = int(c.get("s", "0")) - 1
    formula, valor, texto = c.find(M + "f"), c.find(M + "v"), c.find(M + "is/" + M + "t")
    if formula is not None:
        tipo = "t" if c.get("t") == "str" else "f"
        resultado = valor.text if valor is not None and valor.text else ("" if tipo == "t" else "0")
        campos = [tipo, resultado, formula.text or ""]
    elif texto is not None:
        campos = ["s", texto.text or ""]
    elif c.get("t") == "s":
        campos = ["s", partilhados[int(valor.text)]]
    elif valor is not None:
        campos = ["n", valor.text]
    else:
        campos = ["b", ""]
    plano.write("\t".join(["C", str(linha), str(coluna), campos[0], str(formato)] + [escapar(x) for x in campos[1:]])
                + "\n")


def apagar_saidas(pasta, etiqueta):
    """The messages and workbooks a run left, so the next run starts as the first did."""
    for velho in [*(pasta / ("correio" + etiqueta)).glob("*.eml"), *(pasta / ("registo" + etiqueta)).glob("*.xlsx")]:
        velho.unlink()


def medir_conjunto(ferramentas, pasta, conjunto, repeticoes):
    etiqueta = conjunto.strip("/")
    registo_sql = pasta / f"sql{etiqueta}.txt"
    ambiente = dict(os.environ, QUORVELANTI_PASTA_BASE=str(pasta), QUORVELANTI_DATA=DATA_CORRIDA,
                    QUORVELANTI_TRACE_SQL=str(registo_sql))
    plano, copias = pasta / f"plano{etiqueta}.txt", pasta / f"livros{etiqueta}"
    corridas, sqls, escritas, provas, memoria_kb = [], [], [], [], 0
    # Run, replay and bare writing in turn, each 'repeticoes' times: the fastest of each counts, as
    # the slower ones paid for the machine's other work.
    for vez in range(repeticoes):
        if vez:
            apagar_saidas(pasta, etiqueta)
        registo_sql.unlink(missing_ok=True)
        corridas.append(correr([ferramentas["programa"], conjunto], ambiente))
        memoria_kb = max(memoria_kb, corridas[-1].memoria_kb)
        sqls.append(pares(subprocess.run([ferramentas["repetir"], pasta / "empresa.db", registo_sql],
                                         check=True, capture_output=True, text=True).stdout))
        if not vez:
            livros, emls = livros_escritos(pasta / ("correio" + etiqueta), pasta / ("registo" + etiqueta))
            with open(plano, "w", encoding="utf-8", newline="\n") as p:
                for i, conteudo in enumerate(livros):
                    planear_livro(conteudo, f"{i:05d}.xlsx", p)
            shutil.rmtree(copias, ignore_errors=True)
            copias.mkdir()
            for i, conteudo in enumerate(livros):
                (copias / f"{i:05d}.xlsx").write_bytes(conteudo)
        escritas.append(pares(subprocess.run([ferramentas["escrever"], plano, pasta / f"nu{etiqueta}"],
                                             check=True, capture_output=True, text=True).stdout))
        shutil.rmtree(pasta / f"nu{etiqueta}")
        provas.append(pares(subprocess.run([ferramentas["verificar"], copias],
                                           check=True, capture_output=True, text=True).stdout))
    plano.unlink()
    shutil.rmtree(copias)
    corrida = min(corridas, key=lambda m: m.cpu)
    sql, escrita, prova = (min(medidas, key=lambda m: m["cpu"]) for medidas in (sqls, escritas, provas))
    corrida.memoria_kb = memoria_kb

    # The same run once more, counting its flushes to disk against the messages it wrote.
    apagar_saidas(pasta, etiqueta)
    ambiente.pop("QUORVELANTI_TRACE_SQL")
    fsync = contar_fsync([ferramentas["programa"], conjunto], ambiente, pasta / ("registo" + etiqueta))
    mensagens = len(list((pasta / ("correio" + etiqueta)).glob("*.eml")))
    return {"conjunto": conjunto, "corrida": corrida, "sql": sql, "escrita": escrita, "prova": prova,
            "livros": len(livros), "bytes_livros": sum(map(len, livros)),
            "emls": len(emls), "bytes_emls": sum(emls),
            "fsync": fsync, "mensagens": mensagens}


def medir_tamanho(ferramentas, trabalho, linhas, conjuntos, repeticoes):
    pasta = trabalho / str(linhas)
    shutil.rmtree(pasta, ignore_errors=True)
    pasta.mkdir(parents=True)
    subprocess.run([ferramentas["gerador"], "--saida", pasta / "empresa.db", "--data", DATA_CORRIDA,
                    "--semente", "1", "--linhas", str(linhas), "--vendedores", str(VENDEDORES),
                    "--clientes", str(CLIENTES), "--artigos", str(ARTIGOS)], check=True, stdout=subprocess.DEVNULL)
    resultados = []
    for conjunto in conjuntos:
        escrever_parametros(pasta, conjunto)
        resultados.append(medir_conjunto(ferramentas, pasta, conjunto, repeticoes))
    return resultados


def em_memoria(pasta):
    """True when the folder lies on a file system in memory (tmpfs)."""
    pasta, melhor, tipo = str(pasta.resolve()), "", ""
    for linha in Path("/proc/mounts").read_text().splitlines():
        ponto, sistema = linha.split()[1], linha.split()[2]
        if (pasta == ponto or pasta.startswith(ponto.rstrip("/") + "/")) and len(ponto) > len(melhor):
            melhor, tipo = ponto, sistema
    return tipo == "tmpfs"


def mostrar(linhas, r, memoria_rapida):
    c, sql, esc = r["corrida"], r["sql"], r["escrita"]
    limite = LIMITE_RAZAO[r["conjunto"]][1 if memoria_rapida else 0]
    minimo_cpu, minimo_parede = sql["cpu"] + esc["cpu"], sql["parede"] + esc["parede"]
    razao = c.cpu / minimo_cpu
    memoria = c.memoria_kb / 1024
    print(f"{linhas:>7} {r['conjunto']:>3} | corrida {c.cpu:7.2f} s cpu ({c.parede:7.2f} s parede)"
          f" | mínimo {minimo_cpu:7.2f} s cpu = SQL {sql['cpu']:.2f} + livros {esc['cpu']:.2f}"
          f" | razão {razao:4.2f} cpu, {c.parede / minimo_parede:4.2f} parede"
          f" {'ok' if razao <= limite else 'ACIMA de %.2f' % limite}")
    print(f"{'':>11} | {int(sql['instrucoes'])} instruções, {int(sql['linhas'])} linhas lidas,"
          f" {int(esc['celulas'])} células em {r['livros']} livros ({r['bytes_livros'] / 1e6:.1f} MB),"
          f" {r['emls']} .eml ({r['bytes_emls'] / 1e6:.1f} MB)"
          f" | prova dos livros {r['prova']['cpu']:.3f} s cpu ({100 * r['prova']['cpu'] / c.cpu:.1f} % da corrida,"
          f" {100 * r['prova']['cpu'] / esc['cpu']:.0f} % da escrita nua)"
          f" | memória máxima {memoria:.0f} MB {'ok' if memoria < LIMITE_MEMORIA_MB else 'ACIMA de 1 GB'}"
          + ("" if r["fsync"] is None else " | " + mostrar_fsync(*r["fsync"], r["mensagens"], LIMITE_FSYNC_PASTA)))
    return razao


def mostrar_fsync(total, da_corrida, mensagens, limite):
    """Flushes per message, the run's own (ledger header and closing lines, folders) set apart."""
    por_mensagem = (total - da_corrida) / max(mensagens, 1)
    return (f"{por_mensagem:.2f} fsync por mensagem ({total} = {total - da_corrida} em {mensagens} mensagens"
            f" + {da_corrida} da corrida) {'ok' if por_mensagem <= limite else 'ACIMA de %d' % limite}")


def mostrar_crescimento(medidas, conjuntos):
    """Cost per line of each size against the smallest: 1.00 everywhere is linear growth."""
    print("\nCrescimento (tempo de processador por linha de documento, relativo ao menor tamanho):")
    base = medidas[0]
    for conjunto in conjuntos:
        partes = []
        for linhas, resultados in medidas:
            r = next(x for x in resultados if x["conjunto"] == conjunto)
            r0 = next(x for x in base[1] if x["conjunto"] == conjunto)
            por_linha = (r["corrida"].cpu / linhas) / (r0["corrida"].cpu / base[0])
            minimo = ((r["sql"]["cpu"] + r["escrita"]["cpu"]) / linhas) / (
                (r0["sql"]["cpu"] + r0["escrita"]["cpu"]) / base[0])
            partes.append(f"{linhas}: corrida {por_linha:4.2f}, mínimo {minimo:4.2f}")
        print(f"  {conjunto:>3}  " + " | ".join(partes))


class ServidorSmtp:
    """The tests' SMTP server on 127.0.0.1 with STARTTLS required and login, in its own process.
    It keeps what it takes in memory (/dev/shm): a mail server's own disk is not this machine's,
    and on a busy shared disk its three file creations a message cost more than the program."""

    def __init__(self):
        memoria = "/dev/shm" if Path("/dev/shm").is_dir() else None
        self.pasta = pasta = Path(tempfile.mkdtemp(prefix="quorvelanti-smtp-", dir=memoria))
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                        "-keyout", pasta / "chave.pem", "-out", pasta / "certificado.pem"],
                       check=True, capture_output=True)
        with open(pasta / "servidor.log", "wb") as registo:
            self.processo = subprocess.Popen(
                [PYTHON, RAIZ / "tests/apoio/servidor_smtp.py", "servir", "--pasta", pasta, "--tls", "starttls",
                 "--certificado", pasta / "certificado.pem", "--chave", pasta / "chave.pem",
                 "--utilizador", "relatorios", "--password", "segredo"], stdout=registo, stderr=registo)
        inicio = time.monotonic()
        while not (pasta / "porta").exists():
            if self.processo.poll() is not None or time.monotonic() - inicio > 20:
                sys.exit("o servidor SMTP não arrancou: " + (pasta / "servidor.log").read_text())
            time.sleep(0.05)

    def chaves(self, extra=()):
        return ["Servidor=127.0.0.1", f"Porta={(self.pasta / 'porta').read_text()}", "Seguranca=starttls",
                f"CertificadoCA={self.pasta / 'certificado.pem'}", "Utilizador=relatorios", "Password=segredo",
                *extra]

    def parar(self):
        """Ends the server; returns its processor seconds, connections, QUITs and messages taken."""
        self.processo.send_signal(signal.SIGTERM)
        _, _, uso = os.wait4(self.processo.pid, 0)
        registo = (self.pasta / "registo.txt").read_text().splitlines()
        mensagens = len(list(self.pasta.glob("*.env")))
        shutil.rmtree(self.pasta)
        return uso.ru_utime + uso.ru_stime, registo.count("ligacao"), registo.count("quit"), mensagens


def correr_correio(ferramentas, pasta, ambiente, extra):
    """One weekly run: into the pickup folder when extra is None, else into a fresh server with
    those "SMTP" keys added. Returns the run's measure and the messages, connections, QUITs and
    processor seconds seen on the other side."""
    if extra is None:
        shutil.rmtree(pasta / "correio3S", ignore_errors=True)
        escrever_parametros(pasta, "/3S")
        medida = correr([ferramentas["programa"], "/3S"], ambiente)
        return medida, (len(list((pasta / "correio3S").glob("*.eml"))), 0, 0, 0.0)
    servidor = ServidorSmtp()
    escrever_parametros(pasta, "/3S", servidor.chaves(extra))
    try:
        medida = correr([ferramentas["programa"], "/3S"], ambiente)
    finally:
        cpu, ligacoes, quits, mensagens = servidor.parar()
    return medida, (mensagens, ligacoes, quits, cpu)


def medir_correio(ferramentas, trabalho, linhas, repeticoes):
    """The weekly set into the pickup folder and into a STARTTLS server, on the same company, the
    legs taken in turn; each leg's fastest run counts, since the others were slowed by the machine."""
    pasta = trabalho / f"correio{linhas}"
    shutil.rmtree(pasta, ignore_errors=True)
    pasta.mkdir(parents=True)
    subprocess.run([ferramentas["gerador"], "--saida", pasta / "empresa.db", "--data", DATA_CORRIDA,
                    "--semente", "1", "--linhas", str(linhas), "--vendedores", str(VENDEDORES),
                    "--clientes", str(CLIENTES), "--artigos", str(ARTIGOS)], check=True, stdout=subprocess.DEVNULL)
    ambiente = dict(os.environ, QUORVELANTI_PASTA_BASE=str(pasta), QUORVELANTI_DATA=DATA_CORRIDA)
    pernas = {"pasta de recolha": None, "SMTP STARTTLS, ligação da corrida": (),
              "SMTP STARTTLS, ligação por mensagem": ("MensagensPorLigacao=1",)}
    melhores = {}
    for _ in range(repeticoes):
        for nome, extra in pernas.items():
            medida, lado = correr_correio(ferramentas, pasta, ambiente, extra)
            if nome not in melhores or medida.parede < melhores[nome][0].parede:
                melhores[nome] = (medida, lado)
    print(f"Correio do conjunto semanal, {linhas} linhas, melhor de {repeticoes} corridas por perna;"
          f" meta: STARTTLS <= {LIMITE_SMTP} × pasta de recolha (tempo de parede)")
    recolha = melhores["pasta de recolha"][0]
    for nome, (medida, (mensagens, ligacoes, quits, cpu)) in melhores.items():
        linha = (f"  {nome:<35} | {medida.parede:6.2f} s parede, {medida.cpu:6.2f} s cpu"
                 f" | {mensagens} mensagens, {mensagens / medida.parede:4.0f} por segundo")
        if pernas[nome] is not None:
            razao = medida.parede / recolha.parede
            linha += (f" | {ligacoes} ligações, {quits} QUIT, servidor {cpu:.2f} s cpu | razão {razao:4.2f}"
                      f" {'ok' if razao <= LIMITE_SMTP else 'ACIMA de %.1f' % LIMITE_SMTP}")
        print(linha)
    if len({lado[0] for _, lado in melhores.values()}) != 1:
        sys.exit("as pernas não enviaram o mesmo número de mensagens")
    # Once more with the run's connection, counting the flushes to disk per message sent.
    servidor = ServidorSmtp()
    escrever_parametros(pasta, "/3S", servidor.chaves())
    try:
        fsync = contar_fsync([ferramentas["programa"], "/3S"], ambiente, pasta / "registo3S")
    finally:
        mensagens = servidor.parar()[3]
    if fsync is not None:
        print("  SMTP: " + mostrar_fsync(*fsync, mensagens, LIMITE_FSYNC_SMTP))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--compilacao", type=Path, default=RAIZ / "build-bench", help="Release build folder")
    p.add_argument("--trabalho", type=Path, default=RAIZ / "build-bench" / "execucao", help="companies, logs, mail")
    p.add_argument("--linhas", help="document lines, comma-separated (default 125000,250000,500000)")
    p.add_argument("--conjuntos", default="/S,/3S", help="report sets, comma-separated")
    p.add_argument("--correio", action="store_true", help="the mail leg instead (125,000 lines unless --linhas)")
    p.add_argument("--repeticoes", type=int, default=2,
                   help="runs of each set (with its replay and bare writing) or mail leg; the fastest counts")
    a = p.parse_args()
    ferramentas = compilar(a.compilacao.resolve())
    if a.correio:
        for linhas in (int(x) for x in (a.linhas or "125000").split(",")):
            medir_correio(ferramentas, a.trabalho.resolve(), linhas, a.repeticoes)
        return
    a.trabalho.mkdir(parents=True, exist_ok=True)
    rapida = em_memoria(a.trabalho)
    print(f"Empresa: {VENDEDORES} vendedores, {CLIENTES} clientes, {ARTIGOS} artigos, treze meses até {DATA_CORRIDA};"
          f" correio numa pasta{' em memória' if rapida else ''};"
          f" metas: razão /S <= {LIMITE_RAZAO['/S'][0]}, /3S <= {LIMITE_RAZAO['/3S'][0]} em disco e"
          f" {LIMITE_RAZAO['/3S'][1]} em memória, memória < 1 GB, custo linear nas linhas,"
          f" fsync por mensagem <= {LIMITE_FSYNC_PASTA}")
    conjuntos = a.conjuntos.split(",")
    medidas = []
    for linhas in (int(x) for x in (a.linhas or "125000,250000,500000").split(",")):
        resultados = medir_tamanho(ferramentas, a.trabalho.resolve(), linhas, conjuntos, a.repeticoes)
        for r in resultados:
            mostrar(linhas, r, rapida)
        sys.stdout.flush()
        medidas.append((linhas, resultados))
    if len(medidas) > 1:
        mostrar_crescimento(medidas, conjuntos)


if __name__ == "__main__":
    main()
