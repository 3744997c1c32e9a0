#!/usr/bin/python3
"""SMTP server for tests, on 127.0.0.1, and a reader of received messages.

  servidor_smtp.py servir --pasta DIR [options]   (see the options below)
      Listens on a free port of 127.0.0.1 and writes it to DIR/porta once it accepts. Each message
      taken is stored as DIR/NNNN.eml (the raw DATA bytes) and DIR/NNNN.env (envelope, one fact a
      line: "de <addr>", "para <addr>"..., "ehlo <name>", "login <user>", "tls sim|nao", "ligacao
      <n>" (the connection it came on, from 1), "hora <seconds of CLOCK_MONOTONIC>"); the .env
      is written last, so a listed .env always has its .eml. DIR/registo.txt gets one line per
      connection ("ligacao"), per MAIL command ("mail <addr>") and per QUIT ("quit"). A 421 reply
      closes the connection, as real servers do. With --limite N --janela S, MAIL commands beyond N
      in a fixed window of S seconds (from the first MAIL of the window, over every connection)
      get --resposta-limite, as a sending-rate limit does.
      With --oauth it also serves an OAuth 2.0 token endpoint over HTTPS (same certificate) and
      writes its port to DIR/porta-token; the SMTP server then takes only XOAUTH2 logins with an
      unexpired token that endpoint issued. registo.txt gets "token <form> <token>" per token
      issued, "recusa-token <reason>" per refused request and "auth xoauth2 ok|recusado".
      A careless server: while DIR/respostas-token holds lines, each request to the endpoint takes
      the first one away and gets that answer instead of the usual one (see Emissor.eco); while
      DIR/respostas-login does, each PLAIN login is refused quoting the password in the line's
      form (see citado). Each text quoting a secret goes to registo.txt as "eco <hex>".
  servidor_smtp.py ler SAIDA FICHEIRO...
      Reads each message with Python's email package and writes what it found into the folder
      SAIDA/<n> (n from 0, see ler() below), so the tests check messages with an independent reader.
"""
import argparse
import asyncio
import base64
import email
import email.policy
import html
import json
import os
import quopri
import re
import secrets
import ssl
import sys
import time
import urllib.parse

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword
from cryptography import x509
from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import padding

TIPO_ASSERCAO = "urn:ietf:params:oauth:client-assertion-type:jwt-bearer"
CONCESSAO_JWT = "urn:ietf:params:oauth:grant-type:jwt-bearer"
SEGREDO_ERRADO = ("AADSTS7000215: Invalid client secret provided. Ensure the secret being sent in the "
                  "request is the client secret value, not the client secret ID.\r\nTrace ID: 0f1e")


def escrever_atomico(caminho, dados):
    temporario = caminho + ".tmp"
    with open(temporario, "wb") as f:
        f.write(dados)
    os.replace(temporario, caminho)


def b64url(dados):
    return base64.urlsafe_b64encode(dados).rstrip(b"=").decode()


def de_b64url(texto):
    return base64.urlsafe_b64decode(texto + "=" * (-len(texto) % 4))


class Recusa(Exception):
    pass


def proxima_resposta(pasta, nome):
    """The first line of DIR/<nome>, taken away: the answer the test chose for the next request.
    None when the file does not exist, "" when it is empty."""
    caminho = os.path.join(pasta, nome)
    try:
        with open(caminho) as f:
            linhas = f.read().splitlines()
    except FileNotFoundError:
        return None
    escrever_atomico(caminho, "".join(linha + "\n" for linha in linhas[1:]).encode())
    return linhas[0] if linhas else ""


