#!/usr/bin/python3
"""Loopback stand-ins for Microsoft Graph and the Gmail API, over HTTPS, with their token endpoint.

  servidor_api.py --pasta DIR --servico graph|gmail --certificado PEM --chave PEM [options]
      Listens on a free port of 127.0.0.1 and writes DIR/porta and DIR/url-token once it accepts;
      ends by itself after --vida seconds. Requests follow the services' documented forms:
        graph  POST /v1.0/users/{u}/sendMail (text/plain, base64 MIME; 202)
               POST /v1.0/users/{u}/messages (JSON draft; 201 with an id)
               POST .../messages/{id}/attachments (inline fileAttachment, under 3 MB; 201)
               POST .../messages/{id}/attachments/createUploadSession (201 with uploadUrl)
               PUT  {uploadUrl} (Content-Range, at most 4 MiB, no Authorization; 200, last 201)
               POST .../messages/{id}/send (202); DELETE .../messages/{id} (204)
        gmail  POST /upload/gmail/v1/users/{u}/messages/send?uploadType=media
               (message/rfc822; 200 with an id)
      Each request needs a bearer token the endpoint issued for the mailbox --caixa (the upload
      PUT none). Each message sent is stored as DIR/NNNN.eml (a draft's fields and attachments
      made into a MIME message by Python's email package) and DIR/NNNN.env ("rota sendmail|
      rascunho|gmail", "anexo directo|sessao", "bcc <addr>"...). DIR/registo.txt gets
      "pedido <kind> <status> <monotonic seconds>" per request, "token <form> <token>" per token
      and "apagado <id>" per deleted draft.
      --regra KIND:N:REPLY makes the Nth request of that kind (sendmail, rascunho, anexo, sessao,
      carregamento, envio, gmail) get REPLY instead: 401, 403, 404, 429, 500 or 503 (429 and 503
      with Retry-After --retry-after), limite (Gmail's 403 rateLimitExceeded) or calar (the
      message is stored, no reply ever comes).
"""
import argparse
import asyncio
import base64
import email.message
import email.policy
import json
import os
import re
import secrets
import sys
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from servidor_smtp import CONCESSAO_JWT, EmissorTokens, Recusa, contexto_tls, escrever_atomico  # noqa: E402

AMBITOS = {"graph": "https://graph.microsoft.com/.default", "gmail": "https://www.googleapis.com/auth/gmail.send"}
LIMITE_ANEXO_DIRECTO = 3 * 1024 * 1024
LIMITE_BLOCO = 4 * 1024 * 1024
TIPO_LIVRO = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"


class EmissorApi(EmissorTokens):
    """The token endpoint for an API's scope: a client secret (Entra ID) or a service account's
    signed assertion for the mailbox (Google)."""

    def __init__(self, opcoes, registar):
        super().__init__(opcoes, registar)
        self.ambito = AMBITOS[opcoes.servico]

    def emitir(self, campos):
        g = lambda nome: campos.get(nome, [""])[0]
        o = self.opcoes
        try:
            if g("grant_type") == "client_credentials":
                if g("client_id") != o.oauth_cliente or g("client_secret") != o.oauth_segredo:
                    return 401, {"error": "invalid_client",
                                 "error_description": "AADSTS7000215: Invalid client secret provided."}
                if g("scope") != self.ambito:
                    return 400, {"error": "invalid_scope", "error_description": "AADSTS70011: scope " + g("scope")}
                forma, sujeito = "segredo", o.caixa
            elif g("grant_type") == CONCESSAO_JWT:
                _, corpo = self.jwt(g("assertion"), 3600)
                if corpo.get("iss") != o.oauth_conta:
                    return 401, {"error": "unauthorized_client",
                                 "error_description": "Client is unauthorized to retrieve access tokens"}
                if corpo.get("scope") != self.ambito:
                    raise Recusa("scope " + str(corpo.get("scope")))
                forma, sujeito = "conta", corpo.get("sub", "")
            else:
                return 400, {"error": "unsupported_grant_type"}
        except Exception as e:
            self.registar("recusa-token " + type(e).__name__ + " " + str(e))
            return 400, {"error": "invalid_grant", "error_description": "Invalid JWT Signature."}
        return self.novo_token(forma, sujeito)


def erro_graph(estado, codigo, mensagem):
    return estado, {}, {"error": {"code": codigo, "message": mensagem}}


def erro_gmail(estado, razao, mensagem):
    return estado, {}, {"error": {"code": estado, "message": mensagem,
                                  "errors": [{"message": mensagem, "domain": "global", "reason": razao}]}}


