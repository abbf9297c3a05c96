"""One copy of the client per user login: a second user runs a copy of their
own, a later start brings the running copy forward, and without a tray the
close button ends the program."""
import os
import shutil
import tempfile

import pytest

from quillora import Desktop, shared_memory_creators, start_client, wait_until


@pytest.fixture(scope="module")
def desktop():
    # One connection for all tests: an X server left without clients resets,
    # and refuses the connections made meanwhile.
    desktop = Desktop()
    yield desktop
    desktop.close_display()


@pytest.fixture
def tray(desktop):
    owner = desktop.offer_tray()
    yield
    owner.destroy()
    desktop.display.sync()


@pytest.fixture
def clients():
    """Starts clients, each user in a directory of its own; ends them all."""
    root = tempfile.mkdtemp()
    os.chmod(root, 0o755)
    started = []

    def start(user, uid=None):
        process = start_client(os.path.join(root, user), uid)
        started.append(process)
        return process

    yield start
    for process in started:
        process.kill()
        process.wait()
    shutil.rmtree(root)


def shown_window(desktop, process):
    window = wait_until(lambda: desktop.main_window(process.pid))
    assert window and wait_until(lambda: desktop.is_shown(window))
    return window


@pytest.mark.skipif(os.geteuid() != 0, reason="starting programs as other users needs root")
def test_each_user_runs_a_copy_of_their_own(desktop, clients):
    first = clients("first", 61001)
    second = clients("second", 61002)
    shown_window(desktop, first)
    shown_window(desktop, second)
    # A copy that crashed leaves nothing that blocks its user's next start.
    first.kill()
    first.wait()
    shown_window(desktop, clients("first", 61001))
    assert second.poll() is None
    assert not shared_memory_creators() & {first.pid, second.pid}


def test_a_new_start_brings_the_hidden_window_back(desktop, tray, clients):
    first = clients("user")
    window = shown_window(desktop, first)
    desktop.close(window)
    assert wait_until(lambda: not desktop.is_shown(window))
    assert first.poll() is None
    assert clients("user").wait(30) == 0
    assert wait_until(lambda: desktop.is_shown(window))
    assert first.poll() is None


def test_close_ends_the_program_without_a_tray(desktop, clients):
    first = clients("user")
    desktop.close(shown_window(desktop, first))
    assert first.wait(30) == 0