def citado(segredo, forma):
    """The secret (bytes) as a careless server quotes it back, in one of the forms it may take."""
    texto = segredo.decode()
    minusculas = lambda t: re.sub("%[0-9A-F]{2}", lambda m: m.group(0).lower(), t)
    formas = {
        "plano": lambda: segredo,
        "url": lambda: urllib.parse.quote(texto, safe="").encode(),
        "url-mais": lambda: minusculas(urllib.parse.quote_plus(texto)).encode(),
        "json": lambda: json.dumps(texto).encode(),
        "base64": lambda: base64.b64encode(segredo),
        "base64-1": lambda: base64.b64encode(b"x" + segredo + b"!"),
        "base64-2": lambda: base64.b64encode(b"xy" + segredo + b"!"),
        "base64url-1": lambda: base64.urlsafe_b64encode(b"x" + segredo + b"?!"),
        "qp": lambda: quopri.encodestring(segredo).rstrip(b"\n"),
        "html": lambda: html.escape(texto).encode("ascii", "xmlcharrefreplace"),
        "windows1252": lambda: texto.encode("cp1252"),
    }
    return formas[forma]()


class EmissorTokens:
    """The token endpoint: checks each of the three client-credentials requests as Microsoft's
    and Google's endpoints do (signature, thumbprints, audience, issuer, lifetimes) and issues
    tokens that expire after --validade-token seconds."""

    def __init__(self, opcoes, registar):
        self.opcoes = opcoes
        self.registar = registar
        self.url = ""
        self.tokens = {}
        self.jtis = set()
        self.certificado = None
        if opcoes.oauth_certificado:
            with open(opcoes.oauth_certificado, "rb") as f:
                self.certificado = x509.load_pem_x509_certificate(f.read())

    def jwt(self, texto, validade_maxima):
        cabecalho, corpo, assinatura = texto.split(".")
        if self.certificado is None:
            raise Recusa("sem certificado")
        self.certificado.public_key().verify(de_b64url(assinatura), (cabecalho + "." + corpo).encode(),
                                             padding.PKCS1v15(), hashes.SHA256())
        cabecalho, corpo = json.loads(de_b64url(cabecalho)), json.loads(de_b64url(corpo))
        agora = time.time()
        if cabecalho.get("alg") != "RS256" or corpo.get("aud") != self.url:
            raise Recusa("alg ou aud")
        if not (corpo["iat"] <= agora + 60 and agora < corpo["exp"] <= corpo["iat"] + validade_maxima):
            raise Recusa("iat/exp")
        return cabecalho, corpo

    def emitir(self, campos):
        g = lambda nome: campos.get(nome, [""])[0]
        o = self.opcoes
        try:
            if g("grant_type") == "client_credentials" and g("client_secret"):
                if g("client_id") != o.oauth_cliente or g("client_secret") != o.oauth_segredo:
                    return 401, {"error": "invalid_client", "error_description": SEGREDO_ERRADO}
                forma, sujeito = "segredo", ""
            elif g("grant_type") == "client_credentials" and g("client_assertion_type") == TIPO_ASSERCAO:
                cabecalho, corpo = self.jwt(g("client_assertion"), 600)
                digito = lambda algoritmo: b64url(self.certificado.fingerprint(algoritmo))
                if (cabecalho.get("x5t#S256") != digito(hashes.SHA256()) or cabecalho.get("x5t") != digito(hashes.SHA1())
                        or not corpo.get("jti") or corpo["jti"] in self.jtis or corpo.get("nbf", 0) > time.time() + 60
                        or not (corpo.get("iss") == corpo.get("sub") == g("client_id") == o.oauth_cliente)):
                    raise Recusa("reivindicações do certificado")
                self.jtis.add(corpo["jti"])
                forma, sujeito = "certificado", ""
            elif g("grant_type") == CONCESSAO_JWT:
                _, corpo = self.jwt(g("assertion"), 3600)
                if corpo.get("iss") != o.oauth_conta or corpo.get("scope") != "https://mail.google.com/":
                    raise Recusa("iss ou scope da conta de serviço")
                forma, sujeito = "conta", corpo.get("sub", "")
            else:
                return 400, {"error": "unsupported_grant_type"}
            if forma != "conta" and g("scope") != "https://outlook.office365.com/.default":
                return 400, {"error": "invalid_scope", "error_description": "AADSTS70011: scope " + g("scope")}
        except Exception as e:
            self.registar("recusa-token " + type(e).__name__ + " " + str(e))
            return 400, {"error": "invalid_client", "error_description": "AADSTS700027: assertion refused"}
        return self.novo_token(forma, sujeito)

    def novo_token(self, forma, sujeito):
        """Issues a token for 'sujeito' that expires after --validade-token seconds."""
        token = secrets.token_urlsafe(32)
        self.tokens[token] = (time.monotonic() + self.opcoes.validade_token, sujeito)
        self.registar("token %s %s" % (forma, token))
        return 200, {"token_type": "Bearer", "expires_in": self.opcoes.validade_token, "access_token": token}

    def valido(self, token, utilizador):
        expira, sujeito = self.tokens.get(token, (0, ""))
        return time.monotonic() < expira and sujeito in ("", utilizador)

    def eco(self, forma, campos, corpo):
        """A careless endpoint's answer: a refusal quoting the client secret in that form, an
        HTML page echoing the request, a refusal quoting the assertion, an access token where
        none belongs (HTTP 201, 500), or a busy service (429, 503)."""
        g = lambda nome: campos.get(nome, [""])[0]
        if forma in ("429", "503"):
            return int(forma), "application/json", json.dumps({"error": "temporarily_unavailable"}).encode()
        if forma in ("201", "500"):
            token = secrets.token_urlsafe(32)
            self.registar("token eco " + token)
            dados = json.dumps({"token_type": "Bearer", "expires_in": 3600, "access_token": token}).encode()
            return (201, "application/json", dados) if forma == "201" else (500, "text/plain", b"falhou depois de " + dados)
        if forma == "pagina":
            self.registar("eco " + re.search(rb"client_secret=([^&]*)", corpo).group(1).hex())
            return 400, "text/html", b"<html><body><h1>400 Bad Request</h1><pre>" + corpo + b"</pre></body></html>"
        if forma == "assercao":
            assercao = g("client_assertion") or g("assertion")
            self.registar("eco " + assercao.encode().hex())
            descricao = "AADSTS700027: Client assertion contains an invalid signature: " + assercao
            return 401, "application/json", json.dumps({"error": "invalid_client", "error_description": descricao}).encode()
        fragmento = citado(g("client_secret").encode(), forma)
        self.registar("eco " + fragmento.hex())
        if forma == "windows1252":
            return 400, "text/plain; charset=windows-1252", b"Segredo recusado: " + fragmento
        descricao = "AADSTS7000215: Invalid client secret provided: " + fragmento.decode()
        return 401, "application/json", json.dumps({"error": "invalid_client", "error_description": descricao}).encode()

    async def atender(self, leitor, escritor):
        try:
            await leitor.readline()
            cabecalhos = {}
            while True:
                linha = (await leitor.readline()).decode()
                if linha in ("\r\n", "\n", ""):
                    break
                nome, _, valor = linha.partition(":")
                cabecalhos[nome.strip().lower()] = valor.strip()
            corpo = await leitor.readexactly(int(cabecalhos.get("content-length", "0")))
            campos = urllib.parse.parse_qs(corpo.decode())
            forma = proxima_resposta(self.opcoes.pasta, "respostas-token")
            if forma == "grande":
                # No length said, 80 KB of a token, then silence until the client gives up (30 s at most).
                escritor.write(b"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n"
                               b'{"access_token": "' + b"A" * 80 * 1024)
                await escritor.drain()
                await asyncio.sleep(30)
                return
            if forma:
                estado, tipo, dados = self.eco(forma, campos, corpo)
            else:
                estado, resposta = self.emitir(campos)
                tipo, dados = "application/json", json.dumps(resposta).encode()
            escritor.write(b"HTTP/1.1 %d R\r\nContent-Type: %s\r\nContent-Length: %d\r\n"
                           b"Connection: close\r\n\r\n" % (estado, tipo.encode(), len(dados)) + dados)
            await escritor.drain()
        finally:
            escritor.close()


