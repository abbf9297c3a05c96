"""quillora on the command line, as a terminal or a script uses it: the real
client and the real server in a network of their own, where a page double
answers for translate.google.com over HTTPS with a certificate the client
trusts there."""
import os
import subprocess

import pytest

from quillora import CLIENT_BIN, SERVER_BIN, run, wait_until

PAGE = r"""
import http.server, ssl, sys, urllib.parse
class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        text = query["q"][0]
        body = f'<div class="result-container">page {query["sl"][0]}-{query["tl"][0]}: {text}</div>'
        if "server" in text:
            body = "<p>unusual traffic</p>"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body.encode())))
        self.end_headers()
        self.wfile.write(body.encode())
server = http.server.HTTPServer(("127.0.0.1", 443), Page)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[1], sys.argv[2])
server.socket = context.wrap_socket(server.socket, server_side=True)
print("ready", flush=True)
server.serve_forever()
"""


class World:
    """A network and mount namespace with the page double on 127.0.0.1:443,
    named translate.google.com there; the companion server may join it."""

    def __init__(self, root):
        assert os.geteuid() == 0, "the page double needs root for a network of its own"
        certs = root / "certs"
        certs.mkdir()
        key, cert = root / "key.pem", root / "cert.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=translate.google.com", "-addext",
                        "subjectAltName=DNS:translate.google.com", "-keyout", key, "-out", cert],
                       check=True, capture_output=True)
        digest = run("openssl", "x509", "-hash", "-noout", "-in", str(cert)).stdout.strip()
        (certs / f"{digest}.0").write_bytes(cert.read_bytes())
        (root / "hosts").write_text("127.0.0.1 localhost translate.google.com\n")
        (root / "page.py").write_text(PAGE)
        setup = (f"ip link set lo up && mount --bind {root}/hosts /etc/hosts && "
                 f"mount --bind {certs} /etc/ssl/certs && exec /usr/bin/python3 {root}/page.py "
                 f"{cert} {key}")
        self.page = subprocess.Popen(["unshare", "-n", "-m", "sh", "-c", setup],
                                     stdout=subprocess.PIPE, text=True)
        assert self.page.stdout.readline() == "ready\n"
        self.env = dict(os.environ, HOME=str(root), XDG_RUNTIME_DIR=str(root), LC_ALL="C.UTF-8")
        self.server = None

    def start(self, *command, **options):
        return subprocess.Popen(["nsenter", "-t", str(self.page.pid), "-n", "-m", *command],
                                env=self.env, **options)

    def quillora(self, *args, stdin=None):
        process = self.start(CLIENT_BIN, *args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
        out, err = process.communicate(stdin, timeout=60)
        return process.returncode, out, err

    def serve(self, on):
        if on and not self.server:
            self.server = self.start(SERVER_BIN, "--backend", "echo", stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)
            assert "listening on" in self.server.stdout.readline()
        if not on and self.server:
            self.server.kill()
            self.server.wait()
            self.server = None

    def close(self):
        self.serve(False)
        self.page.kill()
        self.page.wait()


@pytest.fixture(scope="module")
def world(tmp_path_factory):
    made = World(tmp_path_factory.mktemp("world"))
    yield made
    made.close()


@pytest.mark.parametrize("args, stdin, server, code, out, err", [
    (["--translate", "--to", "de", "Hallo", "Welt"], None, True, 0, "page auto-de: Hallo Welt\n", ""),
    (["--translate", "--from", "en", "--to", "fr"], "one\ntwo\n\n", False, 0,
     "page en-fr: one\ntwo\n", ""),
    (["--translate", "--to", "de", "server please"], None, True, 0, "[de] server please\n", ""),
    (["--translate", "--to", "de", "server please"], None, False, 1, "",
     "quillora: cannot translate: neither the translation page nor the companion server answered\n"),
    (["--translate", "--to", "xx", "Hallo"], None, False, 2, "", "unknown target language code xx"),
    (["--translate"], " \n", False, 2, "", "nothing to translate"),
    (["--from", "de"], None, False, 2, "", "--from and --to go with --translate"),
    (["--version"], None, False, 0, "quillora 0.1.0\n", ""),
    (["--help"], None, False, 0, "--quick-translate", ""),
    (["--quick-translate"], None, False, 1, "", "Quillora is not running"),
])
def test_command_line(world, args, stdin, server, code, out, err):
    world.serve(server)
    result = world.quillora(*args, stdin=stdin)
    assert result[0] == code, result
    assert out in result[1] and (out or result[1] == "")
    assert err in result[2]


def test_versions_and_no_display():
    assert run(SERVER_BIN, "--version").stdout == "quillora-server 0.1.0\n"
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    window = subprocess.run([CLIENT_BIN], env=dict(env, QT_QPA_PLATFORM=""), timeout=30,
                            capture_output=True, text=True)
    assert window.returncode == 1 and "no display" in window.stderr
