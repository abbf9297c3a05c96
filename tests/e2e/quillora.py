"""Drives the real quillora-server (and client) for the end-to-end checks.

The paths of the built programs come from the environment that CTest sets:
QUILLORA_SERVER_BIN and QUILLORA_CLIENT_BIN.
"""
import os
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


class Link:
    """One client connection that speaks frames."""

    def __init__(self, port, timeout=30.0):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        self.buffer = b""

    def send(self, text):
        self.sock.sendall(encode(text))

    def _read(self, count):
        while len(self.buffer) < count:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise EOFError("the server closed the link")
            self.buffer += chunk
        data, self.buffer = self.buffer[:count], self.buffer[count:]
        return data

    def receive(self):
        (size,) = struct.unpack(">I", self._read(4))
        body = self._read(size)
        (count,) = struct.unpack(">I", body[:4])
        return "" if count == 0xFFFFFFFF else body[4:4 + count].decode("utf-16-be")

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
        except (ConnectionResetError, socket.timeout):
            return False

    def close(self):
        self.sock.close()


class Server:
    """quillora-server on 127.0.0.1 and a free port, for one test."""

    def __init__(self, *args):
        for _ in range(5):
            self.port = free_port()
            self.proc = subprocess.Popen(
                [SERVER_BIN, "--port", str(self.port), "--listen", "127.0.0.1", *args],
                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            line = self.proc.stdout.readline()
            if "listening on" in line:
                self.log = []
                threading.Thread(target=self._collect_log, daemon=True).start()
                return
            self.proc.wait()
        raise RuntimeError("quillora-server did not start: " + self.proc.stderr.read())

    def _collect_log(self):
        for line in self.proc.stderr:
            self.log.append(line)

    def logged(self, text):
        """True once a line of the server's log contains the text."""
        return any(text in line for line in self.log)

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


def start_client(root, uid=None):
    """The real client with its own home and XDG directories under root, as user uid if given;
    as root in a network of its own, where it reaches no server and no web page."""
    env = dict(os.environ, QT_QPA_PLATFORM="xcb")
    for variable in ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"):
        env[variable] = os.path.join(root, variable)
        os.makedirs(env[variable], mode=0o700, exist_ok=True)
        os.chown(env[variable], uid or os.getuid(), uid or os.getgid())
    setpriv = [] if uid is None else ["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups"]
    if uid is not None and "XAUTHORITY" in env:  # a copy the user may read
        env["XAUTHORITY"] = shutil.copy(env["XAUTHORITY"], root)
        os.chmod(env["XAUTHORITY"], 0o644)
    unshare = ["unshare", "-n"] if os.geteuid() == 0 else []
    return subprocess.Popen([*unshare, *setpriv, CLIENT_BIN], env=env, stdout=subprocess.DEVNULL)


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