class Guardador:
    """aiosmtpd handler: stores messages and misbehaves as told."""

    def __init__(self, opcoes):
        self.opcoes = opcoes
        self.recusados = {a.lower() for a in opcoes.recusar}
        self.respostas_dados_restantes = opcoes.vezes
        self.dados_vistos = 0
        self.numero = 0
        self.ligacoes = 0
        self.inicio_janela = None
        self.na_janela = 0
        self.guardadas_sem_resposta = 0
        self.tokens_a_recusar = opcoes.recusar_tokens
        self.emissor = EmissorTokens(opcoes, self.registar) if opcoes.oauth else None

    def registar(self, linha):
        with open(os.path.join(self.opcoes.pasta, "registo.txt"), "a") as f:
            f.write(linha + "\n")

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        if self.opcoes.sem_auth:
            responses = [r for r in responses if not r[4:].startswith("AUTH")]
        return responses

    def limite_excedido(self):
        if not self.opcoes.limite:
            return False
        agora = time.monotonic()
        if self.inicio_janela is None or agora - self.inicio_janela >= self.opcoes.janela:
            self.inicio_janela, self.na_janela = agora, 0
        self.na_janela += 1
        return self.na_janela > self.opcoes.limite

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        self.registar("mail " + address)
        if address.lower() in self.recusados:
            return "550 5.7.1 <%s>: Sender address rejected" % address
        if self.limite_excedido():
            return self.opcoes.resposta_limite
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.recusados:
            return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
        if self.opcoes.max_destinatarios and len(envelope.rcpt_tos) >= self.opcoes.max_destinatarios:
            return "452 4.5.3 Error: too many recipients"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.dados_vistos += 1
        if (self.opcoes.resposta_dados and self.respostas_dados_restantes != 0
                and self.dados_vistos > self.opcoes.depois_de):
            self.respostas_dados_restantes -= 1
            return self.opcoes.resposta_dados
        server.aceites += 1
        self.numero += 1
        base = os.path.join(self.opcoes.pasta, "%04d" % self.numero)
        escrever_atomico(base + ".eml", envelope.original_content)
        linhas = ["de " + envelope.mail_from]
        linhas += ["para " + r for r in envelope.rcpt_tos]
        linhas.append("ehlo " + (session.host_name or ""))
        if session.authenticated:
            linhas.append("login " + session.auth_data.login.decode("utf-8", "replace"))
        tls = server.transport.get_extra_info("sslcontext") is not None
        linhas.append("tls " + ("sim" if tls else "nao"))
        linhas += ["ligacao %d" % server.numero_ligacao, "hora %.6f" % time.monotonic()]
        escrever_atomico(base + ".env", ("\n".join(linhas) + "\n").encode("utf-8"))
        if self.opcoes.apos_guardar != "responder" and self.guardadas_sem_resposta < self.opcoes.apos_guardar_vezes:
            # Stored, and the client never hears so: silence, or the connection closed.
            self.guardadas_sem_resposta += 1
            if self.opcoes.apos_guardar == "fechar":
                server.transport.close()
            await asyncio.Event().wait()
        return "250 2.0.0 OK: queued as %04d" % self.numero


