"""The real client and the real server on the test's X display. The client
cannot reach the translation page from here, so everything it wants
translated reaches the server, whose log shows it."""
import contextlib
import os
import signal
import subprocess

import pytest

from quillora import CLIENT_BIN, SERVER_BIN, Client, log_texts, run, wait_until

WELCOME = "Welcome to Quillora - translations done faster\n\n\n\n"


@pytest.fixture(scope="module")
def session(tmp_path_factory):
    """Nothing listens on port 3030, so the client starts the quillora-server
    on its search path: a stand-in that notes its pid and runs the real one."""
    root = tmp_path_factory.mktemp("client")
    log, pids, folder = root / "messages.log", root / "server.pids", root / "bin"
    folder.mkdir()
    (folder / "quillora-server").write_text(
        f'#!/bin/sh\necho $$ >>"{pids}"\nexec "{SERVER_BIN}" --backend echo --log "{log}" "$@"\n')
    (folder / "quillora-server").chmod(0o755)
    client = Client(root, path=folder)
    client.folder = folder
    client.texts = lambda: log_texts(log)
    client.servers = lambda: pids.read_text().split() if pids.exists() else []
    yield client
    client.stop()
    for pid in client.servers():
        with contextlib.suppress(ProcessLookupError):  # one that stepped aside
            os.kill(int(pid), signal.SIGTERM)
        # Started detached, it has no parent to reap it; a zombie has no exe.
        assert wait_until(lambda: not os.path.exists(f"/proc/{pid}/exe"), 30)


def own_primary(text):
    """An xclip in the background holds PRIMARY with the text until replaced."""
    owner = subprocess.Popen(["xclip", "-quiet", "-selection", "primary", "-i"],
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    owner.stdin.write(text.encode())
    owner.stdin.close()
    assert wait_until(lambda: run("xclip", "-o", "-selection", "primary").stdout == text, 10)
    return owner


def tap_left_ctrl(times):
    # keydown and keyup apart: "xdotool key" makes two releases per tap on Xvfb.
    run("xdotool", *["keydown", "Control_L", "keyup", "Control_L"] * times)


def test_link_up_and_single_window(session, tmp_path):
    texts = wait_until(lambda: len(session.texts()) >= 5 and session.texts(), 60)
    assert texts[:5] == ["Offline targets for=auto", "Prepare translation=auto~de",
                         "Display language has been changed!=English",
                         "Get Translate Limit1 Length From Server", "auto~de~" + WELCOME]
    assert wait_until(lambda: len(session.windows()) == 1, 60)
    assert session.data_file("from_to.db") == b"0\r\n0\r\n30\r\n"
    assert session.data_file("config.txt").startswith(b"app_name1=Quillora\n")
    second = session.start()
    assert second.wait(60) == 0
    assert len(session.windows()) == 1
    # A client of another login links to the server that is there.
    other = Client(tmp_path, path=session.folder)
    assert wait_until(lambda: session.texts().count(texts[2]) == 2, 60)
    other.stop()
    assert len(session.servers()) == 1


def test_hotkey(session):
    """Two taps of the left Ctrl key translate the PRIMARY selection; one
    tap does nothing."""
    assert wait_until(lambda: len(session.texts()) >= 5, 60)
    seen = len(session.texts())
    owners = [own_primary("nur einmal")]
    tap_left_ctrl(1)
    assert not wait_until(lambda: len(session.texts()) > seen, 2)
    owners.append(own_primary("Guten Morgen"))
    tap_left_ctrl(2)
    assert wait_until(lambda: len(session.texts()) > seen, 60)
    assert session.texts()[seen:] == ["auto~de~Guten Morgen"]
    for owner in owners:
        owner.kill()
        owner.wait()


def test_quick_translate_command(session):
    """The command a desktop shortcut runs does what the double tap does."""
    assert wait_until(lambda: len(session.texts()) >= 5, 60)
    seen = len(session.texts())
    owner = own_primary("Guten Abend")
    assert subprocess.run([CLIENT_BIN, "--quick-translate"], env=session.env,
                          timeout=30).returncode == 0
    assert wait_until(lambda: len(session.texts()) > seen, 60)
    assert session.texts()[seen:] == ["auto~de~Guten Abend"]
    owner.kill()
    owner.wait()
