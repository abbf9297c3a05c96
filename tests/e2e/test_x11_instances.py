"""One copy of the client per login, brought forward by a new start; no tray, no
hiding. Its lock and socket live where only the user can write, so nothing
another user or a dead copy leaves keeps the user's client from starting."""
import glob
import os
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile

import pytest

from quillora import Client, Desktop, wait_until

needs_root = pytest.mark.skipif(os.geteuid() != 0,
                                reason="starting programs as other users needs root")
LOCK = "Zerizoriva-Dezizi.lock"
VICTIM = pwd.getpwnam("news")  # a named user whose names in /tmp nothing else takes
# As another user: a folder, a lock held in it and a socket that answers.
SQUAT = """import fcntl, os, socket, sys
os.makedirs(sys.argv[1], 0o700, exist_ok=True)
lock = open(sys.argv[2], "w", buffering=1)
lock.write("4242\\nquillora\\nsomewhere-else\\n")
fcntl.flock(lock, fcntl.LOCK_EX)
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[3])
server.listen()
print(flush=True)
while True:
    server.accept()[0].close()
"""

# One connection throughout: an X server left without clients resets.
desktop = pytest.fixture(scope="module")(lambda: Desktop())


@pytest.fixture
def home():
    with tempfile.TemporaryDirectory() as root:
        os.chmod(root, 0o755)
        yield root


@pytest.fixture
def clients(home):
    started = []
    yield lambda user, uid=None, **options: started.append(
        Client(f"{home}/{user}", uid=uid, offline=True, **options).proc) or started[-1]
    for process in started:
        process.kill()
        process.wait()


@pytest.fixture(autouse=True)
def qt_fallback():
    """Qt itself falls back to /tmp/runtime-USER when it rejects a runtime folder."""
    path = "/tmp/runtime-"  # user 61003 has no name
    existed = os.path.lexists(path)
    yield
    if not existed:
        shutil.rmtree(path, ignore_errors=True)


def shown_window(desktop, process):
    window = wait_until(lambda: desktop.main_window(process.pid))
    assert window and wait_until(lambda: desktop.is_shown(window))
    return window


def leave_lock(pid, host):
    def leave(runtime, request):
        with open(f"{runtime}/{LOCK}", "w") as lock:
            lock.write(f"{pid}\nquillora\n{host}\n")
    return leave


def dead_pid():
    process = subprocess.Popen(["true"])
    process.wait()
    return process.pid


def seal(runtime):  # neither lock nor folder can be opened for writing
    for lock in glob.glob(f"{runtime}/*.lock"):
        os.chmod(lock, 0)
    os.chmod(runtime, 0o500)


def squat(request, folder, lock, channel):
    process = subprocess.Popen(["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                sys.executable, "-c", SQUAT, folder, lock, channel],
                               stdout=subprocess.PIPE)
    request.addfinalizer(lambda: process.kill() or process.wait())
    assert process.stdout.readline() == b"\n"


def squat_in_runtime_folder(runtime, request):
    os.chown(runtime, 65534, 65534)
    squat(request, runtime, f"{runtime}/{LOCK}", f"{runtime}/Zerizoriva-Dezizi")


def squat_in_tmp(runtime, request):
    channel = f"/tmp/Zerizoriva-Dezizi-{VICTIM.pw_uid}"
    names = [f"/tmp/runtime-{VICTIM.pw_name}", channel + ".lock", channel]
    assert not any(map(os.path.lexists, names)), "left in /tmp by someone else"
    request.addfinalizer(lambda: os.rmdir(names[0]) or os.remove(names[1]) or os.remove(channel))
    squat(request, *names)
    return {"runtime_dir": False}


@needs_root
def test_each_user_runs_a_copy_of_their_own(desktop, clients):
    first, second = clients("first", 61001), clients("second", 61002)
    shown_window(desktop, first)
    shown_window(desktop, second)
    first.kill()  # a crash must not block the next start
    first.wait()
    shown_window(desktop, clients("first", 61001))
    assert second.poll() is None


@needs_root
def test_an_unwritable_lock_place_lets_a_first_copy_start(desktop, clients, home):
    runtime = f"{home}/user/xdg_runtime_dir"
    os.makedirs(runtime)
    os.chown(runtime, 61003, 61003)
    seal(runtime)
    shown_window(desktop, clients("user", 61003))


@pytest.mark.parametrize("uid, before, between", [
    (None, None, None),
    (None, leave_lock(4242, "somewhere-else"), None),
    (None, leave_lock(dead_pid(), socket.gethostname()), None),
    pytest.param(61003, None, seal, marks=needs_root),
    pytest.param(None, squat_in_runtime_folder, None, marks=needs_root),
    pytest.param(VICTIM.pw_uid, squat_in_tmp, None, marks=needs_root),
], ids=["plain", "lock-of-another-host", "lock-of-a-dead-copy", "lock-place-sealed-while-running",
        "runtime-folder-of-another-user", "names-of-another-user-in-tmp"])
def test_a_new_start_brings_back_the_window_a_close_hid(desktop, clients, home, request,
                                                         uid, before, between):
    runtime = f"{home}/user/xdg_runtime_dir"
    os.makedirs(runtime, 0o700)
    options = before and before(runtime, request) or {}
    tray = desktop.offer_tray()
    first = clients("user", uid, **options)
    window = shown_window(desktop, first)
    desktop.close(window)
    assert wait_until(lambda: not desktop.is_shown(window)) and first.poll() is None
    if between:
        between(runtime)
    assert clients("user", uid, **options).wait(30) == 0
    assert wait_until(lambda: desktop.is_shown(window)) and first.poll() is None
    tray.destroy()  # without a tray, a close ends the program
    desktop.close(window)
    assert first.wait(30) == 0
