"""Offline translation through the real quillora-server with Apertium, and the
server's defences against careless and hostile clients."""
import atexit
import os
import re
import resource
import shutil
import signal
import socket
import subprocess
import tempfile
import threading

import pytest

from quillora import SERVER_BIN, Server, encode, wait_until

# The pairs the install script brings, whatever else the machine has.
DATA = tempfile.mkdtemp()
atexit.register(shutil.rmtree, DATA)
os.mkdir(os.path.join(DATA, "modes"))
for installed in ("eng-spa", "spa-eng", "fr-es", "es-fr"):
    os.symlink(f"/usr/share/apertium/modes/{installed}.mode",
               os.path.join(DATA, "modes", f"{installed}.mode"))
os.environ["APERTIUM_DATADIR"] = DATA

# Under AddressSanitizer, shadow memory and the quarantine of freed blocks
# count as resident: the server's memory bounds are checked in the normal
# build only, everything else in both.
SANITIZED = bool(os.environ.get("QUILLORA_SANITIZED"))

FAILED = "The offline translation failed."
LIMIT_REQUEST = "Get Translate Limit1 Length From Server"
LONG = ("The library opens at nine in the morning and closes late in the evening. " * 30)[:1800]


def one_shot(mode, text):
    return subprocess.run(["apertium", "-u", "-f", "txt", mode], input=text.encode(),
                          capture_output=True, check=True).stdout.decode()


def line_by_line(mode, text):
    """Each line translated on its own, the line breaks and blanks around them kept."""
    parts = re.split(r"(\s*[\r\n]\s*)", text)
    return "".join(part if i % 2 else one_shot(mode, part) for i, part in enumerate(parts))


def add_modes(data, **modes):
    """Mode files in data/modes: a name of an installed mode, or a stage's shell script."""
    os.makedirs(data / "modes", exist_ok=True)
    for name, stage in modes.items():
        mode = data / "modes" / f"{name.replace('_', '-')}.mode"
        if stage in ("eng-spa", "spa-eng", "fr-es"):
            mode.symlink_to(f"/usr/share/apertium/modes/{stage}.mode")
        else:
            (data / name).write_text(f"#!/bin/bash\n{stage}\n")
            (data / name).chmod(0o755)
            mode.write_text(f"{data / name}\n")


@pytest.fixture(scope="module")
def server():
    with Server("--backend", "apertium") as running:
        yield running


@pytest.mark.parametrize("text", [
    "The cat sleeps.",
    "First line\nsecond line\n\n\nafter blank lines\n",
    "The red\nhouse is big \r\n\r\n I like the green\t\ncar",
    "  Indented\ttab~tilde ~ and [brackets] <x> {y} a/b \\ $5 @me ^_^",
    "Ünïcode façade, 日本語 and 😀 emoji.\r\nWindows line",
    LONG,
])
def test_warm_pipeline_answers_line_by_line_like_one_shot_apertium(server, text):
    link = server.link()
    link.ask("en~es~warm up")
    assert link.ask("en~es~" + text) == line_by_line("eng-spa", text)


def test_clients_sharing_a_pair_get_their_own_answers_in_order(server):
    dogs, houses = server.link(), server.link()
    for i in range(6):
        dogs.send(f"en~es~The dog number {i}.")
        houses.send(f"en~es~The house number {i}.")
    for i in range(6):
        assert dogs.receive() == f"El número de perro {i}."
        assert houses.receive() == f"El número de casa {i}."


@pytest.mark.parametrize("source, text, answer", [
    ("fr", "Le chat est noir.", "The cat is black."),
    ("auto", "Le chien mange la pomme rouge.", "The dog eats the red apple."),
    ("en", "The red house.", one_shot("es-fr", one_shot("eng-spa", "The red house."))),
])
def test_pairs_without_a_direct_mode_go_through_a_third_language(server, source, text, answer):
    target = "fr" if source == "en" else "en"
    link = server.link()
    link.send(f"{source}~{target}~{text}")
    if source == "auto":  # the language found comes first
        assert link.receive() == "Detected language=fr"
    assert link.receive() == answer