class SmtpDeTeste(SMTP):
    """Counts connections and QUITs and, when told, drops the connection in the middle of a
    message or at the MAIL command after so many messages taken on it."""

    def __init__(self, guardador, fechar_nos_dados, fechar_apos, eco_auth, **kwargs):
        self.eco_auth = eco_auth
        super().__init__(guardador, **kwargs)
        self.guardador = guardador
        self.fechar_nos_dados = fechar_nos_dados
        self.fechar_apos = fechar_apos
        self.aceites = 0

    def connection_made(self, transport):
        if self.transport is None:
            self.guardador.registar("ligacao")
            self.guardador.ligacoes += 1
            self.numero_ligacao = self.guardador.ligacoes
        super().connection_made(transport)

    async def push(self, status):
        await super().push(status)
        if isinstance(status, str) and status.startswith("421"):
            self.transport.close()

    async def auth_XOAUTH2(self, _, args):
        dados = await self.challenge_auth("", encode_to_b64=False) if len(args) == 1 else base64.b64decode(args[1])
        if dados is MISSING:
            return AuthResult(success=False)
        campos = dict(p.split("=", 1) for p in dados.decode().split("\x01") if "=" in p)
        utilizador, token = campos.get("user", ""), campos.get("auth", "").replace("Bearer ", "", 1)
        emissor = self.guardador.emissor
        certo = emissor is not None and emissor.valido(token, utilizador)
        if certo and self.guardador.tokens_a_recusar > 0:
            self.guardador.tokens_a_recusar -= 1
            certo = False
        self.guardador.registar("auth xoauth2 " + ("ok" if certo else "recusado"))
        if not certo:
            return AuthResult(success=False, handled=False, message="535 5.7.3 Authentication unsuccessful")
        return AuthResult(success=True, auth_data=LoginPassword(utilizador.encode(), b""))

    async def auth_PLAIN(self, _, args):
        """With --eco-auth a refused password login is quoted back, as some servers do: its AUTH
        data, or the password in the form DIR/respostas-login names ("controlos": a long reply
        full of terminal escapes); an empty respostas-login lets the login through as usual."""
        forma = proxima_resposta(self.guardador.opcoes.pasta, "respostas-login")
        if not self.eco_auth or forma == "":
            return await super().auth_PLAIN(_, args)
        dados = await self.challenge_auth("") if len(args) == 1 else base64.b64decode(args[1])
        if dados is MISSING:
            return AuthResult(success=False, handled=False)
        if forma is None:
            return AuthResult(success=False, handled=False, message="535 5.7.139 Authentication unsuccessful, basic "
                              "authentication is disabled. Failed: AUTH PLAIN " + base64.b64encode(dados).decode())
        if forma == "controlos":
            return AuthResult(success=False, handled=False, message=b"535 5.7.8 \x1b[2J\x1b]0;titulo\x07Autenticacao "
                              b"falhou \x1b[31m" + b"x" * 1500)
        fragmento = citado(dados.split(b"\0")[-1], forma)
        self.guardador.registar("eco " + fragmento.hex())
        return AuthResult(success=False, handled=False, message=b"535 5.7.8 Authentication failed for " + fragmento)

    async def smtp_QUIT(self, arg):
        self.guardador.registar("quit")
        return await super().smtp_QUIT(arg)

    async def smtp_MAIL(self, arg):
        if self.fechar_apos and self.aceites >= self.fechar_apos:
            self.guardador.registar("mail " + (arg or ""))
            self.transport.abort()
            return
        return await super().smtp_MAIL(arg)

    async def smtp_DATA(self, arg):
        if not self.fechar_nos_dados or not self.envelope.rcpt_tos:
            return await super().smtp_DATA(arg)
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        await self._reader.readline()
        # Long enough for a client to have written the rest: from its side the text went whole.
        await asyncio.sleep(0.2)
        self.transport.abort()


