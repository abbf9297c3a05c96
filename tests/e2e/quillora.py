"""Drives the real quillora-server and client for the end-to-end checks.

The paths of the built programs come from the environment that CTest sets:
QUILLORA_SERVER_BIN and QUILLORA_CLIENT_BIN.
"""
import glob
import os
import re
import shutil
import socket
import struct
import subprocess
import threading
import time

SERVER_BIN = os.environ.get("QUILLORA_SERVER_BIN", "quillora-server")
CLIENT_BIN = os.environ.get("QUILLORA_CLIENT_BIN", "quillora")


def encode(text):
    """One frame: body length, then the text as Qt serialises a QString."""
    body = text.encode("utf-16-be")
    return struct.pack(">II", len(body) + 4, len(body)) + body


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_until(predicate, timeout=30.0, step=0.02):
    """Polls a condition that has no signal to wait on; returns its last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


def run(*command):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True, timeout=30)


class Link:
    """One client connection that speaks frames."""

    def __init__(self, port, timeout=30.0):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        self.reader = self.sock.makefile("rb")

    def send(self, text):
        self.sock.sendall(encode(text))

    def _read(self, count):
        data = self.reader.read(count)
        if len(data) < count:
            raise EOFError("the server closed the link")
        return data

    def receive(self):
        size, count = struct.unpack(">II", self._read(8))
        body = self._read(size - 4)
        return "" if count == 0xFFFFFFFF else body.decode("utf-16-be")

    def ask(self, text):
        self.send(text)
        return self.receive()

    def closed_by_server(self, timeout=30.0):
        """True once the server has closed the link (whatever it sent first)."""
        self.sock.settimeout(timeout)
        try:
            while self.sock.recv(65536):
                pass
            return True
        except ConnectionResetError:
            return True
        except socket.timeout:
            return False

    def close(self):
        self.reader.close()
        self.sock.close()


class Server:
    """quillora-server on 127.0.0.1 and a free port, for one test; on a given
    port it listens where it does by default. Keywords go to Popen."""

    def __init__(self, *args, port=None, **popen):
        for _ in range(5):
            self.port = port or free_port()
            where = [] if port else ["--listen", "127.0.0.1"]
            self.proc = subprocess.Popen(
                [SERVER_BIN, "--port", str(self.port), *where, *args],
                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **popen)
            if "listening on" in self.proc.stdout.readline():
                self.messages = []
                threading.Thread(target=self._collect_log, daemon=True).start()
                return
            self.proc.wait()
        raise RuntimeError("quillora-server did not start: " + self.proc.stderr.read())

    def _collect_log(self):
        for line in self.proc.stderr:
            self.messages.append(line)

    def logged(self, text):
        """True once a line of the server's log contains the text."""
        return any(text in line for line in self.messages)

    def link(self):
        return Link(self.port)

    def descendants(self):
        """Pids of every live process the server started, directly or not."""
        parents = {}
        for entry in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
            except (OSError, IndexError):
                continue
            if fields[0] != "Z":
                parents[int(entry)] = int(fields[1])
        found, frontier = set(), {self.proc.pid}
        while frontier:
            frontier = {pid for pid, parent in parents.items() if parent in frontier}
            found |= frontier
        return found

    def peak_memory_kb(self):
        with open(f"/proc/{self.proc.pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0

    def stop(self):
        """SIGTERM; returns the exit code."""
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(30)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        return self.proc.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def log_texts(path):
    """The texts of a server log (--log): each line is a time stamp, the peer
    and the text with backslashes, line ends and tabs escaped."""
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as log:
        escapes = {"n": "\n", "r": "\r", "t": "\t"}
        return [re.sub(r"\\(.)", lambda m: escapes.get(m[1], m[1]), line.split(" ", 2)[2])
                for line in log.read().splitlines()]


class Client:
    """The real client on the test's X display, with a home, data and runtime
    directories of its own under root."""

    def __init__(self, root, locale="de_DE.UTF-8", uid=None, offline=False, runtime_dir=True,
                 path=None):
        """As user uid if given; offline, as root, in a network of its own where
        it reaches no server and no web page; without runtime_dir, as on a login
        that has no XDG_RUNTIME_DIR; with the folder path first on its search
        path. /tmp stays shared by all."""
        self.root = str(root)
        # Without OpenGL, as the client starts by itself.
        self.env = dict(os.environ, LANG=locale, LC_ALL=locale, QT_QPA_PLATFORM="xcb",
                        QT_XCB_GL_INTEGRATION="none")
        if path:
            self.env["PATH"] = f"{path}:{self.env['PATH']}"
        for name in ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"):
            self.env[name] = os.path.join(self.root, name.lower())
            os.makedirs(self.env[name], mode=0o700, exist_ok=True)
            if uid is not None:
                os.chown(self.env[name], uid, uid)
        if not runtime_dir:
            del self.env["XDG_RUNTIME_DIR"]
        self.prefix = ["unshare", "-n"] if offline and os.geteuid() == 0 else []
        if uid is not None:
            self.prefix += ["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups"]
            if "XAUTHORITY" in self.env:  # a copy the user may read
                self.env["XAUTHORITY"] = shutil.copy(self.env["XAUTHORITY"], self.root)
                os.chmod(self.env["XAUTHORITY"], 0o644)
        self.proc = self.start()

    def start(self):
        return subprocess.Popen([*self.prefix, CLIENT_BIN], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def windows(self, title="^Quillora$"):
        return run("xdotool", "search", "--onlyvisible", "--name", title).stdout.split()

    def data_file(self, name):
        """The bytes of a file in the client's data directory, or None."""
        for path in glob.glob(f"{self.root}/xdg_data_home/**/{name}", recursive=True):
            with open(path, "rb") as data:
                return data.read()
        return None

    def stop(self):
        self.proc.kill()
        self.proc.wait()


class Desktop:
    """The tests' X display, seen and driven as a window manager would."""

    def __init__(self):
        from Xlib import X, display
        self.X, self.display = X, display.Display()
        self.root, self.atom = self.display.screen().root, self.display.intern_atom

    def main_window(self, pid):
        for window in self.root.query_tree().children:
            owner = window.get_full_property(self.atom("_NET_WM_PID"), 0)
            title = window.get_full_property(self.atom("_NET_WM_NAME"), 0)
            if owner and owner.value[0] == pid and title and title.value:
                return window

    def is_shown(self, window):
        return window.get_attributes().map_state == self.X.IsViewable

    def close(self, window):  # what a title bar's close button does
        from Xlib.protocol.event import ClientMessage
        window.send_event(ClientMessage(window=window, client_type=self.atom("WM_PROTOCOLS"), data=(
            32, [self.atom("WM_DELETE_WINDOW"), self.X.CurrentTime, 0, 0, 0])))
        self.display.flush()

    def offer_tray(self):  # a system tray until the returned window is destroyed
        owner = self.root.create_window(0, 0, 1, 1, 0, self.X.CopyFromParent)
        owner.set_selection_owner(self.atom("_NET_SYSTEM_TRAY_S0"), self.X.CurrentTime)
        self.display.sync()
        return owner