@pytest.mark.parametrize("args, code, output", [
    (["--list-pairs"], 0, "fr -> en: fr-es, spa-eng\n"),
    (["--list-pairs"], 0, "en -> es: eng-spa\n"),
    (["--list-pairs"], 0, "fr -> es: fr-es\n"),
    (["--limit", "-5", "--list-pairs"], 1, "the limit is 1 to 8388594 characters"),
])
def test_command_line(args, code, output):
    run = subprocess.run([SERVER_BIN, *args], capture_output=True, text=True, timeout=60)
    assert run.returncode == code
    assert output in run.stdout + run.stderr


def answer_anything(listener):
    with listener.accept()[0] as link:
        link.recv(65536)
        link.sendall(encode("Hello"))


@pytest.mark.parametrize("holder, code", [("quillora", 0), ("silent", 1), ("talking", 1)])
def test_a_taken_port(holder, code):
    if holder == "quillora":
        with Server() as first:
            run = subprocess.run([SERVER_BIN, "--port", str(first.port), "--listen", "127.0.0.1"],
                                 capture_output=True, text=True, timeout=60)
    else:
        with socket.socket() as other:
            other.bind(("127.0.0.1", 0))
            other.listen()
            if holder == "talking":
                threading.Thread(target=answer_anything, args=(other,), daemon=True).start()
            run = subprocess.run([SERVER_BIN, "--port", str(other.getsockname()[1]),
                                  "--listen", "127.0.0.1"],
                                 capture_output=True, text=True, timeout=60)
    assert run.returncode == code
    assert ("another quillora-server is already listening" in run.stderr) == (code == 0)


def test_pairs_installed_and_removed_while_running_are_followed(tmp_path, monkeypatch):
    add_modes(tmp_path, eng_spa="eng-spa")
    monkeypatch.setenv("APERTIUM_DATADIR", str(tmp_path))
    with Server("--backend", "apertium", "--rescan-delay", "0.2") as running:
        link = running.link()
        assert link.ask("Offline targets for=auto") == "Offline targets=auto~es"
        assert link.ask("Offline targets for=fr") == "Offline targets=fr~"
        assert link.ask("fr~es~Bonjour.") == "No offline translation is available for French to Spanish."
        add_modes(tmp_path, fr_es="fr-es")
        assert link.receive() == "Offline targets=fr~es"
        link.send("Prepare translation=fr~es")
        assert wait_until(running.descendants)
        assert link.ask("fr~es~Bonjour.") == "Saludo."
        os.remove(tmp_path / "modes" / "fr-es.mode")
        assert link.receive() == "Offline targets=fr~"
        assert link.ask("fr~es~Bonjour.") == "No offline translation is available for French to Spanish."
        # A pair found broken is tried again once its files change.
        add_modes(tmp_path, fr_es="exit 1")
        assert link.receive() == "Offline targets=fr~es"
        assert [link.ask("fr~es~Bonjour."), link.receive()] == ["Offline targets=fr~", FAILED]
        os.remove(tmp_path / "modes" / "fr-es.mode")
        add_modes(tmp_path, fr_es="fr-es")
        assert link.receive() == "Offline targets=fr~es"
        assert link.ask("fr~es~Bonjour.") == "Saludo."


# Unique to this run, so that no other test's process is taken for it.
SLEEPER = f"sleep 301.{os.getpid()}"


