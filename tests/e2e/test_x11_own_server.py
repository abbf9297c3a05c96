"""A user's texts reach only that user's own server: the client tries the
server's local socket first, and on TCP it links up with no other user's."""
import os
import subprocess
import sys

import pytest

from quillora import Client, Server, log_texts, wait_until

# Another user's program on port 3030, as a careless or hostile one would be:
# it sends a display table at once, then counts what each of two links sends.
DOUBLE = r"""
import socket, struct
table = "This is display language config file!=app_name1=Not yours\n".encode("utf-16-be")
server = socket.create_server(("127.0.0.1", 3030))
print("listening", flush=True)
for _ in range(2):
    link = server.accept()[0]
    link.settimeout(5)
    link.sendall(struct.pack(">II", len(table) + 4, len(table)) + table)
    received = b""
    try:
        while chunk := link.recv(65536):
            received += chunk
    except OSError:
        pass
    print(len(received), flush=True)
"""


@pytest.mark.skipif(os.geteuid() != 0, reason="another user's server needs root")
def test_texts_reach_only_the_users_own_server(tmp_path):
    double = subprocess.Popen(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                               sys.executable, "-c", DOUBLE], stdout=subprocess.PIPE, text=True)
    try:
        assert double.stdout.readline() == "listening\n"
        client = Client(tmp_path)
        log = tmp_path / "messages.log"
        runtime = dict(os.environ, XDG_RUNTIME_DIR=client.env["XDG_RUNTIME_DIR"])
        with Server("--backend", "echo", "--log", str(log), port=3030, env=runtime) as own:
            assert wait_until(lambda: len(log_texts(log)) >= 3, 60)
            assert own.logged("another user holds port 3030")
            table = wait_until(lambda: client.data_file("config.txt"))
        # With its own server gone, the client finds only the other one.
        assert double.communicate(timeout=60)[0] == "0\n0\n"
        assert client.data_file("config.txt") == table
        client.stop()
    finally:
        double.kill()


def test_a_server_that_never_comes_up_is_started_once(tmp_path):
    """Nothing listens on port 3030, and the quillora-server found never will:
    the client starts it once, not again at each of its quick redials."""
    folder, starts = tmp_path / "bin", tmp_path / "starts"
    folder.mkdir()
    (folder / "quillora-server").write_text(f'#!/bin/sh\necho $$ >>"{starts}"\n')
    (folder / "quillora-server").chmod(0o755)
    client = Client(tmp_path, path=folder)
    try:
        assert wait_until(starts.exists, 60)
        # It redials every 200 ms for ten seconds.
        assert not wait_until(lambda: len(starts.read_text().split()) > 1, 3)
    finally:
        client.stop()
