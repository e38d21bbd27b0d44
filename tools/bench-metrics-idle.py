#!/usr/bin/python3
"""Scrape time of the metrics endpoint while idle and half-sent connections
are held open: starts PROGRAM headless on the simulated analyzer (in a
temporary folder), opens N connections that send nothing and N that stop in
the middle of the request line, keeps opening them again as the program drops
them, and prints the time of each of ten scrapes.

usage: tools/bench-metrics-idle.py [PROGRAM] [N]   (default build/check/sondaro, 25)
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

program = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/check/sondaro")
n = int(sys.argv[2]) if len(sys.argv) > 2 else 25
folder = tempfile.mkdtemp(prefix="sondaro-bench-metrics-")
with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
shutil.copy(program, os.path.join(folder, "sondaro"))
env = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=folder, TMPDIR=folder, XDG_RUNTIME_DIR=folder,
           ASAN_OPTIONS="detect_leaks=0")
proc = subprocess.Popen([os.path.join(folder, "sondaro"), "--headless", "--simulate",
                         "--metrics-port", str(port)], cwd=folder, env=env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
held = []


def hold():
    # Replace those the program has closed, so 2N stay open from our side.
    for c in list(held):
        c.setblocking(False)
        try:
            if c.recv(1, socket.MSG_PEEK) == b"":
                held.remove(c)
                c.close()
        except BlockingIOError:
            pass
        except OSError:
            held.remove(c)
    while len(held) < 2 * n:
        c = socket.create_connection(("127.0.0.1", port), timeout=5)
        if len(held) % 2:
            c.sendall(b"GET /met")
        held.append(c)


try:
    end = time.time() + 30
    while True:
        try:
            urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=5).read()
            break
        except OSError:
            if time.time() > end:
                raise SystemExit("the endpoint did not come up")
            time.sleep(0.2)
    times = []
    for _ in range(10):
        hold()
        start = time.perf_counter()
        try:
            urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=10).read()
            times.append(time.perf_counter() - start)
        except OSError as e:
            times.append(float("inf"))
            print("scrape failed:", e)
        time.sleep(0.5)
    print(f"{2 * n} idle/half-sent connections held: scrape ms "
          + " ".join(f"{t * 1000:.1f}" for t in times) + f"; worst {max(times) * 1000:.1f}")
finally:
    for c in held:
        c.close()
    proc.send_signal(signal.SIGTERM)
    proc.wait(timeout=30)
    shutil.rmtree(folder, ignore_errors=True)
