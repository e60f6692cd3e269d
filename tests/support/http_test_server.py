#!/usr/bin/env python3
"""A scripted HTTP server on 127.0.0.1 for the downloader tests, native and under Wine.

    http_test_server.py start --state PATH [--lifetime SECONDS]
        starts a server in the background and returns once it listens; PATH.port then holds
        "<port> <refused port> <https ports>" (the second is a port nobody listens on) and PATH.pid
        its process id. The https ports serve the same paths with four certificates made by
        `openssl` at start: one for 127.0.0.1 from the test authority PATH.ca.pem, a self-signed one,
        an expired one from the authority, and one from the authority for another host name. Only
        a client that trusts PATH.ca.pem accepts the first.
    http_test_server.py stop --state PATH
        stops the server that `start` left there.
    http_test_server.py serve --state PATH [--lifetime SECONDS] [--watch PID:START]
        runs the server in the foreground.

A server that `start` left lives as long as the process that ran `start` (the ctest run), so a
run that never stops it leaves nothing behind, and at most its lifetime (2 h unless told). A
fixed lifetime alone let the last tests of a slow run find the server gone. Paths it answers (GET):

    /body?size=N&framing=length|close|chunked   N bytes, byte i = i % 251; with Content-Length,
                                                 ended by closing the connection, or chunked
    /notfound                                    404 with an HTML body
    /redirect?to=URL[&status=S]                  302 (or S: 301, 307, 308) to URL (with a small body)
    /conditional?etag=E&modified=DATE&items=N    an RSS 2.0 document of N items with ETag E (none for -) and
                                                 Last-Modified DATE, its items numbered afresh for
                                                 every document sent; 304 and no body to a request
                                                 whose If-None-Match is E or If-Modified-Since DATE
    /echo-headers                                the request's User-Agent, Cache-Control, Pragma
    /drip?size=N&interval_ms=M                   N bytes with Content-Length, one every M ms
    /stall?after=K&seconds=S&headers=0|1         headers announcing K+1000 bytes and K bytes of
                                                 body, then nothing for S s (or until the server
                                                 stops) before closing; headers=0 sends no answer
    /feed?items=N&first=F[&seconds=S]            an RSS 2.0 document of N items numbered from F; with
                                                 S, its bytes spread evenly over S seconds
    /file?name=NAME                              tests/data/NAME as it is
"""

import argparse
import http.server
import os
import random
import signal
import socket
import shutil
import socketserver
import gzip
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
import zlib

DEFAULT_LIFETIME = 7200
DATA_FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
stopping = threading.Event()
conditional_lock = threading.Lock()
conditional_documents = 0


