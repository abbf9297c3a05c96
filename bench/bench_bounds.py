#!/usr/bin/env python3
"""What hostile or careless clients cost quillora-server's other clients,
over loopback, with medians.

  bench/bench_bounds.py [path/to/quillora-server] [seconds]

Four probes, each against a fresh server with the Apertium back end and its
default bounds, each loop bounded in count and time:
- a bystander's English to Spanish latency while two clients keep sending
  texts of 1.28 million characters, far past the limit;
- the server's peak memory while three clients send 16 MiB frames for
  `seconds` (60 by default);
- how long a newcomer waits for its first answer with 500 idle connections
  open, the connection cap;
- how many pipelines 20 s of send-a-request-and-hang-up start, and the
  bystander's latency meanwhile.
"""
import os
import socket
import statistics
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import quillora  # noqa: E402

if len(sys.argv) > 1:
    quillora.SERVER_BIN = sys.argv[1]
SECONDS = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
SHORT = "en~es~The library opens at nine in the morning."


def ms(seconds):
    return f"{seconds * 1000:.1f} ms"


def timed(function):
    start = time.perf_counter()
    function()
    return time.perf_counter() - start


def in_background(work, count):
    """Runs work(stop) in threads until the returned stop() is called."""
    stopping = threading.Event()
    threads = [threading.Thread(target=work, args=(stopping,)) for _ in range(count)]
    for thread in threads:
        thread.start()

    def stop():
        stopping.set()
        for thread in threads:
            thread.join()
    return stop


def bystander(server, runs=30):
    link = server.link()
    link.ask(SHORT)  # the pipeline starts once
    return statistics.median(timed(lambda: link.ask(SHORT)) for _ in range(runs))


def texts_past_the_limit():
    with quillora.Server("--backend", "apertium") as server:
        alone = bystander(server)
        frame = quillora.encode("en~es~" + "x" * 1_280_000)

        def flood(stopping):
            link = server.link()
            while not stopping.is_set():
                link.sock.sendall(frame)
                link.receive()
        stop = in_background(flood, 2)
        crowded = bystander(server)
        stop()
    print(f"bystander en->es, {len(SHORT) - 6} chars: alone {ms(alone)}, while two clients "
          f"send 1.28 M characters {ms(crowded)}")


def big_frames():
    with quillora.Server("--backend", "apertium") as server:
        frame = quillora.encode("en~es~" + "x" * ((16 * 1024 * 1024 - 20) // 2))
        deadline = time.monotonic() + SECONDS

        def flood(stopping):
            link = server.link()
            link.sock.settimeout(1)
            while not stopping.is_set() and time.monotonic() < deadline:
                try:
                    link.sock.sendall(frame)
                except OSError:
                    pass  # the server reads on its own terms
        stop = in_background(flood, 3)
        while time.monotonic() < deadline:
            time.sleep(0.5)
        stop()
        print(f"peak memory while three clients send 16 MiB frames for {SECONDS:.0f} s: "
              f"{server.peak_memory_kb() / 1024:.0f} MiB")


def newcomers(runs=20):
    with quillora.Server("--backend", "apertium") as server:
        idle = [server.link() for _ in range(500)]
        limit = "Get Translate Limit1 Length From Server"
        waits = []
        for _ in range(runs):
            start = time.perf_counter()
            link = server.link()
            link.ask(limit)
            waits.append(time.perf_counter() - start)
            idle.append(link)
        print(f"newcomer with 500 idle connections open: first answer after "
              f"{ms(statistics.median(waits))} (median of {runs}), longest {ms(max(waits))}")


def hang_ups(seconds=20.0):
    with quillora.Server("--backend", "apertium") as server:
        alone = bystander(server)
        groups, deadline = set(), time.monotonic() + seconds

        def hang_up(stopping):
            while not stopping.is_set() and time.monotonic() < deadline:
                link = server.link()
                link.send("en~es~" + "The library opens at nine in the morning. " * 40)
                time.sleep(0.05)
                link.close()

        def watch(stopping):
            while not stopping.is_set():
                for pid in server.descendants():
                    try:
                        groups.add(os.getpgid(pid))
                    except ProcessLookupError:
                        pass
                time.sleep(0.02)
        stop_watch = in_background(watch, 1)
        stop = in_background(hang_up, 1)
        crowded = bystander(server)
        while time.monotonic() < deadline:
            time.sleep(0.5)
        stop()
        stop_watch()
    print(f"{seconds:.0f} s of request-and-hang-up: {len(groups)} pipelines started in all "
          f"(the bystander's included); bystander alone {ms(alone)}, meanwhile {ms(crowded)}")


if __name__ == "__main__":
    socket.setdefaulttimeout(120)
    texts_past_the_limit()
    big_frames()
    newcomers()
    hang_ups()