class Mudo(asyncio.Protocol):
    """Takes the connection and never says a word: a server that hangs."""

    def __init__(self, guardador):
        self.guardador = guardador

    def connection_made(self, transport):
        self.guardador.registar("ligacao")
        self.transport = transport


def contexto_tls(opcoes):
    contexto = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    contexto.load_cert_chain(opcoes.certificado, opcoes.chave)
    return contexto


def autenticador(opcoes):
    def verificar(server, session, envelope, mechanism, auth_data):
        certo = (auth_data.login.decode() == opcoes.utilizador
                 and auth_data.password.decode() == opcoes.password)
        return AuthResult(success=certo, handled=False, auth_data=auth_data if certo else None)
    return verificar


async def servir(opcoes):
    guardador = Guardador(opcoes)
    tls = contexto_tls(opcoes) if opcoes.tls != "nenhum" else None
    argumentos = dict(
        hostname="teste.local",
        tls_context=tls if opcoes.tls == "starttls" else None,
        require_starttls=opcoes.tls == "starttls",
        # Implicit TLS has no STARTTLS step, so AUTH would never be offered; plain-text AUTH
        # is what the client's "Seguranca=nenhuma" tests need.
        auth_require_tls=opcoes.tls == "starttls",
        auth_required=(bool(opcoes.utilizador) or opcoes.oauth) and not opcoes.sem_auth,
        authenticator=autenticador(opcoes) if opcoes.utilizador else None,
        # XOAUTH2 alone for --oauth; PLAIN alone for --eco-auth, so that is what gets quoted.
        auth_exclude_mechanism=(["LOGIN", "PLAIN"] if opcoes.oauth else
                                ["LOGIN", "XOAUTH2"] if opcoes.eco_auth else ["XOAUTH2"]),
    )
    loop = asyncio.get_running_loop()
    if opcoes.mudo:
        fabrica = lambda: Mudo(guardador)
    else:
        fabrica = lambda: SmtpDeTeste(guardador, opcoes.fechar_nos_dados, opcoes.fechar_ligacao_apos,
                                      opcoes.eco_auth, **argumentos)
    if guardador.emissor is not None:
        servidor_token = await asyncio.start_server(guardador.emissor.atender, "127.0.0.1", 0, ssl=contexto_tls(opcoes))
        porta_token = servidor_token.sockets[0].getsockname()[1]
        guardador.emissor.url = "https://127.0.0.1:%d/inquilino/oauth2/v2.0/token" % porta_token
        escrever_atomico(os.path.join(opcoes.pasta, "url-token"), guardador.emissor.url.encode())
    servidor = await loop.create_server(fabrica, "127.0.0.1", 0,
                                        ssl=tls if opcoes.tls == "ssl" else None)
    porta = servidor.sockets[0].getsockname()[1]
    escrever_atomico(os.path.join(opcoes.pasta, "porta"), str(porta).encode())
    async with servidor:
        await servidor.serve_forever()


