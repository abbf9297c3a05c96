"""One copy of the client per login, brought forward by a new start; no tray, no hiding."""
import os
import subprocess
import tempfile

import pytest

from quillora import Client, Desktop, wait_until


# One connection throughout: an X server left without clients resets.
desktop = pytest.fixture(scope="module")(lambda: Desktop())


@pytest.fixture
def clients():
    with tempfile.TemporaryDirectory() as root:
        os.chmod(root, 0o755)
        started = []
        yield lambda user, uid=None: started.append(
            Client(f"{root}/{user}", uid=uid, offline=True).proc) or started[-1]
        for process in started:
            process.kill()
            process.wait()


def shown_window(desktop, process):
    window = wait_until(lambda: desktop.main_window(process.pid))
    assert window and wait_until(lambda: desktop.is_shown(window))
    return window


@pytest.mark.skipif(os.geteuid() != 0, reason="starting programs as other users needs root")
def test_each_user_runs_a_copy_of_their_own(desktop, clients):
    first, second = clients("first", 61001), clients("second", 61002)
    shown_window(desktop, first)
    shown_window(desktop, second)
    first.kill()  # a crash must not block the next start
    first.wait()
    shown_window(desktop, clients("first", 61001))
    assert second.poll() is None
    segments = subprocess.run(["ipcs", "-m", "-p"], capture_output=True, text=True).stdout.split()
    assert not {str(first.pid), str(second.pid)} & set(segments)


def test_a_new_start_brings_back_the_window_a_close_hid(desktop, clients):
    tray = desktop.offer_tray()
    first = clients("user")
    window = shown_window(desktop, first)
    desktop.close(window)
    assert wait_until(lambda: not desktop.is_shown(window)) and first.poll() is None
    assert clients("user").wait(30) == 0
    assert wait_until(lambda: desktop.is_shown(window)) and first.poll() is None
    tray.destroy()  # without a tray, a close ends the program
    desktop.close(window)
    assert first.wait(30) == 0
