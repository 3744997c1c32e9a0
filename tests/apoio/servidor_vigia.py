#!/usr/bin/python3
"""A dead man's switch on loopback, as the services document their pings: HTTPS, any method on
<check>/start, <check>/<exit status>, <check>/fail or <check>/log answers 200 "OK"; every request
is kept as one line of PASTA/pedidos.txt: the method, the path and the body with its line breaks
written as \\n. With --mudo it takes each connection and never answers.

    servidor_vigia.py --pasta DIR --certificado PEM --chave PEM [--mudo]

Writes the port it listens on to PASTA/porta once it does.
"""
import argparse
import http.server
import os
import socket
import ssl
import threading
import time


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--pasta", required=True)
    a.add_argument("--certificado", required=True)
    a.add_argument("--chave", required=True)
    a.add_argument("--mudo", action="store_true")
    o = a.parse_args()
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(o.certificado, o.chave)
    guarda = threading.Lock()

    class Pedido(http.server.BaseHTTPRequestHandler):
        def atender(self):
            corpo = self.rfile.read(int(self.headers.get("Content-Length") or 0)).decode("utf-8", "replace")
            with guarda, open(os.path.join(o.pasta, "pedidos.txt"), "a", encoding="utf-8") as f:
                f.write(f"{self.command} {self.path} {corpo.replace(chr(10), chr(92) + 'n')}\n")
            self.send_response(200)
            self.send_header("Content-Length", "2")
            self.end_headers()
            self.wfile.write(b"OK")

        do_GET = do_POST = do_HEAD = atender

        def log_message(self, *args):
            pass

    if o.mudo:
        escuta = socket.create_server(("127.0.0.1", 0))
        porta = escuta.getsockname()[1]
    else:
        servidor = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Pedido)
        servidor.socket = tls.wrap_socket(servidor.socket, server_side=True)
        porta = servidor.server_address[1]
    with open(os.path.join(o.pasta, "porta.tmp"), "w") as f:
        f.write(str(porta))
    os.rename(os.path.join(o.pasta, "porta.tmp"), os.path.join(o.pasta, "porta"))
    if not o.mudo:
        servidor.serve_forever()
    presos = []
    while True:  # takes connections and keeps them, silent
        presos.append(escuta.accept()[0])
        time.sleep(0.01)


if __name__ == "__main__":
    main()