def pattern(size):
    return bytes(i % 251 for i in range(size))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query).items()}
        route = {
            "/body": self.body,
            "/notfound": self.not_found,
            "/redirect": self.redirect,
            "/conditional": self.conditional,
            "/echo-headers": self.echo_headers,
            "/drip": self.drip,
            "/stall": self.stall,
            "/feed": self.feed,
            "/file": self.file,
        }.get(url.path)
        try:
            if route:
                route(query)
            else:
                self.answer(400, b"unknown path", "text/plain")
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def answer(self, status, body, content_type, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def body(self, query):
        data = pattern(int(query.get("size", "0")))
        framing = query.get("framing", "length")
        if framing == "length":
            self.answer(200, data, "application/octet-stream")
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if framing == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for start in range(0, len(data), 4096):
                piece = data[start:start + 4096]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
        else:
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data)
            self.close_connection = True

    def not_found(self, query):
        page = b"<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>"
        self.answer(404, page, "text/html")

    def redirect(self, query):
        self.answer(int(query.get("status", "302")), b"<html><body>moved</body></html>", "text/html",
                    [("Location", query.get("to", "/body"))])

    def conditional(self, query):
        etag = query.get("etag", '"v1"')
        modified = query.get("modified", "Tue, 10 Jun 2003 04:00:00 GMT")
        validators = [("Last-Modified", modified)] + ([("ETag", etag)] if etag != "-" else [])
        if (etag != "-" and self.headers.get("If-None-Match") == etag) or \
                self.headers.get("If-Modified-Since") == modified:
            self.send_response(304)
            for name, value in validators:
                self.send_header(name, value)
            self.end_headers()
            return
        with conditional_lock:
            global conditional_documents
            conditional_documents += 1
            first = conditional_documents * 1000
        count = int(query.get("items", "3"))
        items = "".join("<item><title>Message %d</title><guid>message-%d</guid></item>\n" % (n, n)
                        for n in range(first, first + count))
        document = ('<?xml version="1.0" encoding="utf-8"?>\n<rss version="2.0"><channel>'
                    "<title>Conditional feed</title>\n%s</channel></rss>\n" % items)
        self.answer(200, document.encode(), "application/rss+xml", validators)

    def echo_headers(self, query):
        text = "".join("%s: %s\n" % (name, self.headers.get(name, ""))
                       for name in ("User-Agent", "Cache-Control", "Pragma", "Accept-Encoding"))
        self.answer(200, text.encode(), "text/plain")

    def drip(self, query):
        size = int(query.get("size", "10"))
        interval = int(query.get("interval_ms", "100")) / 1000.0
        self.send_response(200)
        self.send_header("Content-Length", str(size))
        self.end_headers()
        self.wfile.flush()
        for byte in pattern(size):
            if stopping.wait(interval):
                break
            self.wfile.write(bytes([byte]))
            self.wfile.flush()
        self.close_connection = True

    def stall(self, query):
        after = int(query.get("after", "0"))
        if query.get("headers", "1") != "0":
            self.send_response(200)
            self.send_header("Content-Length", str(after + 1000))
            self.end_headers()
            self.wfile.write(pattern(after))
            self.wfile.flush()
        stopping.wait(float(query.get("seconds", str(DEFAULT_LIFETIME))))
        self.close_connection = True


    def feed(self, query):
        count = int(query.get("items", "10"))
        first = int(query.get("first", "0"))
        items = "".join(
            "<item><title>Message %d</title><link>http://127.0.0.1/news/%d</link>"
            "<description>&lt;p&gt;Text of message %d&lt;/p&gt;</description>"
            "<guid>message-%d</guid><pubDate>Tue, 10 Jun 2003 %02d:%02d:00 GMT</pubDate></item>\n"
            % (n, n, n, n, (n // 60) % 24, n % 60) for n in range(first, first + count))
        document = ('<?xml version="1.0" encoding="utf-8"?>\n<rss version="2.0"><channel>'
                    "<title>Test feed</title><link>http://127.0.0.1/</link>"
                    "<description>Generated</description>\n%s</channel></rss>\n" % items)
        seconds = float(query.get("seconds", "0"))
        if seconds <= 0:
            self.answer(200, document.encode(), "application/rss+xml")
            return
        body = document.encode()
        self.send_response(200)
        self.send_header("Content-Type", "application/rss+xml")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        pieces = 50
        step = (len(body) + pieces - 1) // pieces
        for start in range(0, len(body), step):
            self.wfile.write(body[start:start + step])
            self.wfile.flush()
            if stopping.wait(seconds / pieces):
                break
        self.close_connection = True

    def file(self, query):
        name = query.get("name", "")
        root = os.path.realpath(DATA_FOLDER)
        path = os.path.realpath(os.path.join(root, name))
        # Only files below tests/data are served.
        if not name or not path.startswith(root + os.sep) or not os.path.isfile(path):
            self.not_found(query)
            return
        with open(path, "rb") as data:
            body = data.read()
        status = int(query.get("status", "200"))
        # encoding=gzip or deflate: the body compressed so, when the client asked for it.
        encoding = query.get("encoding", "")
        extra = []
        if encoding and encoding in self.headers.get("Accept-Encoding", ""):
            if encoding == "gzip":
                body = gzip.compress(body)
            else:
                body = zlib.compress(body)
            extra.append(("Content-Encoding", encoding))
        content_type = "text/html" if name.endswith(".html") else "application/xml"
        self.answer(status, body, content_type, extra)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


class TlsServer(Server):
    """The same server behind TLS; the handshake happens on the handler's thread."""

    def __init__(self, address, handler, context):
        super().__init__(address, handler)
        self.context = context

    def get_request(self):
        connection, address = self.socket.accept()
        return self.context.wrap_socket(connection, server_side=True, do_handshake_on_connect=False), address

    def handle_error(self, request, client_address):
        pass  # a client that refuses the certificate ends the handshake: expected here


# The certificates the https ports present, in port order: (name, issuer, host names, validity).
CERTIFICATES = [
    ("trusted", "authority", ["IP:127.0.0.1", "DNS:127.0.0.1", "DNS:localhost"], None),
    ("selfsigned", None, ["IP:127.0.0.1", "DNS:127.0.0.1", "DNS:localhost"], None),
    ("expired", "authority", ["IP:127.0.0.1", "DNS:127.0.0.1", "DNS:localhost"], ("20200101000000Z", "20210101000000Z")),
    ("otherhost", "authority", ["DNS:elsewhere.invalid"], None),
]


def openssl(*args, cwd):
    done = subprocess.run(["openssl"] + list(args), cwd=cwd, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise RuntimeError("openssl %s failed: %s" % (args[0], done.stderr.strip()))


def make_certificates(folder):
    """A test authority and the certificates of CERTIFICATES, new for every server run."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", "authority.key", "-out", "authority.pem",
            "-days", "30", "-subj", "/CN=Corvane Test Authority",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
            cwd=folder)
    with open(os.path.join(folder, "ca.cnf"), "w") as config:
        config.write("[ca]\ndefault_ca = test\n[test]\ndatabase = index.txt\nnew_certs_dir = .\n"
                     "serial = serial\ndefault_md = sha256\npolicy = any\ncopy_extensions = copy\n"
                     "unique_subject = no\n[any]\ncommonName = supplied\n")
    open(os.path.join(folder, "index.txt"), "w").close()
    # openssl reads the serial as whole bytes: an odd number of hex digits stops it, so always twelve.
    with open(os.path.join(folder, "serial"), "w") as serial:
        serial.write("%012x\n" % random.randrange(1 << 32, 1 << 48))
    for name, issuer, hosts, validity in CERTIFICATES:
        common = hosts[-1].split(":", 1)[1]
        extensions = ["-addext", "subjectAltName=" + ",".join(hosts),
                      "-addext", "basicConstraints=critical,CA:FALSE",
                      "-addext", "extendedKeyUsage=serverAuth"]
        if issuer is None:
            openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", name + ".key", "-out", name + ".pem",
                    "-days", "30", "-subj", "/CN=" + common, *extensions, cwd=folder)
            continue
        openssl("req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
                "-subj", "/CN=" + common, *extensions, cwd=folder)
        dates = ["-startdate", validity[0], "-enddate", validity[1]] if validity else ["-days", "30"]
        openssl("ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", "authority.pem", "-keyfile", "authority.key",
                "-in", name + ".csr", "-out", name + ".pem", *dates, cwd=folder)


def write_atomically(path, text):
    temporary = path + ".tmp"
    with open(temporary, "w") as file:
        file.write(text)
    os.replace(temporary, path)


def unused_port():
    # Below the ephemeral range, so no client socket of ours is ever given this port: a connection
    # to a free ephemeral port can otherwise meet itself and hang instead of being refused.
    for port in random.sample(range(20000, 32000), 200):
        probe = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        try:
            probe.bind(("127.0.0.1", port))
            return port
        except OSError:
            continue
        finally:
            probe.close()
    raise RuntimeError("no free port for refused connections")


def process_identity(pid):
    """The process's id and start time, which no later process with a reused id shares."""
    try:
        with open("/proc/%d/stat" % pid) as file:
            return "%d:%s" % (pid, file.read().split(") ")[-1].split()[19])
    except (OSError, IndexError):
        return None


def serve(state, lifetime, watch):
    folder = state + ".tls"
    make_certificates(folder)
    shutil.copyfile(os.path.join(folder, "authority.pem"), state + ".ca.pem")
    servers = [Server(("127.0.0.1", 0), Handler)]
    for name, _, _, _ in CERTIFICATES:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(folder, name + ".pem"), os.path.join(folder, name + ".key"))
        servers.append(TlsServer(("127.0.0.1", 0), Handler, context))
    signal.signal(signal.SIGTERM, lambda *_: stopping.set())
    signal.signal(signal.SIGINT, lambda *_: stopping.set())
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    ports = [servers[0].server_address[1], unused_port()] + [server.server_address[1] for server in servers[1:]]
    write_atomically(state + ".port", " ".join("%d" % port for port in ports) + "\n")
    deadline = time.monotonic() + lifetime
    while not stopping.wait(1.0) and time.monotonic() < deadline:
        if watch and process_identity(int(watch.split(":")[0])) != watch:
            break
    stopping.set()
    for server in servers:
        server.shutdown()
        server.server_close()


def running_server(state):
    """The process id in the state's pid file if that process is still this server."""
    try:
        with open(state + ".pid") as file:
            pid = int(file.read().strip())
        with open("/proc/%d/cmdline" % pid, "rb") as file:
            command = file.read()
    except (OSError, ValueError):
        return None
    return pid if b"http_test_server.py" in command and b"serve" in command else None


def alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as file:
            return file.read().split(") ")[-1][:1] != "Z"
    except OSError:
        return False


def stop(state):
    pid = running_server(state)
    if pid:
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 5
        while alive(pid) and time.monotonic() < deadline:
            time.sleep(0.05)
        if alive(pid):
            os.kill(pid, signal.SIGKILL)
    shutil.rmtree(state + ".tls", ignore_errors=True)
    for suffix in (".pid", ".port", ".ca.pem"):
        try:
            os.remove(state + suffix)
        except FileNotFoundError:
            pass
    return 0


def start(state, lifetime):
    stop(state)
    os.makedirs(os.path.dirname(os.path.abspath(state)), exist_ok=True)
    # Detached and with no inherited pipes, so ctest does not wait for it; what it says goes to a
    # file, shown here if it ends before it listens.
    with open(state + ".log", "w") as log:
        child = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), "serve", "--state", state, "--lifetime", str(lifetime),
             "--watch", process_identity(os.getppid()) or ""],
            stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
            start_new_session=True, close_fds=True)
    write_atomically(state + ".pid", "%d\n" % child.pid)
    # Making the certificates takes a moment on a loaded machine.
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        if os.path.exists(state + ".port"):
            with open(state + ".port") as file:
                print("test server listening on 127.0.0.1:%s" % file.read().split()[0])
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.02)
    if child.poll() is None:
        print("test server did not start within 60 s", file=sys.stderr)
    else:
        print("test server ended with status %d before it listened:" % child.returncode, file=sys.stderr)
    with open(state + ".log") as log:
        sys.stderr.write(log.read()[-4000:])
    stop(state)
    return 1


def main():
    parser = argparse.ArgumentParser(description="Scripted HTTP server for the downloader tests.")
    parser.add_argument("command", choices=["start", "stop", "serve"])
    parser.add_argument("--state", required=True, help="path prefix of the .port and .pid files")
    parser.add_argument("--lifetime", type=float, default=DEFAULT_LIFETIME, help="seconds before it exits")
    parser.add_argument("--watch", default="", help="PID:START of the process whose end ends the server")
    args = parser.parse_args()
    if args.command == "start":
        return start(args.state, args.lifetime)
    if args.command == "stop":
        return stop(args.state)
    serve(args.state, args.lifetime, args.watch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