def ler(ficheiro, saida):
    """Writes into SAIDA: leitura.txt, one fact a line, tab-separated:
         cabecalho <Name> <decoded value>     every header, in order
         endereco <Name> <address>          each address of From, To, Cc, Bcc, Reply-To
         data <ISO 8601 with offset>          the Date header as parsed
         defeito <text>                       each defect the parser noticed
         anexo <n> <content type> <file name> attachment n, its bytes in SAIDA/anexo-<n>
       and the decoded text/plain body in SAIDA/corpo (UTF-8)."""
    with open(ficheiro, "rb") as f:
        mensagem = email.message_from_binary_file(f, policy=email.policy.default)
    linhas = []
    for nome, valor in mensagem.items():
        linhas.append(("cabecalho", nome, str(valor)))
        if nome.lower() in ("from", "to", "cc", "bcc", "reply-to"):
            linhas += [("endereco", nome, a.addr_spec) for a in valor.addresses]
        if nome.lower() == "date" and valor.datetime is not None:
            linhas.append(("data", valor.datetime.isoformat()))
    for parte in mensagem.walk():
        linhas += [("defeito", type(d).__name__ + ": " + str(d)) for d in parte.defects]
    corpo = mensagem.get_body(preferencelist=("plain",))
    texto = corpo.get_content() if corpo is not None else ""
    with open(os.path.join(saida, "corpo"), "wb") as f:
        f.write(texto.encode("utf-8"))
    for n, anexo in enumerate(mensagem.iter_attachments()):
        linhas.append(("anexo", str(n), anexo.get_content_type(), anexo.get_filename() or ""))
        with open(os.path.join(saida, "anexo-%d" % n), "wb") as f:
            f.write(anexo.get_payload(decode=True) or b"")
    with open(os.path.join(saida, "leitura.txt"), "wb") as f:
        for campos in linhas:
            f.write(("\t".join(c.replace("\t", " ").replace("\n", " ") for c in campos) + "\n")
                    .encode("utf-8"))