class Servico:
    def __init__(self, opcoes):
        self.opcoes = opcoes
        self.emissor = EmissorApi(opcoes, self.registar)
        self.contagem = {}
        self.regras = {}
        for regra in opcoes.regra:
            tipo, n, resposta = regra.split(":")
            self.regras[(tipo, int(n))] = resposta
        self.rascunhos = {}
        self.sessoes = {}
        self.guardadas = 0
        self.base = ""

    def registar(self, linha):
        with open(os.path.join(self.opcoes.pasta, "registo.txt"), "a") as f:
            f.write(linha + "\n")

    def guardar(self, dados, factos):
        self.guardadas += 1
        nome = os.path.join(self.opcoes.pasta, "%04d" % self.guardadas)
        escrever_atomico(nome + ".eml", dados)
        escrever_atomico(nome + ".env", "".join(f + "\n" for f in factos).encode())

    def resposta_imposta(self, tipo):
        """The reply a --regra gives this request, or None."""
        self.contagem[tipo] = self.contagem.get(tipo, 0) + 1
        resposta = self.regras.get((tipo, self.contagem[tipo]))
        if resposta is None or resposta == "calar":
            return resposta
        espera = {"Retry-After": str(self.opcoes.retry_after)}
        gmail = self.opcoes.servico == "gmail"
        if resposta == "401":
            return (erro_gmail(401, "authError", "Invalid Credentials") if gmail else
                    erro_graph(401, "InvalidAuthenticationToken", "Access token has expired or is not yet valid."))
        if resposta == "403":
            return (erro_gmail(403, "insufficientPermissions", "Request had insufficient authentication scopes.")
                    if gmail else erro_graph(403, "ErrorAccessDenied", "Access is denied. Check credentials and try again."))
        if resposta == "404":
            return erro_graph(404, "ErrorInvalidUser", "The requested user is invalid.")
        if resposta == "limite":
            return erro_gmail(403, "userRateLimitExceeded", "User-rate limit exceeded.")
        if resposta in ("429", "503"):
            estado, _, corpo = erro_graph(int(resposta), "ApplicationThrottled", "Application is over its MailboxConcurrency limit.")
            return estado, espera, corpo
        return erro_graph(int(resposta), "ErrorInternalServerError", "An internal server error occurred.")

    def autorizado(self, cabecalhos, utilizador):
        token = cabecalhos.get("authorization", "")
        return token.startswith("Bearer ") and self.emissor.valido(token[7:], utilizador)

    def tratar(self, metodo, alvo, cabecalhos, corpo):
        """(kind, status, extra headers, JSON or None, stored message or None)."""
        caminho = urllib.parse.urlsplit(alvo).path
        if metodo == "PUT" and caminho.startswith("/carregar/"):
            return ("carregamento",) + self.carregar(caminho, cabecalhos, corpo)
        if self.opcoes.servico == "gmail":
            m = re.fullmatch(r"/upload/gmail/v1/users/([^/]+)/messages/send", caminho)
            return ("gmail",) + self.gmail(m, alvo, cabecalhos, corpo)
        m = re.fullmatch(r"/v1\.0/users/([^/]+)(/.*)", caminho)
        if not m:
            return ("desconhecido",) + erro_graph(400, "BadRequest", "Resource not found for the segment.") + (None,)
        utilizador, resto = urllib.parse.unquote(m.group(1)), m.group(2)
        tipo = self.tipo_graph(metodo, resto)
        if utilizador.lower() != self.opcoes.caixa.lower():
            return (tipo,) + erro_graph(404, "ErrorInvalidUser", "The requested user '%s' is invalid." % utilizador) + (None,)
        if not self.autorizado(cabecalhos, utilizador):
            return (tipo,) + erro_graph(401, "InvalidAuthenticationToken", "Access token validation failure.") + (None,)
        imposta = self.resposta_imposta(tipo)
        if imposta == "calar":
            return tipo, None, {}, None, self.graph(tipo, resto, cabecalhos, corpo)[3]
        if imposta is not None:
            return (tipo,) + imposta + (None,)
        return (tipo,) + self.graph(tipo, resto, cabecalhos, corpo)

    @staticmethod
    def tipo_graph(metodo, resto):
        if metodo == "POST" and resto == "/sendMail":
            return "sendmail"
        if metodo == "POST" and resto == "/messages":
            return "rascunho"
        if metodo == "POST" and resto.endswith("/attachments/createUploadSession"):
            return "sessao"
        if metodo == "POST" and resto.endswith("/attachments"):
            return "anexo"
        if metodo == "POST" and resto.endswith("/send"):
            return "envio"
        if metodo == "DELETE":
            return "apagar"
        return "desconhecido"

    def graph(self, tipo, resto, cabecalhos, corpo):
        id_ = resto.split("/")[2] if resto.startswith("/messages/") else ""
        if tipo == "sendmail":
            if cabecalhos.get("content-type", "") != "text/plain":
                return erro_graph(400, "ErrorMimeContentInvalid", "Content-Type must be text/plain") + (None,)
            return 202, {}, None, (base64.b64decode(corpo, validate=True), ["rota sendmail"])
        if tipo == "rascunho":
            id_ = "AAMk" + secrets.token_hex(8)
            self.rascunhos[id_] = {"campos": json.loads(corpo), "anexos": [], "formas": []}
            return 201, {}, {"id": id_, "isDraft": True}, None
        if id_ not in self.rascunhos:
            return erro_graph(404, "ErrorItemNotFound", "The specified object was not found in the store.") + (None,)
        r = self.rascunhos[id_]
        if tipo == "anexo":
            a = json.loads(corpo)
            dados = base64.b64decode(a["contentBytes"], validate=True)
            if a.get("@odata.type") != "#microsoft.graph.fileAttachment" or len(dados) >= LIMITE_ANEXO_DIRECTO:
                return erro_graph(413, "ErrorRequestEntityTooLarge", "The attachment exceeds 3 MB.") + (None,)
            r["anexos"].append((a["name"], dados))
            r["formas"].append("directo")
            return 201, {}, {"id": "AAMkAtt", "name": a["name"]}, None
        if tipo == "sessao":
            item = json.loads(corpo)["AttachmentItem"]
            chave = secrets.token_urlsafe(24)
            self.sessoes[chave] = {"rascunho": id_, "nome": item["name"], "tamanho": int(item["size"]), "dados": b""}
            url = "https://127.0.0.1:%d/carregar/%s" % (self.porta, chave)
            return 201, {}, {"uploadUrl": url, "nextExpectedRanges": ["0-"]}, None
        if tipo == "envio":
            del self.rascunhos[id_]
            return 202, {}, None, (self.mime(r), ["rota rascunho"] + ["anexo " + f for f in r["formas"]] +
                                   ["bcc " + b["emailAddress"]["address"] for b in r["campos"].get("bccRecipients", [])])
        if tipo == "apagar":
            del self.rascunhos[id_]
            self.registar("apagado " + id_)
            return 204, {}, None, None
        return erro_graph(400, "BadRequest", "Unsupported request") + (None,)

    def carregar(self, caminho, cabecalhos, corpo):
        s = self.sessoes.get(caminho.rsplit("/", 1)[1])
        imposta = self.resposta_imposta("carregamento")
        if imposta is not None and imposta != "calar":
            return imposta + (None,)
        if s is None:
            return erro_graph(404, "ErrorItemNotFound", "Upload session not found") + (None,)
        # The upload URL carries its own credential; Graph refuses a request that adds a token.
        if "authorization" in cabecalhos:
            return erro_graph(401, "InvalidAuthenticationToken", "Authorization header is not allowed") + (None,)
        m = re.fullmatch(r"bytes (\d+)-(\d+)/(\d+)", cabecalhos.get("content-range", ""))
        if (not m or int(m.group(1)) != len(s["dados"]) or int(m.group(3)) != s["tamanho"]
                or int(m.group(2)) - int(m.group(1)) + 1 != len(corpo) or len(corpo) > LIMITE_BLOCO):
            return erro_graph(416, "InvalidRange", "Content-Range does not match the next expected range") + (None,)
        s["dados"] += corpo
        if len(s["dados"]) < s["tamanho"]:
            return 200, {}, {"nextExpectedRanges": ["%d-" % len(s["dados"])]}, None
        r = self.rascunhos[s["rascunho"]]
        r["anexos"].append((s["nome"], s["dados"]))
        r["formas"].append("sessao")
        return 201, {}, None, None

    @staticmethod
    def mime(r):
        c = r["campos"]
        m = email.message.EmailMessage(policy=email.policy.SMTP)
        m["Subject"] = c["subject"]
        m["From"] = c["from"]["emailAddress"]["address"]
        for campo, cabecalho in (("toRecipients", "To"), ("ccRecipients", "Cc")):
            enderecos = [d["emailAddress"]["address"] for d in c.get(campo, [])]
            if enderecos:
                m[cabecalho] = ", ".join(enderecos)
        m["Message-ID"] = c.get("internetMessageId", "")
        m["Importance"] = c.get("importance", "normal")
        # itemBody: contentType "Text" or "HTML".
        m.set_content(c["body"]["content"], subtype="html" if c["body"]["contentType"].lower() == "html" else "plain")
        for nome, dados in r["anexos"]:
            m.add_attachment(dados, maintype="application", subtype=TIPO_LIVRO.split("/")[1], filename=nome)
        return m.as_bytes()

    def gmail(self, m, alvo, cabecalhos, corpo):
        if not m or urllib.parse.parse_qs(urllib.parse.urlsplit(alvo).query).get("uploadType") != ["media"]:
            return erro_gmail(404, "notFound", "Not Found") + (None,)
        utilizador = urllib.parse.unquote(m.group(1))
        if not self.autorizado(cabecalhos, utilizador):
            return erro_gmail(401, "authError", "Invalid Credentials") + (None,)
        imposta = self.resposta_imposta("gmail")
        if imposta == "calar":
            return None, {}, None, (corpo, ["rota gmail"])
        if imposta is not None:
            return imposta + (None,)
        if cabecalhos.get("content-type", "") != "message/rfc822":
            return erro_gmail(400, "invalidArgument", "Media type not supported") + (None,)
        return 200, {}, {"id": secrets.token_hex(8), "threadId": secrets.token_hex(8), "labelIds": ["SENT"]}, \
            (corpo, ["rota gmail"])

    async def atender(self, leitor, escritor):
        try:
            while True:
                linha = await leitor.readline()
                if not linha:
                    return
                metodo, alvo, _ = linha.decode().split(" ", 2)
                cabecalhos = {}
                while True:
                    h = (await leitor.readline()).decode()
                    if h in ("\r\n", "\n", ""):
                        break
                    nome, _, valor = h.partition(":")
                    cabecalhos[nome.strip().lower()] = valor.strip()
                corpo = await leitor.readexactly(int(cabecalhos.get("content-length", "0")))
                tipo, estado, extra, resposta, guardar = self.tratar(metodo, alvo, cabecalhos, corpo)
                self.registar("pedido %s %s %.3f" % (tipo, estado or "calado", time.monotonic()))
                if guardar is not None:
                    self.guardar(*guardar)
                if estado is None:
                    await asyncio.sleep(self.opcoes.vida)
                    return
                dados = json.dumps(resposta).encode() if resposta is not None else b""
                texto = "HTTP/1.1 %d R\r\nContent-Length: %d\r\n" % (estado, len(dados))
                if resposta is not None:
                    texto += "Content-Type: application/json\r\n"
                texto += "".join("%s: %s\r\n" % par for par in extra.items())
                escritor.write(texto.encode() + b"\r\n" + dados)
                await escritor.drain()
        except (ConnectionError, asyncio.IncompleteReadError):
            pass
        finally:
            escritor.close()