def commands():
    """The command line of every process on the machine."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                found.append(cmdline.read().replace(b"\0", b" ").decode().strip())
        except OSError:
            pass
    return found


def test_broken_pairs_are_found_left_out_and_answered_at_once(tmp_path, monkeypatch):
    """Stages that die, hang, or answer their first input and hang on the next."""
    add_modes(tmp_path, eng_spa="eng-spa", spa_eng="spa-eng", fr_es="fr-es", fra_eng="exit 1",
              eng_deu="exec cat >/dev/null",
              eng_cat="IFS= read -r -d '' x; printf '%s\\0' \"$x\"; " + SLEEPER,
              eng_ita="IFS= read -r -d '' x; printf '%s\\0' \"$x\"; read -r -d '' x; printf '\\0'")
    monkeypatch.setenv("APERTIUM_DATADIR", str(tmp_path))
    # Long enough for a real pair to load its data on a busy machine; the
    # fake stages that hang are found when it runs out.
    listed = subprocess.run([SERVER_BIN, "--list-pairs", "--probe-timeout", "5"],
                            capture_output=True, text=True, timeout=60).stdout
    for line in ("en -> ca: eng-cat\n", "en -> de: eng-deu (broken)\n", "fr -> en: fr-es, spa-eng\n"):
        assert line in listed
    with Server("--backend", "apertium", "--probe-timeout", "5", "--request-timeout", "3") as running:
        link = running.link()
        link.sock.settimeout(30)
        assert link.ask("Offline targets for=en") == "Offline targets=en~ca,de,it,es"
        link.send("en~de~Hello.")
        assert [link.receive(), link.receive()] == ["Offline targets=en~ca,it,es", FAILED]
        assert wait_until(lambda: not running.descendants())
        assert link.ask("en~de~Hello again.") == FAILED
        assert link.ask("fr~en~Le chat est noir.") == "The cat is black."
        assert link.ask("en~ca~Hello.") == FAILED  # a hang past the request time-out
        assert wait_until(lambda: SLEEPER not in commands())  # and what the stage started
        assert link.ask("en~it~Hello.") == FAILED  # an empty answer, as after a stage died
        assert sum("failed its first translation" in line for line in running.messages) == 2


def test_a_stage_that_dies_mid_request_ends_its_pipeline():
    with Server("--backend", "apertium") as running:
        link = running.link()
        assert link.ask("en~es~Good morning.") == "Buenos días."
        stages = running.descendants()
        stopped = sorted(stages)[len(stages) // 2]
        os.kill(stopped, signal.SIGSTOP)
        link.send("en~es~The first request.")
        # Answered at once, after the request has gone into the pipeline.
        assert link.ask(LIMIT_REQUEST).endswith("=50000")
        os.kill(stopped, signal.SIGKILL)
        assert link.receive() == FAILED
        assert link.ask("en~es~The second request.") == "La segunda petición."
        assert wait_until(lambda: not stages & running.descendants())


def test_an_unused_pipeline_is_closed():
    with Server("--backend", "apertium", "--pipeline-idle", "1") as running:
        assert running.link().ask("en~es~Good morning.") == "Buenos días."
        assert wait_until(lambda: not running.descendants())


def test_a_client_that_hangs_up_costs_no_pipeline():
    """Its answer is let go; the pipeline serves the next client."""
    with Server("--backend", "apertium") as running:
        bystander, groups = running.link(), set()
        for _ in range(10):
            assert bystander.ask("en~es~Good morning.") == "Buenos días."  # a pipeline is free
            link = running.link()
            link.send("en~es~" + LONG * 5)
            link.ask(LIMIT_REQUEST)  # answered at once, once the request is in the pipeline
            link.close()
            groups |= {os.getpgid(pid) for pid in running.descendants()}
        assert len(groups) <= 2  # the pipelines a pair may have


def test_past_the_pipeline_cap_the_idle_pipeline_gives_way():
    with Server("--backend", "apertium", "--pipelines", "1") as running:
        link = running.link()
        assert link.ask("en~es~Good morning.") == "Buenos días."
        english = running.descendants()
        assert link.ask("fr~es~Bonjour.") == "Saludo."
        assert english and not english & running.descendants()


HANG = "exec cat >/dev/null"  # takes its input and never answers


@pytest.mark.parametrize("cap", [("--max-waiting", "2"), ("--waiting-bytes", "3000000"),
                                 ("--total-waiting-bytes", "3000000")])
def test_waiting_work_is_bounded(tmp_path, monkeypatch, cap):
    """Three clients flood a pipeline that never answers; a client with
    nothing waiting is still read and answered."""
    add_modes(tmp_path, eng_deu=HANG)
    monkeypatch.setenv("APERTIUM_DATADIR", str(tmp_path))
    with Server("--backend", "apertium", "--probe-timeout", "60", "--limit", "1000000",
                "--max-waiting", "1000", "--waiting-bytes", "1000000000",
                "--total-waiting-bytes", "1000000000", *cap) as running:
        start = running.peak_memory_kb()
        frame = encode("en~de~" + "x" * 1_000_000)
        for flood in [running.link() for _ in range(3)]:
            flood.sock.settimeout(2)
            try:
                for _ in range(40):
                    flood.sock.sendall(frame)
            except OSError:
                pass  # the server has stopped reading
        assert running.link().ask("no request") == "The server did not understand this request."
        assert SANITIZED or running.peak_memory_kb() - start < 60_000


@pytest.mark.parametrize("caps, closed", [
    (("--output-cap", "1000000"), "does not read its answers"),
    (("--output-cap", "100000000", "--total-output-cap", "3000000"),
     "the most of all unread answers"),
])
def test_unread_answers_are_bounded_per_client_and_in_total(caps, closed):
    with Server("--backend", "echo", "--limit", "1000000", "--stall-timeout", "5",
                *caps) as running:
        start = running.peak_memory_kb()
        frame = encode("en~es~" + "x" * 1_000_000)
        for silent in [running.link() for _ in range(4)]:
            silent.sock.settimeout(2)
            try:
                for _ in range(100):
                    silent.sock.sendall(frame)
            except OSError:
                pass  # blocked by the server's pause, or closed by it
        assert running.link().ask("en~es~still served") == "[es] still served"
        assert SANITIZED or running.peak_memory_kb() - start < 150_000
        assert wait_until(lambda: running.logged(closed))


def test_a_half_sent_frame_is_closed_after_the_stall_timeout():
    with Server("--backend", "echo", "--stall-timeout", "1") as running:
        stalled = running.link()
        stalled.sock.sendall(encode("en~es~cut short")[:9])
        assert stalled.closed_by_server()
        assert wait_until(lambda: running.logged("a frame stalled half sent"))


def test_a_nested_marker_answer_is_cleaned_without_holding_up_others():
    marker = "Get Translate Limit Length From Server="
    nested = marker[:20] * 32_800 + marker[20:] * 32_800
    with Server("--backend", "echo", "--limit", "2000000") as running:
        big, small = running.link(), running.link()
        big.sock.settimeout(10)
        small.sock.settimeout(10)
        big.send("en~es~" + nested + " end")
        assert small.ask("en~es~quick") == "[es] quick"
        assert big.receive() == "[es]  end"


def test_at_the_connection_cap_the_longest_idle_gives_way(tmp_path, monkeypatch):
    """Clients at work never give way; newcomers finding none idle are closed,
    and logged once however many they are."""
    add_modes(tmp_path, eng_deu=HANG)
    monkeypatch.setenv("APERTIUM_DATADIR", str(tmp_path))
    with Server("--backend", "apertium", "--max-connections", "2", "--log-interval", "60",
                "--probe-timeout", "60") as running:
        idle, busy = running.link(), running.link()
        busy.send("en~de~wait")
        busy.ask(LIMIT_REQUEST)  # answered at once, once the request is in
        newcomer = running.link()
        assert idle.closed_by_server()
        newcomer.send("en~de~wait")
        newcomer.ask(LIMIT_REQUEST)
        assert all(running.link().closed_by_server() for _ in range(30))
        assert [line for line in running.messages if "refused" in line] == [
            "refused a connection: 2 connections open, none of them idle\n"]


def test_under_descriptor_pressure_a_newcomer_still_translates():
    pressure = lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (256, 256))  # noqa: E731
    with Server("--backend", "apertium", preexec_fn=pressure) as running:
        links = [running.link() for _ in range(372)]
        assert running.link().ask("fr~en~Le chat est noir.") == "The cat is black."
        assert links