def main():
    analisador = argparse.ArgumentParser()
    modos = analisador.add_subparsers(dest="modo", required=True)
    s = modos.add_parser("servir")
    s.add_argument("--pasta", required=True)
    s.add_argument("--recusar", action="append", default=[],
                   help="address refused with 550 as sender or recipient")
    s.add_argument("--resposta-dados", default="", help='reply to DATA, e.g. "451 4.3.0 Ocupado"')
    s.add_argument("--vezes", type=int, default=-1, help="DATA commands given that reply (-1: all)")
    s.add_argument("--depois-de", type=int, default=0, help="DATA commands taken before that reply")
    s.add_argument("--fechar-ligacao-apos", type=int, default=0,
                   help="drop a connection at the MAIL command after it took this many messages")
    s.add_argument("--fechar-nos-dados", action="store_true")
    s.add_argument("--utilizador", default="", help="AUTH required with this user")
    s.add_argument("--password", default="")
    s.add_argument("--sem-auth", action="store_true", help="EHLO offers no AUTH")
    s.add_argument("--tls", choices=["nenhum", "starttls", "ssl"], default="nenhum")
    s.add_argument("--certificado", default="")
    s.add_argument("--chave", default="")
    s.add_argument("--mudo", action="store_true", help="accept connections, never answer")
    s.add_argument("--limite", type=int, default=0, help="MAIL commands taken per window (0: no limit)")
    s.add_argument("--janela", type=float, default=60.0, help="seconds of the limit's fixed window")
    s.add_argument("--resposta-limite", default="450 4.7.1 Error: too much mail from 127.0.0.1")
    s.add_argument("--max-destinatarios", type=int, default=0,
                   help="RCPT taken per transaction; the next get 452 (0: no limit)")
    s.add_argument("--apos-guardar", choices=["responder", "calar", "fechar"], default="responder",
                   help="after storing a message: answer it, never answer, or close without answering")
    s.add_argument("--apos-guardar-vezes", type=int, default=1,
                   help="messages --apos-guardar applies to, from the first")
    s.add_argument("--oauth", action="store_true", help="token endpoint; SMTP takes only XOAUTH2")
    s.add_argument("--oauth-cliente", default="")
    s.add_argument("--oauth-segredo", default="")
    s.add_argument("--oauth-certificado", default="", help="PEM that signs assertions (both kinds)")
    s.add_argument("--oauth-conta", default="", help="the service account's client_email")
    s.add_argument("--validade-token", type=int, default=3600, help="expires_in of issued tokens")
    s.add_argument("--recusar-tokens", type=int, default=0, help="XOAUTH2 logins refused though valid")
    s.add_argument("--eco-auth", action="store_true", help="refuse PLAIN quoting the AUTH data")
    l = modos.add_parser("ler")
    l.add_argument("saida")
    l.add_argument("ficheiros", nargs="+")
    opcoes = analisador.parse_args()
    if opcoes.modo == "ler":
        for n, ficheiro in enumerate(opcoes.ficheiros):
            pasta = os.path.join(opcoes.saida, str(n))
            os.mkdir(pasta)
            ler(ficheiro, pasta)
    else:
        asyncio.run(servir(opcoes))


if __name__ == "__main__":
    sys.exit(main())
