#!/usr/bin/env python3
"""Offline translation timings of quillora-server over loopback, with medians.

  bench/bench_offline.py [path/to/quillora-server] [runs]

Measures, with the Apertium back end:
- the first request of a pair, cold (the pipeline starts) and readied by
  "Prepare translation=" a moment before, on fresh servers;
- every route that --list-pairs offers, warm, with a sentence of about 90
  characters;
- English to Spanish with a warm pipeline, 100 and 1800 characters, through the
  server and, in the same run, the same null-flush pipeline driven directly;
- 20 clients sending 1800-character requests at once: throughput, 95th
  percentile latency and the most processes the server had running;
- French to English through Spanish next to the direct pairs.
"""
import os
import socket
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import quillora  # noqa: E402

if len(sys.argv) > 1:
    quillora.SERVER_BIN = sys.argv[1]
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 30
ENGLISH = ("The library opens at nine in the morning and closes late in the evening. Students "
           "come to read, to write their essays and to meet their friends. ") * 30
FRENCH = "Le chat dort sur la table de la cuisine pendant que les enfants jouent dehors."
SENTENCES = {
    "en": "The children play in the garden while their parents cook dinner in the small kitchen.",
    "fr": "Les enfants jouent dans le jardin pendant que leurs parents cuisinent dans la cuisine.",
    "es": "Los niños juegan en el jardín mientras sus padres preparan la cena en la cocina pequeña.",
}


def ms(seconds):
    return f"{seconds * 1000:.1f} ms"


class DirectPipeline:
    """The server's pipeline for a mode, fed by this script without a server."""

    def __init__(self, mode):
        command = subprocess.run(
            ["apertium-wblank-mode", "-z", f"/usr/share/apertium/modes/{mode}.mode"],
            capture_output=True, text=True, check=True).stdout
        self.proc = subprocess.Popen(["bash", "-c", command, "bash", "-n", ""],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     start_new_session=True)

    def ask(self, stream):
        self.proc.stdin.write(stream)
        self.proc.stdin.flush()
        answer = b""
        while not answer.endswith(b"\0"):
            answer += os.read(self.proc.stdout.fileno(), 65536)
        return answer

    def close(self):
        os.killpg(self.proc.pid, 9)
        self.proc.wait()


def deformatted(text):
    """The pipeline input for a text, made once, outside the timings."""
    return subprocess.run(["apertium-destxt"], input=text.encode(),
                          capture_output=True, check=True).stdout + b"\0"


def timed(function):
    start = time.perf_counter()
    function()
    return time.perf_counter() - start


def warm_comparison(server):
    link = server.link()
    direct = DirectPipeline("eng-spa")
    for size in (100, 1800):
        text = ENGLISH[:size]
        stream = deformatted(text)
        link.ask("en~es~" + text)
        direct.ask(stream)
        through, alone = [], []
        for _ in range(RUNS):
            through.append(timed(lambda: link.ask("en~es~" + text)))
            alone.append(timed(lambda: direct.ask(stream)))
        a, b = statistics.median(through), statistics.median(alone)
        print(f"en->es {size:4} chars, warm: server {ms(a)}, pipeline alone {ms(b)}, "
              f"ratio {a / b:.2f}")
    direct.close()


def concurrent_clients(server, clients=20, requests=10):
    text = "en~es~" + ENGLISH[:1800]
    latencies, peak, done = [], [0], threading.Event()

    def watch():
        while not done.is_set():
            peak[0] = max(peak[0], len(server.descendants()))
            time.sleep(0.01)

    def client():
        link = server.link()
        for _ in range(requests):
            latencies.append(timed(lambda: link.ask(text)))

    watcher = threading.Thread(target=watch)
    watcher.start()
    workers = [threading.Thread(target=client) for _ in range(clients)]
    start = time.perf_counter()
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    elapsed = time.perf_counter() - start
    done.set()
    watcher.join()
    latencies.sort()
    print(f"{clients} clients x {requests} requests of 1800 chars: "
          f"{len(latencies) / elapsed:.1f} requests/s, median {ms(statistics.median(latencies))}, "
          f"p95 {ms(latencies[int(len(latencies) * 0.95) - 1])}, "
          f"at most {peak[0]} server processes")


def pivot(server):
    link = server.link()
    for request in ("fr~es~", "fr~en~", "en~es~"):
        text = request + (ENGLISH[:len(FRENCH)] if request.startswith("en") else FRENCH)
        link.ask(text)
        print(f"{request[:5].replace('~', '->')} {len(FRENCH)} chars, warm: "
              f"{ms(statistics.median(timed(lambda: link.ask(text)) for _ in range(RUNS)))}")


def first_requests(fresh=7, settle=3.0):
    """The first en->es request of 100 characters on a fresh server, cold and
    `settle` seconds after the pair was readied, as a client readies the pair
    the user picked long before translating."""
    for prepared in (False, True):
        times = []
        for _ in range(fresh):
            with quillora.Server("--backend", "apertium") as server:
                link = server.link()
                if prepared:
                    link.send("Prepare translation=en~es")
                    time.sleep(settle)
                times.append(timed(lambda: link.ask("en~es~" + ENGLISH[:100])))
        print(f"en->es first request of 100 chars, {'prepared' if prepared else 'cold'}: "
              f"median {ms(statistics.median(times))} of {fresh} servers, "
              f"worst {ms(max(times))}")


def every_route(server):
    listed = subprocess.run([quillora.SERVER_BIN, "--list-pairs"], capture_output=True,
                            text=True, check=True, timeout=600).stdout.splitlines()
    routes = [line.split(":")[0].split(" -> ") for line in listed if "(broken)" not in line]
    print(f"--list-pairs: {len(listed)} routes, {len(listed) - len(routes)} broken")
    link, worst = server.link(), (0, None)
    for source, target in routes:
        request = f"{source}~{target}~{SENTENCES.get(source, SENTENCES['en'])}"
        link.ask(request)
        median = statistics.median(timed(lambda: link.ask(request)) for _ in range(RUNS))
        print(f"  {source}->{target}: {ms(median)}")
        worst = max(worst, (median, f"{source}->{target}"))
    print(f"every route warm: slowest median {ms(worst[0])} ({worst[1]})")


def main():
    first_requests()
    with quillora.Server("--backend", "apertium") as server:
        every_route(server)
    with quillora.Server("--backend", "apertium") as server:
        warm_comparison(server)
        pivot(server)
    with quillora.Server("--backend", "apertium") as server:
        concurrent_clients(server)


if __name__ == "__main__":
    socket.setdefaulttimeout(120)
    main()