async def servir(opcoes):
    servico = Servico(opcoes)
    tls = contexto_tls(opcoes)
    token = await asyncio.start_server(servico.emissor.atender, "127.0.0.1", 0, ssl=tls)
    servico.emissor.url = "https://127.0.0.1:%d/token" % token.sockets[0].getsockname()[1]
    api = await asyncio.start_server(servico.atender, "127.0.0.1", 0, ssl=tls, limit=2 ** 20)
    servico.porta = api.sockets[0].getsockname()[1]
    escrever_atomico(os.path.join(opcoes.pasta, "url-token"), servico.emissor.url.encode())
    escrever_atomico(os.path.join(opcoes.pasta, "porta"), str(servico.porta).encode())
    await asyncio.sleep(opcoes.vida)


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--pasta", required=True)
    a.add_argument("--servico", choices=["graph", "gmail"], required=True)
    a.add_argument("--certificado", required=True)
    a.add_argument("--chave", required=True)
    a.add_argument("--caixa", default="rel@emp.pt", help="the mailbox the application may send as")
    a.add_argument("--oauth-cliente", default="4f0c-app")
    a.add_argument("--oauth-segredo", default="")
    a.add_argument("--oauth-certificado", default="", help="PEM whose key signs the service account's assertions")
    a.add_argument("--oauth-conta", default="rel@proj.iam.gserviceaccount.com")
    a.add_argument("--validade-token", type=int, default=3600)
    a.add_argument("--regra", action="append", default=[])
    a.add_argument("--retry-after", type=int, default=1)
    a.add_argument("--vida", type=float, default=600, help="seconds before the server ends by itself")
    asyncio.run(servir(a.parse_args()))


if __name__ == "__main__":
    sys.exit(main())
